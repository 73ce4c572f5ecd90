#pragma once
// The colours the Appearance dialog edits: a graph window's curve colours,
// one page per curve number, each page at most ten named items with their
// defaults; and the restore rules of the dialog. Colours are 0x00BBGGRR.
// Pure data and functions, safe from any thread on different objects.

#include "Sonbex/Shell/GlobalConfig.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sonbex::shell {

inline constexpr std::size_t kMaxColorItems = 10;

struct ColorItem {
    std::string label;
    std::uint32_t color = 0;
    std::uint32_t defaultColor = 0;
    bool operator==(const ColorItem&) const = default;
};

struct ColorPage {
    std::vector<ColorItem> items;  // at most kMaxColorItems are shown
    bool operator==(const ColorPage&) const = default;
};

// Every item of every page back to its default.
void RestoreCurveColors(std::vector<ColorPage>& pages);
// The five window colours, the font "Arial" and the dotted grid.
void RestoreWindowColors(GlobalConfig& config);

inline constexpr const char* kRestoreCurveColorsQuestion =
    "Are you sure that you want to restore the curve colors ? ";
inline constexpr const char* kRestoreWindowColorsQuestion =
    "Are you sure that you want to restore the window colors ? ";

}  // namespace sonbex::shell
