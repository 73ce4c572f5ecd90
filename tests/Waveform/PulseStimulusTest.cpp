// The spike and the sin² pulse: their stimuli, and one-channel analyses that
// give the device's own response whatever the pulse.

#include "ToneTestSupport.h"
#include "Waveform/YSin2.h"
#include "Waveform/YSpike.h"
#include "WaveformTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace stimulus_test;

namespace {

constexpr double kRate = 48000.0;

// An FIR device: 1 at 0, 0.5 at 3 samples, -0.25 at 10 samples.
const std::vector<std::pair<int, double>> kTaps = {{0, 1.0}, {3, 0.5}, {10, -0.25}};

Recording PlayThroughTaps(const YDoubleVec& period, int periods) {
    // The taps as a device with memory: built on Play's delays, one per tap.
    Recording sum;
    for (const auto& [delay, gain] : kTaps) {
        const double g = gain;
        Recording r = Play(
            period, [g](double x) { return g * x; }, periods, 3000, delay, 0);
        if (sum.measured.empty()) {
            sum = r;
            sum.measured.assign(r.measured.size() + 16, 0.0f);
            sum.reference.resize(sum.measured.size());
        }
        for (std::size_t i = 0; i < r.measured.size(); ++i) sum.measured[i] += r.measured[i];
    }
    return sum;
}

void SetLengths(IWaveform& m, double pulse, double total, bool automatic = false) {
    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[0].value = pulse;
    records[1].value = total;
    if (records.size() > 2) records[2].intValue = automatic;
    ASSERT_TRUE(m.SetParams(records));
}

// The response's taps relative to its largest sample.
void ExpectTaps(const YDoubleVec& ir, double scale, const char* what) {
    int peak = 0;
    for (int i = 0; i < ir.Size(); ++i)
        if (std::abs(ir.Data()[i]) > std::abs(ir.Data()[peak])) peak = i;
    for (int i = -5; i < 40; ++i) {
        double want = 0.0;
        for (const auto& [d, g] : kTaps)
            if (i == d) want = g * scale;
        EXPECT_NEAR(ir.Data()[peak + i], want, 0.01 * scale) << what << " sample " << i;
    }
}

}  // namespace

TEST(Sin2, PulseShapes) {
    struct Case {
        const char* name;
        double pulse, total;
        std::vector<double> samples;
    };
    const Case cases[] = {
        {"4 samples", 4.0 / kRate, 4.0 / kRate, {0.0, 0.5, 1.0, 0.5}},
        {"one sample is raised to three", 1.0 / kRate, 1.0 / kRate, {0.0, 0.75, 0.75}},
        {"longer than its total", 4.0 / kRate, 2.0 / kRate, {0.0, 0.5, 1.0, 0.5}},
        {"with silence", 4.0 / kRate, 6.0 / kRate, {0.0, 0.5, 1.0, 0.5, 0.0, 0.0}},
    };
    for (const Case& c : cases) {
        YSin2 s;
        ASSERT_TRUE(s.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
        SetLengths(s, c.pulse, c.total);
        ASSERT_TRUE(s.Generate()) << c.name;
        const YDoubleVec& v = *s.GetSamples();
        ASSERT_EQ(v.Size(), int(c.samples.size())) << c.name;
        for (int i = 0; i < v.Size(); ++i)
            EXPECT_NEAR(v.Data()[i], c.samples[i], 1e-15) << c.name << " sample " << i;
    }
}

TEST(Spike, PulseShapes) {
    struct Case {
        const char* name;
        double pulse, total;
        bool automatic;
        int ones, size;
    };
    const Case cases[] = {
        {"automatic: one sample", 0.01, 0.2, true, 1, 9600},
        {"eight samples", 8.0 / kRate, 0.01, false, 8, 480},
        {"longer than its total", 0.01, 1.0 / kRate, false, 480, 480},
    };
    for (const Case& c : cases) {
        YSpike s;
        ASSERT_TRUE(s.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
        WaveformParams records;
        ASSERT_TRUE(s.GetParams(records));
        records[0].value = c.pulse;
        records[1].value = c.total;
        records[2].intValue = c.automatic;
        s.SetParams(records);  // automatic length corrects the pulse record
        ASSERT_TRUE(s.SetParams(records)) << c.name;
        ASSERT_TRUE(s.Generate());
        EXPECT_FALSE(s.GetSyncPulse());
        const YDoubleVec& v = *s.GetSamples();
        ASSERT_EQ(v.Size(), c.size) << c.name;
        for (int i = 0; i < v.Size(); ++i)
            EXPECT_EQ(v.Data()[i], i < c.ones ? 1.0 : 0.0) << c.name << " sample " << i;
    }
}

// One-channel work: the response is the device's, not the device convolved
// with the pulse.
TEST(PulseStimulus, OneChannelAnalysisDeconvolvesThePulse) {
    struct Case {
        const char* name;
        bool sin2;
        double pulse;
    };
    const Case cases[] = {
        {"spike of one sample", false, 1.0 / kRate},
        {"spike of eight samples", false, 8.0 / kRate},
        {"sin2 of 4 samples", true, 4.0 / kRate},
        {"sin2 of 0.25 ms", true, 0.00025},
    };
    // A pulse of 0.25 ms has no energy from 8 kHz on: there the response
    // is the device's only within the pulse's band.
    const auto bandLimited = [](const Case& c) { return c.sin2 && c.pulse > 5.0 / kRate; };
    for (const Case& c : cases) {
        std::unique_ptr<IWaveform> m;
        if (c.sin2)
            m = std::make_unique<YSin2>();
        else
            m = std::make_unique<YSpike>();
        ASSERT_TRUE(m->SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
        SetLengths(*m, c.pulse, 0.05);
        ASSERT_TRUE(m->Generate()) << c.name;
        Recording r = PlayThroughTaps(PlayedLoop(*m, kRate), 3);
        ResponseList responses;
        ASSERT_TRUE(m->Analyze(r.View(false), responses, 2, 0)) << c.name;
        ASSERT_EQ(responses.size(), 1u);
        EXPECT_EQ(responses[0].tag, 0);
        EXPECT_EQ(responses[0].data.Size(), m->GetSamples()->Size()) << c.name;
        if (!bandLimited(c)) {
            ExpectTaps(responses[0].data, c.sin2 ? 1.0 : YSpike::kLevel, c.name);
            continue;
        }
        const YComplexVec spectrum = waveform_test::SpectrumOf(responses[0].data);
        for (double f : {100.0, 500.0, 1000.0, 2000.0, 4000.0}) {
            const double want = waveform_test::DeviceResponse(kTaps, f, kRate).first;
            EXPECT_NEAR(waveform_test::MagnitudeAt(spectrum, f, kRate), want, 0.01 * want)
                << c.name << " at " << f;
        }
    }
}

TEST(PulseStimulus, PeriodIsTheStimulusPlayed) {
    // A pulse longer than its total length: the period is the pulse.
    YSpike s;
    ASSERT_TRUE(s.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0));
    SetLengths(s, 0.02, 0.001);
    ASSERT_TRUE(s.Generate());
    ASSERT_EQ(s.GetSamples()->Size(), 960);
    Recording r = PlayThroughTaps(*s.GetSamples(), 3);
    ResponseList responses;
    ASSERT_TRUE(s.Analyze(r.View(false), responses, 2, 0));
    EXPECT_EQ(responses[0].data.Size(), 960);
}

TEST(PulseStimulus, DeconvolutionUndoesTheStimulus) {
    // A stimulus without spectral zeros, convolved with a device of three
    // taps, comes back as the taps.
    const double stimulus[] = {1.0, 0.5, -0.25};
    YDoubleVec s(3), recorded(64), out;
    std::copy(std::begin(stimulus), std::end(stimulus), s.begin());
    for (const auto& [d, g] : kTaps)
        for (int i = 0; i < 3; ++i) recorded.Data()[d + i] += g * stimulus[i];
    ASSERT_TRUE(YPulseStimulus::Deconvolve(out, recorded, s));
    ASSERT_EQ(out.Size(), 64);
    for (int i = 0; i < 64; ++i) {
        double want = 0.0;
        for (const auto& [d, g] : kTaps) want += i == d ? g : 0.0;
        EXPECT_NEAR(out.Data()[i], want, 1e-5) << "sample " << i;
    }
    YDoubleVec silent(8);
    EXPECT_FALSE(YPulseStimulus::Deconvolve(out, recorded, silent));
}
