#pragma once
// The ten measurement presets: a title and an .MST settings file each, kept
// in the text file SXPRESET.CFG in the per-user configuration folder, run
// from the File menu (commands 114 + slot).
//
// SXPRESET.CFG: lines of at most 1024 characters (longer ones are cut); the
// characters up to code 32 at the start are skipped, everything from the first
// ';' is removed and trailing blanks trimmed; empty lines and lines beginning
// with '[' are ignored. "Title=" (any case) sets the current slot's title,
// "Filename=" its file name and moves to the next slot (blanks after the
// '=' are skipped); reading stops after
// the tenth "Filename=". A relative file name is taken relative to the
// presets file's folder and written back in that absolute form. Titles keep
// at most 255 bytes, file names (as written) at most 259.
//
// Threads: the owner's thread.

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace sonbex::platform {
class IPrompt;
}

namespace sonbex::measurement {

class MeasSettings;

inline constexpr int kPresetSlots = 10;
inline constexpr const char* kPresetsFileName = "SXPRESET.CFG";
inline constexpr std::size_t kPresetLineLimit = 1024;
inline constexpr std::size_t kPresetTitleLimit = 255;
inline constexpr std::size_t kPresetFileLimit = 259;
inline constexpr const char* kUndefinedPreset = "Undefined Preset";
inline constexpr const char* kSaveFirstQuestion =
    "You have made changes to the measurement settings,\ndo you want to save those settings first ?";

struct PresetSlot {
    std::string title;
    std::string fileName;
    bool operator==(const PresetSlot&) const = default;
};
using PresetSlots = std::array<PresetSlot, kPresetSlots>;

class YPresets {
public:
    explicit YPresets(std::filesystem::path file = {}) : file_(std::move(file)) {}

    const std::filesystem::path& File() const { return file_; }
    // All slots cleared, then the file read; false when it cannot be read
    // (the slots stay empty).
    bool Load();
    // Writes the file atomically; false when it cannot be written.
    bool Save() const;

    static PresetSlots Parse(std::string_view text, const std::filesystem::path& baseDir);
    static std::string Format(const PresetSlots& list);

    const PresetSlots& Slots() const { return slots_; }
    void SetSlots(const PresetSlots& list) { slots_ = list; }
    const std::string& Title(int index) const;
    const std::string& FileName(int index) const;
    // The menu entry: "title\t#n", or "Undefined Preset\t#n" without a title.
    std::string MenuText(int index) const;
    // The command is enabled when the slot has a title.
    bool IsEnabled(int index) const { return !Title(index).empty(); }
    // The slot's file ends in ".mst" (any case) and exists.
    bool IsRunnable(int index) const;

    // The quick measurement of a preset: nothing when the slot is not
    // runnable; with unsaved changes the user is asked first ("Yes" stops so
    // that they can save); then the file is opened and, when that worked,
    // `startMeasurement` gets the preset's title. True when it started.
    bool Run(int index, MeasSettings& settings, platform::IPrompt& prompt,
             const std::function<void(const std::string& title)>& startMeasurement);

private:
    std::filesystem::path file_;
    PresetSlots slots_{};
};

}  // namespace sonbex::measurement
