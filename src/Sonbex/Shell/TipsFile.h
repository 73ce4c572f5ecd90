#pragma once
// The tips of the day, read from the text file "SXTIPS.CFG": one tip per line,
// blanks and tabs trimmed at both ends, empty lines skipped, at most 1024 tips
// of at most 1022 bytes each (longer lines are cut at a whole UTF-8
// character). Pure functions, safe from any thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::shell {

inline constexpr const char* kTipsFileName = "SXTIPS.CFG";
inline constexpr std::size_t kMaxTips = 1024;
inline constexpr std::size_t kMaxTipLength = 1022;

std::vector<std::string> ParseTips(std::string_view text);
// Reads at most what 1024 tips can need; a missing or unreadable file gives no tips.
std::vector<std::string> LoadTips(const std::filesystem::path& file);

// The tip to show for a stored index: reduced modulo the count, a negative
// index counting as 0. Empty when there are no tips.
std::optional<std::size_t> TipToShow(std::int32_t storedIndex, std::size_t tipCount);
// The index to store after showing tip `shown`.
std::int32_t NextTipIndex(std::size_t shown, std::size_t tipCount);

}  // namespace sonbex::shell
