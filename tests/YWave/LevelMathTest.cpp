// The level arithmetic: output level units, sliders, the peak-to-peak
// overload rule and the meter, against analytic values.

#include "YWave/YLevelMath.h"
#include "YWave/YWaveSample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

TEST(LevelMath, DbuAndDbvConversionsReadBack) {
    struct Case {
        const char* text;
        int unitBefore;
        double volts;
        int unitAfter;
    } cases[] = {
        {"0 dBu", 0, 0.7745966692, 3}, {"-10 dBu", 0, 0.2449489743, 3},
        {"-10", 3, 0.2449489743, 3},   {"0 dBV", 3, 1.0, 2},
        {"-6.0206 dbv", 0, 0.5, 2},    {"774.6 mV", 0, 0.7746, 1},
        {"1.5 v", 2, 1.5, 0},          {"2", 0, 2.0, 0},
        {"2 x", 1, 0.002, 1},          {"  3.5  V", 1, 3.5, 0},
    };
    for (const Case& c : cases) {
        int unit = c.unitBefore;
        double v = -1;
        ASSERT_TRUE(YParseOutputLevel(c.text, unit, v)) << c.text;
        EXPECT_NEAR(v, c.volts, 1e-4 * c.volts) << c.text;
        EXPECT_EQ(unit, c.unitAfter) << c.text;
    }
    int unit = 3;
    double v = 7.0;
    EXPECT_FALSE(YParseOutputLevel("dBu", unit, v));
    EXPECT_FALSE(YParseOutputLevel("", unit, v));
    EXPECT_FALSE(YParseOutputLevel("inf V", unit, v));
    EXPECT_EQ(v, 7.0);
    EXPECT_EQ(unit, 3);

    EXPECT_EQ(YFormatOutputLevel(0.7745966692414834, kUnitDbu), "0 dBu");
    EXPECT_EQ(YFormatOutputLevel(0.7745966692414834 * std::pow(10.0, -0.5), kUnitDbu), "-10 dBu");
    EXPECT_EQ(YFormatOutputLevel(0.7745966692414834, kUnitVolt), "0.7746 V");
    EXPECT_EQ(YFormatOutputLevel(0.7745966692414834, kUnitMilliVolt), "774.6 mV");
    EXPECT_EQ(YFormatOutputLevel(1.0, kUnitDbV), "0 dBV");
    EXPECT_EQ(YFormatOutputLevel(2.0, kUnitVolt), "2 V");
    EXPECT_EQ(YFormatOutputLevel(0.5, kUnitDbV), "-6.02 dBV");
    EXPECT_EQ(YFormatOutputLevel(0.0, kUnitDbu), "-760 dBu");  // the logarithm of 1e-38
}

TEST(LevelMath, DbToGainKeepsItsLimits) {
    EXPECT_EQ(YDbToGain(0.0), 1.0);
    EXPECT_EQ(YDbToGain(300.0), 1.0686474e13);
    EXPECT_EQ(YDbToGain(-800.0), 1e-38);
    EXPECT_NEAR(YDbToGain(-10.0), 0.31622776601683794, 1e-15);
}

TEST(LevelMath, SlidersShowAndSetALine) {
    struct Case {
        std::uint32_t left, right, minimum, maximum;
        int volume, pan;
    } cases[] = {
        {100, 100, 0, 100, 1000, 0},  {50, 50, 0, 100, 500, 0},    {100, 50, 0, 100, 1000, -500},
        {50, 100, 0, 100, 1000, 500}, {20, 10, 0, 40, 500, -500},  {65536, 32768, 0, 65536, 1000, -500},
        {10, 10, 10, 20, 0, 0},       {15, 20, 10, 20, 1000, 500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(YSliderVolume(c.left, c.right, c.minimum, c.maximum), c.volume) << c.left << "/" << c.right;
        EXPECT_EQ(YSliderPan(c.left, c.right, c.minimum, c.maximum), c.pan) << c.left << "/" << c.right;
        // The sliders give the line back.
        std::uint32_t l = 0, r = 0;
        YSlidersToLine(c.volume, c.pan, false, c.minimum, c.maximum, l, r);
        EXPECT_EQ(l, c.left) << c.left << "/" << c.right;
        EXPECT_EQ(r, c.right) << c.left << "/" << c.right;
    }
    std::uint32_t l = 0, r = 0;
    YSlidersToLine(500, -300, true, 0, 100, l, r);  // a locked pan: both channels the volume
    EXPECT_EQ(l, 50u);
    EXPECT_EQ(r, 50u);
    YSlidersToLine(1000, -300, false, 0, 100, l, r);
    EXPECT_EQ(l, 100u);
    EXPECT_EQ(r, 70u);
    YSlidersToLine(1000, 250, false, 0, 65536, l, r);
    EXPECT_EQ(l, 49152u);
    EXPECT_EQ(r, 65536u);
}

namespace {
// A block of a sine of `amplitude` (full scale 1) plus `offset` on both
// channels of 16-bit PCM, whole periods.
std::vector<std::uint8_t> SineBlock(double amplitude, double offset, int bits) {
    constexpr int kFrames = 4800;
    std::vector<std::uint8_t> b(static_cast<std::size_t>(kFrames * 2 * YBytesPerSample(bits)));
    std::uint8_t* p = b.data();
    for (int f = 0; f < kFrames; ++f) {
        // 1 kHz at 48 kHz: the crests fall on samples 12 and 36.
        const double v = offset + amplitude * std::sin(2 * std::numbers::pi * f / 48.0);
        p = YRealToSample(v, bits, YRealToSample(v, bits, p));
    }
    return b;
}
}  // namespace

TEST(LevelMath, PeakToPeakLevelDecidesOverload) {
    struct Case {
        const char* name;
        double amplitude, offset;
        int bits;
        double level;
        bool overload;
    } cases[] = {
        // A full-scale sine reaches both extreme codes: clipped.
        {"full-scale sine", 1.0, 0.0, 16, 6.03, true},
        {"full-scale sine, 24 bits", 1.0, 0.0, 24, 6.03, true},
        {"-1 dBFS sine", std::pow(10.0, -1.0 / 20), 0.0, 16, 5.0206, false},
        {"-6.02 dBFS sine", 0.5, 0.0, 16, 0.0, false},
        {"-20 dBFS sine", 0.1, 0.0, 24, -13.979, false},
        // Clipped on the positive side only: the largest positive code is below 1.0.
        {"positive clipping", 0.8, 0.3, 16, 6.03, true},
        {"negative clipping", 0.8, -0.3, 16, 6.03, true},
        {"8-bit full scale", 1.0, 0.0, 8, 6.03, true},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> block = SineBlock(c.amplitude, c.offset, c.bits);
        YBlockPeaks p;
        p.Add(block.data(), static_cast<int>(block.size() / (2 * YBytesPerSample(c.bits))), 2, c.bits, 1.0,
              false);
        const double a = YPeakLevel(p.maxA, p.minA, p.clippedA);
        EXPECT_NEAR(a, c.level, 2e-3) << c.name;
        EXPECT_EQ(a > kOverloadDb, c.overload) << c.name;
    }
    // One input clipped, the other not; exchanged by "Reverse channels".
    std::vector<std::uint8_t> b(8);
    YRealToSample(-0.25, 16,
                  YRealToSample(0.25, 16, YRealToSample(0.0, 16, YRealToSample(1.0, 16, b.data()))));
    YBlockPeaks p;
    p.Add(b.data(), 2, 2, 16, 1.0, true);
    EXPECT_FALSE(p.clippedA);
    EXPECT_TRUE(p.clippedB);
    EXPECT_NEAR(YPeakLevel(p.maxA, p.minA, p.clippedA), 20 * std::log10(0.25), 1e-9);
}

TEST(LevelMath, MeterHoldFallsByItsLaw) {
    YLevelMeter m;
    const double h0 = 3.0;
    m.Advance(h0, -20.0);  // the hold follows a level upwards at once
    EXPECT_EQ(m.HoldA(), h0);
    EXPECT_EQ(m.HoldB(), -20.0);
    for (int n = 1; n <= 600; ++n) {
        m.Advance(-1000.0, -1000.0);
        EXPECT_NEAR(m.HoldA(), (h0 + 180.0) * std::pow(0.996, n) - 180.0, 1e-9) << n;
    }
    EXPECT_TRUE(m.Falling(-1000, -1000));
    m.Advance(0.0, 0.0);  // a level above the falling hold takes it
    EXPECT_EQ(m.HoldA(), 0.0);
}

TEST(LevelMath, MeterSegmentsFitTheControlAndTakeTheirColours) {
    YLevelMeter m;
    m.Advance(-3.5, 2.2);
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{60, 200}, {40, 97}, {80, 400}, {30, 110}}) {
        const std::vector<YMeterSegment> s = m.Segments(w, h, -3.5, 2.2);
        ASSERT_EQ(s.size(), 2u * YLevelMeter::kSegments) << w << "x" << h;
        for (const YMeterSegment& seg : s) {
            EXPECT_GE(seg.rect.x, 3) << w << "x" << h;
            EXPECT_GE(seg.rect.y, 3) << w << "x" << h;
            EXPECT_LE(seg.rect.x + seg.rect.w, w - 3) << w << "x" << h;
            EXPECT_LE(seg.rect.y + seg.rect.h, h - 3) << w << "x" << h << " segment " << seg.db;
        }
    }
    struct Case {
        int db;
        double level, hold;
        YMeterColor color;
    } cases[] = {
        {3, 5.0, -1000, {255, 0, 0}},  {3, 2.0, -1000, {96, 0, 0}},        {-6, -3.0, -1000, {0, 255, 0}},
        {-6, -8.0, -1000, {0, 96, 0}}, {-30, -20.0, -1000, {0, 255, 255}}, {-30, -40, -1000, {0, 96, 96}},
        {2, -40, 2.5, {255, 255, 0}},  {-4, -40, -3.5, {220, 220, 0}},     {0, 0.0, -1000, {0, 255, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(YLevelMeter::SegmentColor(c.db, c.level, c.hold), c.color) << c.db;
    EXPECT_EQ(YLevelMeter::Background(true), (YMeterColor{128, 32, 32}));
    EXPECT_EQ(YLevelMeter::Background(false), (YMeterColor{0, 0, 32}));
}
