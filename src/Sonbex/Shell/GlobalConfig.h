#pragma once
// The global configuration: the application-wide switches, paths, colours,
// font and ambient temperature, stored as one 1168-byte binary value
// "Global Config" under the settings root.
//
// The record is a plain value; the application object owns the one in force
// and hands copies (snapshots) to whoever needs them. All functions here are
// pure or touch only their arguments: safe from any thread on different objects.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonbex::platform {
class SettingsStore;
}

namespace sonbex::shell {

// Bits of GlobalConfig::flags.
enum GlobalFlag : std::uint32_t {
    kShowSplash = 0x1,
    kShowTips = 0x2,
    kShowTime = 0x4,
    kToolbarVisible = 0x8,
    kStatusBarVisible = 0x10,
    kFlatToolbar = 0x20,
    kMixerWasOpen = 0x40,
    kSmallMeasurementWindow = 0x80,
    kOpenImpulseWindow = 0x100,
    kAppendFrequencyCurve = 0x200,
    kReplaceFrequencyCurve = 0x400,
    kCyclicMeasurement = 0x800,
    kShowLimitsResult = 0x1000,
    kReplaceImpulseCurve = 0x2000,
    kOpenFrequencyWindow = 0x4000,
    kTime24Hour = 0x8000,
    kMainWindowMaximised = 0x80000000u,
};
inline constexpr std::uint32_t kDefaultGlobalFlags = 0x413F;
inline constexpr std::uint32_t kUsedGlobalFlags = 0x8000FFFFu;  // bits 16..30 stay 0

inline constexpr std::int32_t kGlobalConfigVersion = 32;
inline constexpr std::size_t kGlobalConfigSize = 1168;
inline constexpr const char* kGlobalConfigValue = "Global Config";

inline constexpr std::size_t kConfigPathSize = 260;  // char[260] fields, zero-terminated
inline constexpr std::size_t kFontFaceSize = 64;

inline constexpr const char* kFontArial = "Arial";
inline constexpr const char* kFontTimes = "Times New Roman";

// The picture sizes of the graphics export: index 0 is the window's own size.
inline constexpr int kExportSizeChoices = 9;
inline constexpr int kPresetCount = 10;

// Plausible ambient temperatures, degrees Celsius; others are refused.
inline constexpr double kMinTemperature = -50.0;
inline constexpr double kMaxTemperature = 60.0;
inline constexpr double kDefaultTemperature = 20.0;

// Colours are 0x00BBGGRR.
struct WindowColors {
    std::uint32_t graphArea = 0xFFFFFF;
    std::uint32_t frame = 0xDCDCDC;
    std::uint32_t lines = 0x000000;
    std::uint32_t grid = 0x808080;
    std::uint32_t text = 0x000000;
    bool operator==(const WindowColors&) const = default;
};

// The record in memory. Text fields keep the stored bytes (paths are the file
// system's bytes); Encode/Decode map it to the stored layout.
struct GlobalConfig {
    std::uint32_t flags = kDefaultGlobalFlags;
    std::array<std::int32_t, 4> windowRect{-1, -1, -1, -1};  // left, top, right, bottom
    std::int32_t nextTip = 0;
    std::string backgroundPath;  // empty: no background picture
    // Folder for recordings; empty: the process's private temporary folder.
    std::string tempDir;
    WindowColors colors;
    std::string fontFace = kFontArial;
    bool solidGrid = false;
    double temperature = kDefaultTemperature;  // degrees Celsius
    double speedOfSound = 343.3;               // m/s, always derived from temperature
    std::int32_t presetIndex = -1;             // 0..9, -1 none
    std::int32_t exportFilter = 0;             // 0 EMF, 1 JPEG, 2 BMP
    std::int32_t exportSize = 0;               // 0..8

    bool Has(std::uint32_t flag) const { return (flags & flag) != 0; }
    void Set(std::uint32_t flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }
    // Stores a temperature and derives the speed of sound; false (nothing
    // changed) when the value is not a plausible ambient temperature.
    bool SetTemperature(double celsius);
    bool operator==(const GlobalConfig&) const = default;
};

// c = 331.36 * sqrt(1 + T/273.15), rounded to one decimal, halves away from zero.
double SpeedOfSound(double celsius);
bool IsPlausibleTemperature(double celsius);

// Where the defaults point to; the program fills it from its folders
// (StandardGlobalConfigDefaults in the application), tests set it directly.
struct GlobalConfigDefaults {
    std::string backgroundPath;
    std::string tempDir;
};
GlobalConfig DefaultGlobalConfig(const GlobalConfigDefaults& defaults = {});

using GlobalConfigBytes = std::array<std::uint8_t, kGlobalConfigSize>;
// The stored layout, version 32, reserved bytes zero.
GlobalConfigBytes EncodeGlobalConfig(const GlobalConfig& config);
// Decodes a stored record over `config`. False (config untouched) unless the
// block is exactly 1168 bytes with version 32. The result is validated: text
// fields end at their last byte at the latest, indices outside their ranges go
// back to their defaults, an implausible or non-finite temperature becomes
// 20 C, the speed of sound is recomputed and unused flag bits are cleared.
bool DecodeGlobalConfig(std::span<const std::uint8_t> bytes, GlobalConfig& config);

// Settings store access: the value "Global Config" under the root.
// Load fills `config` with `defaults` first and keeps them silently when the
// stored value is missing or malformed; it returns whether a stored record was
// taken. Save returns false when the store cannot be written.
bool LoadGlobalConfig(platform::SettingsStore& store, GlobalConfig& config,
                      const GlobalConfigDefaults& defaults = {});
bool SaveGlobalConfig(platform::SettingsStore& store, const GlobalConfig& config);

}  // namespace sonbex::shell
