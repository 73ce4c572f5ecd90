// Multitone, IM distortion and amplitude sweep: the periods they build, when
// they are rebuilt, and the bounds of their settings.

#include "Platform/RecordingPrompt.h"
#include "ToneTestSupport.h"
#include "Waveform/YAmplitudeSweep.h"
#include "Waveform/YIMD.h"
#include "Waveform/YMultiTone.h"
#include "YLib/YComplexVec.h"
#include "YLib/YFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace stimulus_test;
using sonbex::platform::RecordingPrompt;

namespace {

constexpr double kRate = 48000.0;

double Crest(const YDoubleVec& v) {
    double peak = 0.0, energy = 0.0;
    for (double x : v) {
        peak = std::max(peak, std::abs(x));
        energy += x * x;
    }
    return peak / std::sqrt(energy / v.Size());
}

void SetRandomPhase(YMultiTone& m, bool on) {
    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[3].intValue = on;
    ASSERT_TRUE(m.SetParams(records));
}

}  // namespace

TEST(MultiTone, CrestFactor) {
    YMultiTone m;
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    SetRandomPhase(m, false);
    ASSERT_TRUE(m.Generate());
    const int M = m.ToneBins();
    EXPECT_GT(M, 100);
    // All tones in cosine phase meet at the first sample.
    EXPECT_DOUBLE_EQ(m.GetSamples()->Data()[0], 1.0);
    EXPECT_NEAR(Crest(*m.GetSamples()), std::sqrt(2.0 * M), 1e-3 * std::sqrt(2.0 * M));

    SetRandomPhase(m, true);
    ASSERT_TRUE(m.Generate());
    const double random = Crest(*m.GetSamples());
    EXPECT_LT(random, 0.5 * std::sqrt(2.0 * M));
    // The seeded generator: the same settings give the same period.
    const YDoubleVec first = *m.GetSamples();
    YMultiTone other;
    ASSERT_TRUE(other.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(other.Generate());
    ASSERT_EQ(other.GetSamples()->Size(), first.Size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), other.GetSamples()->begin()));
}

TEST(MultiTone, RebuiltWhenTheRateOrASettingChanges) {
    YMultiTone m;
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(m.Generate());
    const int order48 = m.FftOrder();
    EXPECT_LE(order48, 16);
    ASSERT_TRUE(m.SetFormat(96000.0, 1, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(m.Generate());
    EXPECT_EQ(m.GetSamples()->Size(), 1 << m.FftOrder());
    EXPECT_GT(m.FftOrder(), order48) << "twice the rate needs a longer period";

    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[0].value = 200.0;
    ASSERT_TRUE(m.SetParams(records));
    const YDoubleVec before = *m.GetSamples();
    ASSERT_TRUE(m.Generate());
    EXPECT_FALSE(before.Size() == m.GetSamples()->Size() &&
                 std::equal(before.begin(), before.end(), m.GetSamples()->begin()));
}

TEST(MultiTone, FlatDeviceGivesAFlatResponse) {
    // Two channels: the reference divides out the tones' own spectrum.
    YMultiTone m;
    ASSERT_TRUE(m.SetFormat(48000.0, 2, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(m.SetSyncPulse(false));
    ASSERT_TRUE(m.Generate());
    Recording r = Play(
        PlayedLoop(m, kRate), [](double x) { return 0.5 * x; }, 3, 3000, 0, 0);
    ResponseList responses;
    ASSERT_TRUE(m.Analyze(r.View(true), responses, 2, 0));
    ASSERT_EQ(responses.size(), 3u);
    const YDoubleVec& f = responses[0].data;
    const YDoubleVec& mag = responses[1].data;
    const double middle = mag.Data()[mag.Size() / 2];
    for (int i = 0; i < f.Size(); ++i)
        if (f.Data()[i] >= 100.0 && f.Data()[i] <= 15000.0) {
            EXPECT_NEAR(20.0 * std::log10(mag.Data()[i] / middle), 0.0, 0.1) << "at " << f.Data()[i];
        }

    // One channel reads from the found start against the generated period.
    YMultiTone single;
    ASSERT_TRUE(single.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(single.Generate());
    Recording one = Play(PlayedLoop(single, kRate), Linear, 3);
    ASSERT_TRUE(single.Analyze(one.View(false), responses, 2, 0));
    ASSERT_EQ(responses.size(), 3u);
    EXPECT_EQ(responses[1].data.Size(), responses[0].data.Size());
}

TEST(IMD, TwoTonesAtTheirLevels) {
    YIMD m;
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[0].value = 750.0;
    records[1].value = 3000.0;
    records[2].value = 25.0;  // frequency 2 at a quarter of frequency 1
    ASSERT_TRUE(m.SetParams(records));
    ASSERT_TRUE(m.Generate());
    const YDoubleVec& s = *m.GetSamples();
    ASSERT_EQ(s.Size(), 4800);
    // 0.1 s holds whole periods of both tones: single bins.
    YDoubleVec padded(8192);
    std::copy_n(s.begin(), 4800, padded.begin());
    double a1 = 0.0, a2 = 0.0;
    for (int i = 0; i < 4800; ++i) {
        a1 += s.Data()[i] * std::sin(2.0 * std::numbers::pi * 750.0 * i / 48000.0);
        a2 += s.Data()[i] * std::sin(2.0 * std::numbers::pi * 3000.0 * i / 48000.0);
    }
    EXPECT_NEAR(a2 / a1, 0.25, 1e-9);

    // A longer time window makes a longer period.
    WaveformParams analysis;
    ASSERT_TRUE(m.GetAnalysisParams(analysis));
    analysis[0].value = 0.2;
    ASSERT_TRUE(m.SetAnalysisParams(analysis));
    ASSERT_TRUE(m.Generate());
    EXPECT_EQ(m.GetSamples()->Size(), 9600);

    Recording r = Play(PlayedLoop(m, kRate), Linear, 3);
    ResponseList responses;
    ASSERT_TRUE(m.Analyze(r.View(false), responses, 2, 0));
    ASSERT_EQ(responses.size(), 3u);
    EXPECT_EQ(responses[0].tag, 100);
}

TEST(IMD, SquareWaveHarmonicsStopAtNyquist) {
    YIMD m;
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[0].value = 1000.0;
    records[2].value = 0.0;
    records[3].intValue = 3;
    ASSERT_TRUE(m.SetParams(records));
    ASSERT_TRUE(m.Generate());
    const YDoubleVec& s = *m.GetSamples();
    // Odd harmonics 1/h up to 23 kHz: the fundamental's amplitude against
    // the 3rd and the 23rd.
    const auto amplitude = [&](double f) {
        double a = 0.0;
        for (int i = 0; i < 4800; ++i) a += s.Data()[i] * std::sin(2.0 * std::numbers::pi * f * i / 48000.0);
        return a;
    };
    EXPECT_NEAR(amplitude(3000.0) / amplitude(1000.0), 1.0 / 3.0, 1e-6);
    EXPECT_NEAR(amplitude(23000.0) / amplitude(1000.0), 1.0 / 23.0, 1e-6);
    EXPECT_NEAR(amplitude(2000.0) / amplitude(1000.0), 0.0, 1e-9);
}

TEST(AmplitudeSweep, StepLevelsAndBounds) {
    RecordingPrompt prompt;
    YAmplitudeSweep m(&prompt);
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(m.Generate());
    const YDoubleVec& s = *m.GetSamples();
    const int step = 2400 + 4800;
    ASSERT_EQ(s.Size(), 10 * step);
    for (int k = 0; k < 10; ++k) {
        const double want = std::pow(10.0, (-40.0 + 4.0 * k) / 20.0);
        EXPECT_NEAR(s.Data()[k * step + 12], want, 1e-12) << "step " << k << " (a peak of the 1 kHz tone)";
        EXPECT_EQ(s.Data()[k * step + 2400 + 10], 0.0) << "pause after step " << k;
    }
    ResponseList responses;
    Recording r = Play(s, Linear, 2);
    EXPECT_FALSE(m.Analyze(r.View(false), responses, 1, 0));

    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[0].value = 1.0;
    records[1].value = 1.0;
    records[5].intValue = 1000;
    ASSERT_TRUE(m.SetParams(records));
    EXPECT_FALSE(m.Generate()) << "2000 s of stimulus";
    ASSERT_EQ(prompt.Prompts().size(), 1u);
    EXPECT_EQ(prompt.Prompts()[0].caption, "Amplitude Sweep");
}
