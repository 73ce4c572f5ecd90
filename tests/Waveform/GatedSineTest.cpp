// The gated sine: its structure, and the frequency response and distortion
// curves it reads through a memoryless polynomial, a linear device and a pure
// delay.

#include "Platform/RecordingPrompt.h"
#include "ToneTestSupport.h"
#include "Waveform/YGatedSine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace stimulus_test;
using sonbex::platform::PromptIcon;
using sonbex::platform::RecordingPrompt;

namespace {

constexpr double kRate = 48000.0;

// A gated sine at 48 kHz, 16 bits; one or two recorded channels.
YGatedSine MakeGatedSine(int inChannels, RecordingPrompt* prompt = nullptr, double start = 100.0,
                         double stop = 20000.0, int points = 6) {
    YGatedSine g(prompt);
    g.SetPrompt(prompt);
    EXPECT_TRUE(g.SetFormat(kRate, inChannels, 2, 16, 1, 1.0, 1.0));
    WaveformParams records;
    EXPECT_TRUE(g.GetParams(records));
    records[1].value = start;
    records[2].value = stop;
    records[3].intValue = points;
    EXPECT_TRUE(g.SetParams(records));
    EXPECT_TRUE(g.Generate());
    return g;
}

ResponseList Analyse(YGatedSine& g, const Device& device, bool stereo, int measuredDelay = 0,
                     int referenceDelay = 0) {
    Recording r = Play(PlayedLoop(g, kRate), device, 2, 3000, measuredDelay, referenceDelay);
    ResponseList responses;
    EXPECT_TRUE(g.Analyze(r.View(stereo), responses, 1, 0));
    return responses;
}

}  // namespace

TEST(GatedSine, StructureAt48kHzFrom100Hz) {
    YGatedSine g = MakeGatedSine(1, nullptr, 100.0, 20000.0, 1);
    EXPECT_DOUBLE_EQ(g.BaseDuration(), 0.04);
    const YDoubleVec& s = *g.GetSamples();
    // Tones below 400 Hz (four times the lowest) get 4T slots: 7680 + 4800
    // pause samples; the others 1920 + 4800.
    const int longSlot = 7680 + 4800, shortSlot = 1920 + 4800;
    EXPECT_DOUBLE_EQ(s.Data()[0], 1.0) << "the first burst starts at the peak of a cosine";
    EXPECT_NEAR(s.Data()[1], std::cos(2.0 * std::numbers::pi * 100.0 / kRate), 1e-15);
    EXPECT_DOUBLE_EQ(s.Data()[longSlot], 0.0);
    EXPECT_NEAR(s.Data()[longSlot + 1], std::sin(2.0 * std::numbers::pi * 200.0 / kRate), 1e-15);
    EXPECT_NEAR(s.Data()[2 * longSlot + 1], std::sin(2.0 * std::numbers::pi * 400.0 / kRate), 1e-15);
    EXPECT_NEAR(s.Data()[2 * longSlot + shortSlot + 1], std::sin(2.0 * std::numbers::pi * 800.0 / kRate),
                1e-15);
    // Silence in the pause after the 400 Hz burst (whole periods: 16 of 400 Hz).
    EXPECT_EQ(s.Data()[2 * longSlot + 1920 + 10], 0.0);
    EXPECT_EQ(s.Size() % 1, 0);

    // Analysis: n = 7680, 3n/2 = 11520, c0 = 14, c1 = 15: k = 15, the
    // smallest order 14; below 200 Hz 32768 points, above 16384.
    ResponseList responses = Analyse(g, Linear, false);
    EXPECT_EQ(g.FftOrder(), 15);
    EXPECT_EQ(g.MinFftOrder(), 14);
    EXPECT_EQ(g.OrderOfTone(0), 15) << "100 Hz";
    for (int i = 1; i < int(responses[0].data.Size()); ++i)
        EXPECT_EQ(g.OrderOfTone(i), 14) << responses[0].data.Data()[i] << " Hz";
    EXPECT_DOUBLE_EQ(g.BurstDuration(), 0.04) << "tones from 400 Hz up use 1920 samples";
}

// y = x + 0.1 x² on a full-scale tone: the second harmonic is 0.05 of the
// fundamental, H2 = 100 · 0.05 / sqrt(1 + 0.05²) = 4.9938 %. y = x + 0.1 x³:
// fundamental 1.075, third harmonic 0.025, H3 = 100 · 0.025 / sqrt(1.075² +
// 0.025²) = 2.3250 %.
TEST(GatedSine, HarmonicDistortionOfPolynomials) {
    struct Case {
        const char* name;
        std::vector<double> polynomial;
        bool stereo;
        double h2, h3;
    };
    const double h2 = 100.0 * 0.05 / std::sqrt(1.0 + 0.05 * 0.05);
    const double h3 = 100.0 * 0.025 / std::hypot(1.075, 0.025);
    const Case cases[] = {
        {"x + 0.1x^2, one channel", {0.0, 1.0, 0.1}, false, h2, 0.0},
        {"x + 0.1x^2, two channels", {0.0, 1.0, 0.1}, true, h2, 0.0},
        {"x + 0.1x^3, one channel", {0.0, 1.0, 0.0, 0.1}, false, 0.0, h3},
    };
    EXPECT_NEAR(h2, 4.994, 5e-4);
    EXPECT_NEAR(h3, 2.325, 5e-4);
    for (const Case& c : cases) {
        YGatedSine g = MakeGatedSine(c.stereo ? 2 : 1);
        const ResponseList responses = Analyse(g, Polynomial(c.polynomial), c.stereo);
        ASSERT_EQ(responses.size(), 7u) << c.name;
        const double floor = g.DistortionFloor();
        const YDoubleVec& f = responses[0].data;
        for (int i = 0; i < f.Size(); ++i) {
            const double fi = f.Data()[i];
            const double thd = responses[3].data.Data()[i], thdN = responses[4].data.Data()[i];
            const double H2 = responses[5].data.Data()[i], H3 = responses[6].data.Data()[i];
            const bool second = 2.0 * fi < kRate / 2.0, third = 3.0 * fi < kRate / 2.0;
            const double wantH2 = second ? std::max(c.h2, floor) : floor;
            const double wantH3 = third ? std::max(c.h3, floor) : floor;
            EXPECT_NEAR(H2, wantH2, 0.01) << c.name << " at " << fi << " Hz";
            EXPECT_NEAR(H3, wantH3, 0.01) << c.name << " at " << fi << " Hz";
            EXPECT_NEAR(thd,
                        std::hypot(wantH2 > floor ? wantH2 : 0.0, wantH3 > floor ? wantH3 : 0.0) +
                            (wantH2 <= floor && wantH3 <= floor ? floor : 0.0),
                        0.01)
                << c.name << " at " << fi << " Hz";
            // Each harmonic once: the harmonics are not counted again as
            // noise. (Products above Nyquist alias into the recording of this
            // digital device and are rightly noise there.)
            if (fi * double(c.polynomial.size() - 1) < kRate / 2.0) {
                EXPECT_NEAR(thdN, thd, 0.01) << c.name << " at " << fi << " Hz";
            }
        }
    }
}

TEST(GatedSine, LinearDeviceIsFlatAtTheFloor) {
    for (const bool stereo : {false, true}) {
        YGatedSine g = MakeGatedSine(stereo ? 2 : 1);
        const ResponseList responses = Analyse(
            g, [](double x) { return 0.5 * x; }, stereo);
        ASSERT_EQ(responses.size(), 7u);
        const double floor = 100.0 / 32768.0;
        const YDoubleVec& magnitude = responses[1].data;
        const double reference = magnitude.Data()[magnitude.Size() / 2];
        EXPECT_GT(reference, 0.0);
        for (int i = 0; i < magnitude.Size(); ++i) {
            const double f = responses[0].data.Data()[i];
            EXPECT_NEAR(magnitude.Data()[i] / reference, 1.0, 2e-3) << "stereo " << stereo << " at " << f;
            for (int e : {3, 5, 6})
                EXPECT_DOUBLE_EQ(responses[e].data.Data()[i], floor) << "entry " << e << " at " << f;
            // The noise of THD+N is the window's own leakage, below -80 dB.
            EXPECT_LT(responses[4].data.Data()[i], 0.01) << "THD+N at " << f;
        }
    }
}

// The level of a device does not depend on the start frequency or the
// transform size: at 48 kHz a unit transfer reads 960 / 32768 · 10^(26.95/20).
TEST(GatedSine, LevelIsIndependentOfStartAndTransformSize) {
    const double unit = 960.0 / 32768.0 * std::pow(10.0, 26.95 / 20.0);
    struct Case {
        double start;
        int fftSize;
    };
    for (const Case c : {Case{100.0, -1}, Case{80.0, -1}, Case{120.0, -1}, Case{100.0, 17}}) {
        YGatedSine g = MakeGatedSine(1, nullptr, c.start, 8000.0, 3);
        WaveformParams analysis;
        ASSERT_TRUE(g.GetAnalysisParams(analysis));
        analysis[1].intValue = c.fftSize;
        ASSERT_TRUE(g.SetAnalysisParams(analysis));
        const ResponseList responses = Analyse(
            g, [](double x) { return 0.5 * x; }, false);
        ASSERT_EQ(responses.size(), 7u);
        for (int i = 0; i < responses[1].data.Size(); ++i)
            EXPECT_NEAR(responses[1].data.Data()[i], 0.5 * unit, 1e-3 * unit)
                << "start " << c.start << " FFT size " << c.fftSize << " at " << responses[0].data.Data()[i];
    }
}

// A pure delay between the channels keeps its phase slope -2π f d / fs,
// whichever channel is the later one.
TEST(GatedSine, DelayKeepsItsPhaseSlope) {
    struct Case {
        int measuredDelay, referenceDelay;
    };
    for (const Case c : {Case{7, 0}, Case{0, 5}, Case{40, 12}}) {
        YGatedSine g = MakeGatedSine(2);
        const ResponseList responses = Analyse(g, Linear, true, c.measuredDelay, c.referenceDelay);
        ASSERT_EQ(responses.size(), 7u);
        const int d = c.measuredDelay - c.referenceDelay;
        for (int i = 0; i < responses[0].data.Size(); ++i) {
            const double f = responses[0].data.Data()[i];
            const double want =
                std::remainder(-2.0 * std::numbers::pi * f * d / kRate, 2.0 * std::numbers::pi);
            const double got = responses[2].data.Data()[i];
            EXPECT_NEAR(std::remainder(got - want, 2.0 * std::numbers::pi), 0.0, 1e-3)
                << "delay " << d << " at " << f << " Hz";
            EXPECT_NEAR(responses[3].data.Data()[i], 100.0 / 32768.0, 1e-9) << "delay " << d << " at " << f;
        }
    }
}

TEST(GatedSine, SilentRecordingGivesTheFloor) {
    YGatedSine g = MakeGatedSine(1);
    const ResponseList responses = Analyse(
        g, [](double) { return 0.0; }, false);
    ASSERT_EQ(responses.size(), 7u);
    for (int e = 3; e <= 6; ++e)
        for (double v : responses[e].data) EXPECT_DOUBLE_EQ(v, 100.0 / 32768.0) << "entry " << e;
}

TEST(GatedSine, ModeOneGivesBothChannels) {
    YGatedSine g = MakeGatedSine(2);
    g.SetMode(1);
    const ResponseList responses = Analyse(
        g, [](double x) { return 0.25 * x; }, true);
    ASSERT_EQ(responses.size(), 5u);
    const int tags[] = {100, 101, 102, 101, 102};
    for (int e = 0; e < 5; ++e) EXPECT_EQ(responses[e].tag, tags[e]);
    for (int i = 0; i < responses[0].data.Size(); ++i)
        EXPECT_NEAR(responses[1].data.Data()[i] / responses[3].data.Data()[i], 0.25, 1e-6);
}

TEST(GatedSine, ErrorsGoThroughThePromptService) {
    RecordingPrompt prompt;
    YGatedSine g = MakeGatedSine(1, &prompt);
    // A recording shorter than one period.
    std::vector<float> shortRecording(1000, 0.0f);
    std::vector<std::span<const float>> channels{shortRecording};
    ResponseList responses;
    EXPECT_FALSE(g.Analyze(channels, responses, 1, 0));
    const auto prompts = prompt.Prompts();
    ASSERT_FALSE(prompts.empty());
    EXPECT_EQ(prompts.back().text, "Error 1");
    EXPECT_EQ(prompts.back().caption, "Gated Sine Wave");
    EXPECT_EQ(prompts.back().icon, PromptIcon::Error);
}

TEST(GatedSine, TooManyTonesAreRefusedWithAMessage) {
    RecordingPrompt prompt;
    YGatedSine g(&prompt);
    ASSERT_TRUE(g.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
    ExpectTooManyTonesRefused(g, prompt, 1, 3, "Gated Sine Wave", "gated sine");
}
