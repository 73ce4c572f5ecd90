#include "Sonbex/Shell/GlobalConfig.h"

#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace sonbex::shell {
namespace {

// Offsets of the stored layout.
constexpr std::size_t kOffVersion = 0;
constexpr std::size_t kOffFlags = 4;
constexpr std::size_t kOffRect = 8;
constexpr std::size_t kOffNextTip = 24;
constexpr std::size_t kOffBackground = 288;
constexpr std::size_t kOffTempDir = 548;
constexpr std::size_t kOffColors = 808;
constexpr std::size_t kOffFont = 828;
constexpr std::size_t kOffSolidGrid = 892;
constexpr std::size_t kOffTemperature = 896;
constexpr std::size_t kOffSpeed = 904;
constexpr std::size_t kOffPreset = 912;
constexpr std::size_t kOffExportFilter = 916;
constexpr std::size_t kOffExportSize = 920;
static_assert(kOffExportSize + 4 + 244 == kGlobalConfigSize);

void PutU32(GlobalConfigBytes& b, std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t off) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(b[off + i]) << (8 * i);
    return v;
}
void PutF64(GlobalConfigBytes& b, std::size_t off, double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    for (int i = 0; i < 8; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
double GetF64(std::span<const std::uint8_t> b, std::size_t off) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= std::uint64_t(b[off + i]) << (8 * i);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

// At most size-1 bytes, cut back so a UTF-8 sequence is never split; the
// rest of the field stays zero.
void PutText(GlobalConfigBytes& b, std::size_t off, std::size_t size, std::string_view text) {
    std::size_t n = std::min(text.size(), size - 1);
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(b.data() + off, text.data(), n);
}
// Up to the first zero byte; a field without one ends at its last byte.
std::string GetText(std::span<const std::uint8_t> b, std::size_t off, std::size_t size) {
    const char* p = reinterpret_cast<const char*>(b.data() + off);
    std::size_t n = 0;
    while (n < size - 1 && p[n] != '\0') ++n;
    return std::string(p, n);
}

std::int32_t InRange(std::int32_t v, std::int32_t lo, std::int32_t hi, std::int32_t fallback) {
    return v >= lo && v <= hi ? v : fallback;
}

}  // namespace

bool IsPlausibleTemperature(double celsius) {
    return celsius >= kMinTemperature && celsius <= kMaxTemperature;  // false for NaN
}

double SpeedOfSound(double celsius) {
    double c = 331.36 * std::sqrt(1.0 + celsius * 0.0036609921288669233);
    double tenths = c * 10.0;
    tenths = tenths >= 0 ? std::floor(tenths + 0.5) : std::ceil(tenths - 0.5);
    return tenths / 10.0;
}

bool GlobalConfig::SetTemperature(double celsius) {
    if (!IsPlausibleTemperature(celsius)) return false;
    temperature = celsius;
    speedOfSound = SpeedOfSound(celsius);
    return true;
}

GlobalConfig DefaultGlobalConfig(const GlobalConfigDefaults& defaults) {
    GlobalConfig config;
    config.backgroundPath = defaults.backgroundPath;
    config.tempDir = defaults.tempDir;
    config.speedOfSound = SpeedOfSound(config.temperature);
    return config;
}

GlobalConfigBytes EncodeGlobalConfig(const GlobalConfig& c) {
    GlobalConfigBytes b{};
    PutU32(b, kOffVersion, static_cast<std::uint32_t>(kGlobalConfigVersion));
    PutU32(b, kOffFlags, c.flags);
    for (int i = 0; i < 4; ++i) PutU32(b, kOffRect + 4 * i, static_cast<std::uint32_t>(c.windowRect[i]));
    PutU32(b, kOffNextTip, static_cast<std::uint32_t>(c.nextTip));
    PutText(b, kOffBackground, kConfigPathSize, c.backgroundPath);
    PutText(b, kOffTempDir, kConfigPathSize, c.tempDir);
    const std::uint32_t colors[] = {c.colors.graphArea, c.colors.frame, c.colors.lines, c.colors.grid,
                                    c.colors.text};
    for (int i = 0; i < 5; ++i) PutU32(b, kOffColors + 4 * i, colors[i]);
    PutText(b, kOffFont, kFontFaceSize, c.fontFace);
    b[kOffSolidGrid] = c.solidGrid ? 1 : 0;
    PutF64(b, kOffTemperature, c.temperature);
    PutF64(b, kOffSpeed, c.speedOfSound);
    PutU32(b, kOffPreset, static_cast<std::uint32_t>(c.presetIndex));
    PutU32(b, kOffExportFilter, static_cast<std::uint32_t>(c.exportFilter));
    PutU32(b, kOffExportSize, static_cast<std::uint32_t>(c.exportSize));
    return b;
}

bool DecodeGlobalConfig(std::span<const std::uint8_t> b, GlobalConfig& config) {
    if (b.size() != kGlobalConfigSize) return false;
    if (static_cast<std::int32_t>(GetU32(b, kOffVersion)) != kGlobalConfigVersion) return false;
    GlobalConfig c;
    c.flags = GetU32(b, kOffFlags) & kUsedGlobalFlags;
    for (int i = 0; i < 4; ++i) c.windowRect[i] = static_cast<std::int32_t>(GetU32(b, kOffRect + 4 * i));
    std::int32_t tip = static_cast<std::int32_t>(GetU32(b, kOffNextTip));
    c.nextTip = tip < 0 ? 0 : tip;
    c.backgroundPath = GetText(b, kOffBackground, kConfigPathSize);
    c.tempDir = GetText(b, kOffTempDir, kConfigPathSize);
    c.colors.graphArea = GetU32(b, kOffColors) & 0xFFFFFF;
    c.colors.frame = GetU32(b, kOffColors + 4) & 0xFFFFFF;
    c.colors.lines = GetU32(b, kOffColors + 8) & 0xFFFFFF;
    c.colors.grid = GetU32(b, kOffColors + 12) & 0xFFFFFF;
    c.colors.text = GetU32(b, kOffColors + 16) & 0xFFFFFF;
    std::string font = GetText(b, kOffFont, kFontFaceSize);
    c.fontFace = font == kFontTimes ? kFontTimes : kFontArial;
    c.solidGrid = b[kOffSolidGrid] != 0;
    double t = GetF64(b, kOffTemperature);
    c.temperature = IsPlausibleTemperature(t) ? t : kDefaultTemperature;
    c.speedOfSound = SpeedOfSound(c.temperature);
    c.presetIndex = InRange(static_cast<std::int32_t>(GetU32(b, kOffPreset)), -1, kPresetCount - 1, -1);
    c.exportFilter = InRange(static_cast<std::int32_t>(GetU32(b, kOffExportFilter)), 0, 2, 0);
    c.exportSize =
        InRange(static_cast<std::int32_t>(GetU32(b, kOffExportSize)), 0, kExportSizeChoices - 1, 0);
    config = std::move(c);
    return true;
}

bool LoadGlobalConfig(platform::SettingsStore& store, GlobalConfig& config,
                      const GlobalConfigDefaults& defaults) {
    config = DefaultGlobalConfig(defaults);
    platform::YRegistry reg(store);
    if (!reg.Open(platform::kSettingsRoot, false)) return false;
    std::vector<std::uint8_t> bytes;
    return reg.ReadBinary(kGlobalConfigValue, bytes) && DecodeGlobalConfig(bytes, config);
}

bool SaveGlobalConfig(platform::SettingsStore& store, const GlobalConfig& config) {
    platform::YRegistry reg(store);
    if (!reg.Open(platform::kSettingsRoot, true)) return false;
    GlobalConfigBytes bytes = EncodeGlobalConfig(config);
    bool written = reg.WriteBinary(kGlobalConfigValue, bytes);
    return reg.Close() && written;
}

}  // namespace sonbex::shell
