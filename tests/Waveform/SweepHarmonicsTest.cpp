// Harmonic distortion from one logarithmic sweep: the harmonic responses
// separated from the deconvolved recording, through the simulated card's
// memoryless polynomial device.

#include "ToneTestSupport.h"
#include "Waveform/YLogSweep.h"
#include "Waveform/YSweepHarmonics.h"
#include "YLib/YComplexVec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace stimulus_test;

constexpr double kRate = 48000.0;

YLogSweep Sweep(double durationPerOctave, int harmonics, bool two = false) {
    YLogSweep m;
    EXPECT_TRUE(m.SetFormat(kRate, two ? 2 : 1, 2, 24, 1, 1.0, 1.0));
    m.SetStereo(two);
    WaveformParams p;
    EXPECT_TRUE(m.GetParams(p));
    p[0].value = 20.0;
    p[1].value = 20000.0;
    p[2].value = durationPerOctave;
    EXPECT_TRUE(m.SetParams(p));
    WaveformParams a;
    EXPECT_TRUE(m.GetAnalysisParams(a));
    a[2].intValue = 12;
    EXPECT_TRUE(m.SetAnalysisParams(a));
    EXPECT_TRUE(m.SetHarmonics(harmonics));
    EXPECT_TRUE(m.Generate());
    return m;
}

ResponseList Measure(YLogSweep& m, const Device& device, int measuredDelay = 0, bool two = false) {
    Recording r = Play(*m.GetSamples(), device, 2, 3000, measuredDelay, 0);
    ResponseList out;
    EXPECT_TRUE(m.Analyze(r.View(two), out, 1, kAnalyzeSkipFirst));
    return out;
}

double Db(double ratio) { return 20.0 * std::log10(ratio); }

// 100·a / sqrt(f² + a²): a harmonic of amplitude a beside a fundamental f, in
// percent of the whole, as the stepped sine reports it.
double Percent(double a, double f) { return 100.0 * a / std::hypot(f, a); }

TEST(SweepHarmonics, PolynomialDeviceReadsItsAnalyticHarmonics) {
    // y = x + 0.1 x² + 0.05 x³ at amplitude 1: fundamental 1 + 0.0375,
    // second harmonic 0.05, third 0.0125.
    const double h2 = Percent(0.05, 1.0375), h3 = Percent(0.0125, 1.0375);
    for (const bool two : {false, true}) {
        SCOPED_TRACE(two ? "against the reference channel" : "against the generated sweep");
        YLogSweep m = Sweep(0.2, 5, two);
        const ResponseList r = Measure(m, Polynomial({0.0, 1.0, 0.1, 0.05}), 0, two);
        EXPECT_EQ(m.HarmonicsLeftOut(), 0);
        const YDoubleVec* axis = Entry(r, ResponseEntry::kFrequency);
        const YDoubleVec* H2 = Entry(r, ResponseEntry::kH2);
        const YDoubleVec* H3 = Entry(r, ResponseEntry::kH3);
        const YDoubleVec* H4 = Entry(r, ResponseEntry::kH4);
        const YDoubleVec* thd = Entry(r, ResponseEntry::kThd);
        ASSERT_TRUE(axis && H2 && H3 && H4 && thd && Entry(r, ResponseEntry::kH5));
        int checked = 0;
        for (int i = 0; i < axis->Size(); ++i) {
            const double f = (*axis)[i];
            if (f < 100.0 || f > 5000.0) continue;
            ++checked;
            EXPECT_NEAR(Db((*H2)[i] / h2), 0.0, 0.2) << f << " Hz";
            EXPECT_NEAR(Db((*H3)[i] / h3), 0.0, 0.2) << f << " Hz";
            EXPECT_LT((*H4)[i], 0.01) << f << " Hz";
            EXPECT_NEAR(Db((*thd)[i] / Percent(std::hypot(0.05, 0.0125), 1.0375)), 0.0, 0.2) << f << " Hz";
        }
        EXPECT_GT(checked, 60);
    }
}

TEST(SweepHarmonics, LinearDeviceReadsTheFloor) {
    YLogSweep m = Sweep(0.2, 3);
    const ResponseList r = Measure(m, Linear);
    const YDoubleVec* axis = Entry(r, ResponseEntry::kFrequency);
    const YDoubleVec* thd = Entry(r, ResponseEntry::kThd);
    ASSERT_TRUE(axis && thd);
    for (int i = 0; i < axis->Size(); ++i) {
        if ((*axis)[i] < 100.0 || (*axis)[i] > 5000.0) continue;
        EXPECT_LT((*thd)[i], 0.005) << (*axis)[i] << " Hz";
    }
}

TEST(SweepHarmonics, LinearPartIsThePlainAnalysis) {
    const Device device = Polynomial({0.0, 1.0, 0.1, 0.05});
    YLogSweep plain = Sweep(0.2, 0), split = Sweep(0.2, 5);
    const ResponseList a = Measure(plain, device), b = Measure(split, device);
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 8u);
    for (int e = 0; e < 3; ++e) {
        EXPECT_EQ(a[e].tag, b[e].tag);
        ASSERT_EQ(a[e].data.Size(), b[e].data.Size());
        for (int i = 0; i < a[e].data.Size(); ++i) EXPECT_EQ(a[e].data[i], b[e].data[i]);
    }
}

TEST(SweepHarmonics, DelayMovesEveryResponseAlike) {
    const Device device = Polynomial({0.0, 1.0, 0.1, 0.05});
    YLogSweep m = Sweep(0.2, 3);
    const ResponseList early = Measure(m, device, 0), late = Measure(m, device, 300);
    for (const int tag : {ResponseEntry::kH2, ResponseEntry::kH3, ResponseEntry::kThd}) {
        const YDoubleVec *a = Entry(early, tag), *b = Entry(late, tag);
        ASSERT_TRUE(a && b);
        const YDoubleVec& axis = early[0].data;
        for (int i = 0; i < axis.Size(); ++i) {
            if (axis[i] < 100.0 || axis[i] > 5000.0) continue;
            EXPECT_NEAR(Db((*b)[i] / (*a)[i]), 0.0, 0.1) << axis[i];
        }
    }
}

TEST(SweepHarmonics, SquareLawHarmonicIsCoherentWithTheLinearResponse) {
    // sin² = (1 - cos 2φ) / 2: the second harmonic is the sweep itself, shifted
    // by the harmonic's advance and turned by -90 degrees, whatever the
    // frequency; after the advance its phase is the linear response's plus a
    // constant, with nothing left of the time shift.
    YLogSweep m = Sweep(0.2, 2);
    Measure(m, Polynomial({0.0, 1.0, 0.2}), 150);
    YComplexVec transfer;
    ASSERT_TRUE(m.GetResult(&transfer));
    YSweepHarmonics::Result parts;
    const YSweepHarmonics::Sweep sweep{kRate, 20.0, 20000.0, m.GetSamples()->Size()};
    ASSERT_TRUE(YSweepHarmonics().Separate({transfer.Data(), std::size_t(transfer.Size())}, sweep, 2, parts));
    ASSERT_EQ(parts.spectra.size(), 2u);
    for (const double f : {200.0, 500.0, 1000.0, 2000.0, 5000.0, 8000.0}) {
        // Linear interpolation between the two bins around f.
        const auto at = [&](const std::vector<YComplex>& s) {
            const double x = f / kRate * double(s.size());
            const std::size_t j = std::size_t(x);
            const double t = x - double(j);
            return YComplex(s[j].re * (1 - t) + s[j + 1].re * t, s[j].im * (1 - t) + s[j + 1].im * t);
        };
        const YComplex linear = at(parts.spectra[0]), second = at(parts.spectra[1]);
        double difference = Arg(second) - Arg(linear) + std::numbers::pi / 2;
        difference = std::remainder(difference, 2.0 * std::numbers::pi);
        EXPECT_NEAR(difference, 0.0, 0.02) << f << " Hz";
        EXPECT_NEAR(Abs(second) / Abs(linear), 0.1, 0.002) << f << " Hz";
    }
}

TEST(SweepHarmonics, TooShortSweepLeavesHarmonicsOut) {
    // At 0.05 s per octave from 20 Hz the second harmonic's window holds less
    // than two periods of 40 Hz.
    YLogSweep m = Sweep(0.05, 5);
    const ResponseList r = Measure(m, Polynomial({0.0, 1.0, 0.1}));
    EXPECT_EQ(m.HarmonicsLeftOut(), 2);
    EXPECT_EQ(r.size(), 3u);  // axis, magnitude and phase only
}

TEST(SweepHarmonics, HarmonicCountIsChecked) {
    YLogSweep m;
    for (const int n : {0, 2, 3, 4, 5}) EXPECT_TRUE(m.SetHarmonics(n)) << n;
    for (const int n : {-1, 1, 6, 100}) EXPECT_FALSE(m.SetHarmonics(n)) << n;
    EXPECT_EQ(m.Harmonics(), 5);
}

}  // namespace
