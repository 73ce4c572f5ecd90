#pragma once
// The header every data set carries: when it was measured, the settings of
// that measurement, its title and the file it was last loaded from or saved
// to. Text is 8-bit (Windows-1252) as stored; it always fits its fixed file
// field with the terminator. A plain value: safe from any thread.

#include "Sonbex/Curves/AcquireDate.h"
#include "Sonbex/Curves/SettingsBlock.h"

#include <string>
#include <string_view>

namespace sonbex::curves {

inline constexpr std::size_t kTitleFieldSize = 256;
inline constexpr std::size_t kFreqPathFieldSize = 256;  // the path of a frequency curve set
inline constexpr std::size_t kPathFieldSize = 260;      // the path of every other set

// The text cut to what a field of `fieldSize` bytes holds with its
// terminator, and at an embedded zero.
inline std::string FitTextField(std::string_view text, std::size_t fieldSize) {
    text = text.substr(0, text.find('\0'));
    if (fieldSize > 0 && text.size() > fieldSize - 1) text = text.substr(0, fieldSize - 1);
    return std::string(text);
}

struct DataSetHeader {
    AcquireDate acquired;
    SettingsBlock settings;
    std::string title;
    std::string path;

    void SetTitle(std::string_view t) { title = FitTextField(t, kTitleFieldSize); }
    void SetPath(std::string_view p, std::size_t fieldSize = kPathFieldSize) {
        path = FitTextField(p, fieldSize);
    }
};

}  // namespace sonbex::curves
