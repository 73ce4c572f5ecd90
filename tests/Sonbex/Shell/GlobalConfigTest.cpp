#include "Sonbex/Shell/GlobalConfig.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace sonbex::shell {
namespace {

void PutI32(GlobalConfigBytes& b, std::size_t off, std::int32_t v) { std::memcpy(&b[off], &v, 4); }
void PutF64(GlobalConfigBytes& b, std::size_t off, double v) { std::memcpy(&b[off], &v, 8); }

TEST(GlobalConfig, DefaultsAndTheirStoredLayout) {
    GlobalConfig c = DefaultGlobalConfig({"/usr/share/sonbex3/Background/Sonbex2.bmp", ""});
    EXPECT_EQ(c.flags, 0x413Fu);
    EXPECT_EQ(c.speedOfSound, 343.3);
    GlobalConfigBytes b = EncodeGlobalConfig(c);
    auto i32 = [&](std::size_t off) {
        std::int32_t v;
        std::memcpy(&v, &b[off], 4);
        return v;
    };
    auto f64 = [&](std::size_t off) {
        double v;
        std::memcpy(&v, &b[off], 8);
        return v;
    };
    EXPECT_EQ(i32(0), 32);
    EXPECT_EQ(i32(4), 0x413F);
    for (std::size_t off : {8u, 12u, 16u, 20u}) EXPECT_EQ(i32(off), -1) << "rectangle at " << off;
    EXPECT_EQ(i32(24), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[288]), "/usr/share/sonbex3/Background/Sonbex2.bmp");
    EXPECT_EQ(b[548], 0) << "empty temporary folder: the private one of the process";
    EXPECT_EQ(i32(808), 0xFFFFFF);
    EXPECT_EQ(i32(812), 0xDCDCDC);
    EXPECT_EQ(i32(816), 0);
    EXPECT_EQ(i32(820), 0x808080);
    EXPECT_EQ(i32(824), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[828]), "Arial");
    EXPECT_EQ(b[892], 0);
    EXPECT_EQ(f64(896), 20.0);
    EXPECT_EQ(f64(904), 343.3);
    EXPECT_EQ(i32(912), -1);
    EXPECT_EQ(i32(916), 0);
    EXPECT_EQ(i32(920), 0);
    for (std::size_t off = 28; off < 288; ++off) ASSERT_EQ(b[off], 0) << "reserved byte " << off;
    for (std::size_t off = 924; off < kGlobalConfigSize; ++off)
        ASSERT_EQ(b[off], 0) << "reserved byte " << off;
}

TEST(GlobalConfig, RoundTripKeepsEveryField) {
    GlobalConfig c = DefaultGlobalConfig();
    c.flags = kShowTips | kCyclicMeasurement | kTime24Hour | kMainWindowMaximised;
    c.windowRect = {10, 20, 810, 620};
    c.nextTip = 17;
    c.backgroundPath = "/home/me/Bilder/Hintergrund.bmp";
    c.tempDir = "/home/me/tmp";
    c.colors = {0x123456, 0x654321, 0x0000FF, 0x00FF00, 0xFF0000};
    c.fontFace = kFontTimes;
    c.solidGrid = true;
    ASSERT_TRUE(c.SetTemperature(-20.0));
    c.presetIndex = 9;
    c.exportFilter = 2;
    c.exportSize = 8;
    GlobalConfig back;
    ASSERT_TRUE(DecodeGlobalConfig(EncodeGlobalConfig(c), back));
    EXPECT_EQ(back, c);
}

// Stored records that are refused whole, and damaged fields that are mended.
TEST(GlobalConfig, CorruptRecordsLoadSafely) {
    const GlobalConfig defaults = DefaultGlobalConfig({"/bg.bmp", ""});
    const GlobalConfigBytes good = EncodeGlobalConfig(defaults);
    {
        GlobalConfig c = defaults;
        c.nextTip = 99;
        std::vector<std::uint8_t> shorter(good.begin(), good.end() - 1), longer(good.begin(), good.end());
        longer.push_back(0);
        EXPECT_FALSE(DecodeGlobalConfig(shorter, c)) << "1167 bytes";
        EXPECT_FALSE(DecodeGlobalConfig(longer, c)) << "1169 bytes";
        GlobalConfigBytes wrongVersion = good;
        PutI32(wrongVersion, 0, 31);
        EXPECT_FALSE(DecodeGlobalConfig(wrongVersion, c)) << "version 31";
        EXPECT_EQ(c.nextTip, 99) << "a refused record leaves the config untouched";
    }
    struct Case {
        const char* name;
        std::function<void(GlobalConfigBytes&)> damage;
        std::function<void(const GlobalConfig&)> check;
    };
    const Case cases[] = {
        {"unterminated paths and font",
         [](GlobalConfigBytes& b) {
             std::memset(&b[288], 'a', 260);
             std::memset(&b[548], 'b', 260);
             std::memset(&b[828], 'c', 64);
         },
         [](const GlobalConfig& c) {
             EXPECT_EQ(c.backgroundPath, std::string(259, 'a'));
             EXPECT_EQ(c.tempDir, std::string(259, 'b'));
             EXPECT_EQ(c.fontFace, kFontArial) << "unknown face";
         }},
        {"indices out of range",
         [](GlobalConfigBytes& b) {
             PutI32(b, 24, -5);
             PutI32(b, 912, 10);
             PutI32(b, 916, 3);
             PutI32(b, 920, 9);
         },
         [](const GlobalConfig& c) {
             EXPECT_EQ(c.nextTip, 0);
             EXPECT_EQ(c.presetIndex, -1);
             EXPECT_EQ(c.exportFilter, 0);
             EXPECT_EQ(c.exportSize, 0);
         }},
        {"negative indices",
         [](GlobalConfigBytes& b) {
             PutI32(b, 912, -2);
             PutI32(b, 916, -1);
             PutI32(b, 920, std::numeric_limits<std::int32_t>::min());
         },
         [](const GlobalConfig& c) {
             EXPECT_EQ(c.presetIndex, -1);
             EXPECT_EQ(c.exportFilter, 0);
             EXPECT_EQ(c.exportSize, 0);
         }},
        {"NaN temperature and a wrong speed of sound",
         [](GlobalConfigBytes& b) {
             PutF64(b, 896, std::nan(""));
             PutF64(b, 904, 1.0);
         },
         [](const GlobalConfig& c) {
             EXPECT_EQ(c.temperature, 20.0);
             EXPECT_EQ(c.speedOfSound, 343.3);
         }},
        {"absolute zero", [](GlobalConfigBytes& b) { PutF64(b, 896, -273.15); },
         [](const GlobalConfig& c) {
             EXPECT_EQ(c.temperature, 20.0);
             EXPECT_EQ(c.speedOfSound, 343.3);
         }},
        {"speed recomputed from a stored temperature",
         [](GlobalConfigBytes& b) {
             PutF64(b, 896, 0.0);
             PutF64(b, 904, 343.3);
         },
         [](const GlobalConfig& c) { EXPECT_EQ(c.speedOfSound, 331.4); }},
        {"unused flag bits and colour high bytes",
         [](GlobalConfigBytes& b) {
             PutI32(b, 4, -1);
             PutI32(b, 808, -1);
         },
         [](const GlobalConfig& c) {
             EXPECT_EQ(c.flags, 0x8000FFFFu);
             EXPECT_EQ(c.colors.graphArea, 0xFFFFFFu);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        GlobalConfigBytes b = good;
        k.damage(b);
        GlobalConfig c;
        ASSERT_TRUE(DecodeGlobalConfig(b, c));
        k.check(c);
    }
}

TEST(GlobalConfig, SpeedOfSound) {
    struct Case {
        double celsius;
        double expected;
    };
    // c = 331.36 * sqrt(1 + T / 273.15), to one decimal (tests/data/Shell/speed_of_sound.py).
    const Case cases[] = {{20.0, 343.3}, {-20.0, 319.0}, {0.0, 331.4},
                          {25.0, 346.2}, {-50.0, 299.5}, {60.0, 365.9}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(SpeedOfSound(c.celsius), c.expected) << c.celsius << " C";
}

TEST(GlobalConfig, TemperatureRefusesImplausibleValues) {
    const double refused[] = {
        -273.15, -300.0, -50.01, 60.01, 1e9, std::nan(""), std::numeric_limits<double>::infinity()};
    for (double t : refused) {
        GlobalConfig c = DefaultGlobalConfig();
        EXPECT_FALSE(c.SetTemperature(t)) << t;
        EXPECT_EQ(c.temperature, 20.0) << t;
        EXPECT_EQ(c.speedOfSound, 343.3) << t;
    }
    GlobalConfig c = DefaultGlobalConfig();
    EXPECT_TRUE(c.SetTemperature(-50.0));
    EXPECT_TRUE(c.SetTemperature(60.0));
    EXPECT_EQ(c.speedOfSound, 365.9);
}

TEST(GlobalConfig, StoreRoundTripAndMalformedValues) {
    platform::RecordingPrompt prompt;
    platform::SettingsStore store(prompt);
    const GlobalConfigDefaults defaults{"/bg.bmp", ""};
    GlobalConfig loaded;
    EXPECT_FALSE(LoadGlobalConfig(store, loaded, defaults)) << "nothing stored yet";
    EXPECT_EQ(loaded, DefaultGlobalConfig(defaults));

    GlobalConfig c = DefaultGlobalConfig(defaults);
    c.flags ^= kShowSplash;
    c.tempDir = "/scratch";
    // The store is not bound to a file: the value is set, the save fails.
    EXPECT_FALSE(SaveGlobalConfig(store, c));
    EXPECT_TRUE(LoadGlobalConfig(store, loaded, defaults));
    EXPECT_EQ(loaded, c);

    std::vector<std::uint8_t> wrong(kGlobalConfigSize + 1, 0);
    store.SetBinary(platform::kSettingsRoot, kGlobalConfigValue, wrong);
    EXPECT_FALSE(LoadGlobalConfig(store, loaded, defaults));
    EXPECT_EQ(loaded, DefaultGlobalConfig(defaults)) << "a malformed value leaves the defaults";
    EXPECT_TRUE(prompt.Prompts().empty()) << "silently";
}

}  // namespace
}  // namespace sonbex::shell
