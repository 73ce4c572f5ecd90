#include "Sonbex/Measurement/SettingsRules.h"
#include "YWave/Sim/YSimCard.h"

#include <gtest/gtest.h>

namespace sonbex::measurement {
namespace {

TEST(SettingsRules, StartAndStopStayBelowTheNyquistLimit) {
    struct Case {
        double start, stop, rate, wantStart, wantStop;
    } cases[] = {
        {20, 20000, 44100, 20, 20000},
        {0.5, 30000, 44100, 1, 22004},               // round(0.49896 x 44100) = 22004
        {25000, 30000, 44100, 22004 / 1.05, 22004},  // 20956.19
        {1000, 500, 44100, 1000, 1050},              // stop below start
        {20, 50000, 96000, 20, 47900},               // round(47900.16)
        {100000, 10, 48000, 23950 / 1.05, 23950 / 1.05 * 1.05},
    };
    for (const Case& c : cases) {
        const StartStop r = ClampStartStop(c.start, c.stop, c.rate);
        EXPECT_NEAR(r.start, c.wantStart, 1e-9) << c.start << " " << c.stop << " @" << c.rate;
        EXPECT_NEAR(r.stop, c.wantStop, 1e-9) << c.start << " " << c.stop << " @" << c.rate;
    }
    EXPECT_NEAR(ClampStartStop(25000, 30000, 44100).start, 20956.19, 0.005);
}

TEST(SettingsRules, ModulesTypesAndWindows) {
    EXPECT_EQ(OfferedTypes(1003), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(OfferedTypes(2002), (std::vector<int>{0, 4, 1, 2, 3}));
    EXPECT_EQ(OfferedTypes(1006), (std::vector<int>{5}));
    EXPECT_EQ(OfferedTypes(1099), (std::vector<int>{0}));
    EXPECT_FALSE(OfferedOnGeneratorPage(2006));
    EXPECT_TRUE(OfferedOnGeneratorPage(2005));
    EXPECT_EQ(WindowEntryCount(), 13);
    for (int e = 0; e < WindowEntryCount(); ++e) EXPECT_EQ(WindowEntry(WindowFromEntry(e)), e);
    EXPECT_EQ(WindowFromEntry(4), (WindowChoice{2, true}));  // " ½ Hanning (Cos)"
    EXPECT_EQ(HalfWindowRule(2001, {2, false}), (WindowChoice{2, true}));
    EXPECT_EQ(HalfWindowRule(1001, {2, true}), (WindowChoice{2, false}));
    EXPECT_EQ(HalfWindowRule(2001, {0, false}), (WindowChoice{0, false})) << "no half rectangular window";
    EXPECT_EQ(ClampPolarStep(0.001), 0.01);
    EXPECT_EQ(ClampPolarStep(90), 45.0);
}

TEST(SettingsRules, CardRuleForCreativeCards) {
    struct Case {
        const char* name;
        int rate, bits;
        bool passes;
    } cases[] = {
        {"HDA Intel PCH", 44100, 24, true},        {"sb live! value", 44100, 16, false},
        {"SB Live! Value", 48000, 16, true},       {"SB Live! Value", 48000, 24, false},
        {"Creative SB Audigy 2", 96000, 24, true}, {"USB Sound Blaster Audigy", 12000, 32, true},
        {"SB Extigy", 22050, 16, false},
    };
    for (const Case& c : cases) EXPECT_EQ(PassesCardRule(c.name, c.rate, c.bits), c.passes) << c.name;
}

TEST(SettingsRules, ProbingListsWhatBothDevicesAccept) {
    YSimCardConfig config;
    config.widths = {16, 24};
    config.maxOutChannels = 4;
    YSimCard card(config);
    FormatChoices f = ProbeFormats(card, -1, 0, false);
    EXPECT_EQ(f.rates, (std::vector<int>{11025, 22050, 44100, 48000, 88200, 96000}));
    EXPECT_EQ(f.bits, (std::vector<int>{16, 24}));
    EXPECT_EQ(f.channels, (std::vector<int>{2, 4}));
    f = ProbeFormats(card, 0, 0, true);
    EXPECT_EQ(f.rates.back(), 192000);
    EXPECT_TRUE(ProbeFormats(card, 3, 0, false).rates.empty()) << "no such input device";
}

}  // namespace
}  // namespace sonbex::measurement
