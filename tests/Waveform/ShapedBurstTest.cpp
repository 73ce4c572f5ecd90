// The shaped burst: its shapes, its distortion figures through a memoryless
// polynomial, the delay between the channels and a sweep table that goes
// below the start frequency.

#include "Platform/RecordingPrompt.h"
#include "ToneTestSupport.h"
#include "Waveform/YShapedBurst.h"
#include "YLib/YFftTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

using namespace stimulus_test;

namespace {

constexpr double kRate = 48000.0;

// records: shape, cycles, pause, start, stop, points, reverse, linear.
YShapedBurst MakeBurst(int inChannels, int shape, int cycles, double start = 100.0, double stop = 10000.0,
                       int points = 3) {
    YShapedBurst b;
    EXPECT_TRUE(b.SetFormat(kRate, inChannels, 2, 16, 1, 1.0, 1.0));
    WaveformParams records;
    EXPECT_TRUE(b.GetParams(records));
    records[0].intValue = shape;
    records[1].intValue = cycles;
    records[3].value = start;
    records[4].value = stop;
    records[5].intValue = points;
    EXPECT_TRUE(b.SetParams(records));
    WaveformParams analysis;
    EXPECT_TRUE(b.GetAnalysisParams(analysis));
    analysis[0].intValue = 5;  // Blackman-Harris
    EXPECT_TRUE(b.SetAnalysisParams(analysis));
    EXPECT_TRUE(b.Generate());
    return b;
}

}  // namespace

TEST(ShapedBurst, ShapesAreThePeriodicWindows) {
    const char* names[] = {"rectangular", "Bartlett", "Hanning", "Hamming", "Blackman", "Blackman-Harris"};
    for (int shape = 0; shape <= 5; ++shape) {
        YDoubleVec burst;
        ASSERT_TRUE(YShapedBurst::MakeBurst(burst, shape, 5, 1000.0, kRate));
        ASSERT_EQ(burst.Size(), 240) << names[shape];
        for (int m = 0; m < burst.Size(); ++m) {
            const double tone = std::sin(2.0 * std::numbers::pi * 1000.0 * m / kRate);
            EXPECT_NEAR(burst.Data()[m], WindowValue(shape, m, 240.0) * tone, 1e-12)
                << names[shape] << " m " << m;
        }
    }
    YDoubleVec silent;
    ASSERT_TRUE(YShapedBurst::MakeBurst(silent, 6, 5, 1000.0, kRate));
    for (double v : silent) EXPECT_EQ(v, 0.0);
}

TEST(ShapedBurst, DistortionOfPolynomials) {
    struct Case {
        const char* name;
        std::vector<double> polynomial;
        double thd;
    };
    const Case cases[] = {
        {"x + 0.1x^2", {0.0, 1.0, 0.1}, 100.0 * 0.05 / std::sqrt(1.0 + 0.05 * 0.05)},
        {"x + 0.1x^3", {0.0, 1.0, 0.0, 0.1}, 100.0 * 0.025 / std::hypot(1.075, 0.025)},
        {"linear", {0.0, 0.5}, 100.0 / 32768.0},
    };
    for (const Case& c : cases)
        for (const bool stereo : {false, true}) {
            // A rectangular burst of 20 cycles: every harmonic has the tone's
            // own envelope.
            YShapedBurst b = MakeBurst(stereo ? 2 : 1, 0, 20);
            Recording r = Play(PlayedLoop(b, kRate), Polynomial(c.polynomial), 2);
            ResponseList responses;
            ASSERT_TRUE(b.Analyze(r.View(stereo), responses, 1, 0)) << c.name;
            ASSERT_EQ(responses.size(), 5u);
            for (int e = 0; e < 5; ++e) EXPECT_EQ(responses[e].tag, 100 + e);
            for (int i = 0; i < responses[0].data.Size(); ++i) {
                const double f = responses[0].data.Data()[i];
                const int order = int(c.polynomial.size()) - 1;
                if (order * f >= kRate / 2.0) continue;
                EXPECT_NEAR(responses[3].data.Data()[i], c.thd, 0.01) << c.name << " at " << f;
                // The noise of a short window's own leakage stays below -66 dB.
                EXPECT_NEAR(responses[4].data.Data()[i], c.thd, c.polynomial.size() > 2 ? 0.01 : 0.05)
                    << c.name << " THD+N at " << f;
            }
        }
}

TEST(ShapedBurst, DelayKeepsItsPhaseSlope) {
    for (const int d : {9, -6}) {
        YShapedBurst b = MakeBurst(2, 2, 5);
        Recording r = Play(PlayedLoop(b, kRate), Linear, 2, 3000, std::max(d, 0), std::max(-d, 0));
        ResponseList responses;
        ASSERT_TRUE(b.Analyze(r.View(true), responses, 1, 0));
        for (int i = 0; i < responses[0].data.Size(); ++i) {
            const double f = responses[0].data.Data()[i];
            const double want = -2.0 * std::numbers::pi * f * d / kRate;
            EXPECT_NEAR(std::remainder(responses[2].data.Data()[i] - want, 2.0 * std::numbers::pi), 0.0, 1e-3)
                << "delay " << d << " at " << f;
            EXPECT_NEAR(responses[1].data.Data()[i] / responses[1].data.Data()[0], 1.0, 1e-3);
        }
    }
}

// A sweep table below the start frequency: every slot must still hold the
// longest burst, so the analysis reads each tone where it was played.
TEST(ShapedBurst, SlotsFollowTheLowestToneOfATable) {
    const auto table = std::filesystem::temp_directory_path() / "sonbex_burst_table.txt";
    {
        std::ofstream out(table, std::ios::binary);
        out << "Frequency Sweep Table\r\n50\r\n1000\r\n5000\r\n";
    }
    YShapedBurst b = MakeBurst(1, 0, 10, 200.0, 5000.0);
    b.SetFileName(table.string());
    ASSERT_TRUE(b.Generate());
    const long long slot = std::llround(10 * kRate / 50.0) + std::llround(0.1 * kRate);
    EXPECT_EQ(b.GetSamples()->Size(), 3 * slot);
    Recording r = Play(PlayedLoop(b, kRate), Polynomial({0.0, 1.0, 0.1}), 2);
    ResponseList responses;
    ASSERT_TRUE(b.Analyze(r.View(false), responses, 1, 0));
    ASSERT_EQ(responses[0].data.Size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(responses[3].data.Data()[i], 4.9938, 0.01) << responses[0].data.Data()[i] << " Hz";
    std::filesystem::remove(table);
}

TEST(ShapedBurst, ReverseGivesAnAscendingAxis) {
    YShapedBurst b;
    ASSERT_TRUE(b.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
    WaveformParams records;
    ASSERT_TRUE(b.GetParams(records));
    records[3].value = 200.0;
    records[4].value = 3200.0;
    records[5].intValue = 1;
    records[6].intValue = 1;  // reverse
    ASSERT_TRUE(b.SetParams(records));
    ASSERT_TRUE(b.Generate());
    Recording r = Play(PlayedLoop(b, kRate), Linear, 2);
    ResponseList responses;
    ASSERT_TRUE(b.Analyze(r.View(false), responses, 1, 0));
    const YDoubleVec& f = responses[0].data;
    ASSERT_EQ(f.Size(), 5);
    for (int i = 1; i < f.Size(); ++i) EXPECT_GT(f.Data()[i], f.Data()[i - 1]);
}

TEST(ShapedBurst, TooManyTonesAreRefusedWithAMessage) {
    sonbex::platform::RecordingPrompt prompt;
    YShapedBurst b(&prompt);
    ASSERT_TRUE(b.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
    ExpectTooManyTonesRefused(b, prompt, 3, 5, "Shaped Burst", "shaped burst");
}
