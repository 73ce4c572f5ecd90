#include "AnalysisTestSupport.h"

#include "YLib/YAnaFreqDomain.h"
#include "YLib/YComplexDomain.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YFreqVec.h"
#include "YLib/YMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Difference of two angles in degrees, taken into [-180, 180].
double DegreesApart(double a, double b) { return std::fabs(WrapDegrees(a - b)); }

YFreqVec LogAxis(double f1, double f2, int ppo) {
    YFreqVec f;
    EXPECT_TRUE(f.Create(f1, f2, ppo, false, false));
    return f;
}

}  // namespace

TEST(UnwrapPhase, MatchesNumpyUnwrap) {
    std::map<std::string, std::pair<std::vector<double>, std::vector<double>>> cases;
    for (const TableRow& row : ReadTable("unwrap_cases.txt")) {
        cases[row.label].first.push_back(row.numbers[2]);
        cases[row.label].second.push_back(row.numbers[3]);
    }
    ASSERT_EQ(cases.size(), 7u);
    const YAnaFreqDomain ana;
    for (const auto& [name, c] : cases) {
        for (int ppo : {0, 1, 12, 96, 1000}) {
            YDoubleVec out;
            ASSERT_TRUE(ana.UnwrapPhase(out, Vec(c.first), ppo));
            ASSERT_EQ(out.Size(), int(c.second.size()));
            for (int i = 0; i < out.Size(); ++i)
                ASSERT_NEAR(out[i], c.second[i], 1e-12) << name << " ppo " << ppo << " point " << i;
        }
        YDoubleVec inPlace = Vec(c.first);  // the curve may be its own output
        ASSERT_TRUE(ana.UnwrapPhase(inPlace, inPlace, 24));
        EXPECT_NEAR(inPlace[inPlace.Size() - 1], c.second.back(), 1e-12) << name;
    }
}

TEST(UnwrapPhase, KeepsStepsOfHalfATurnAndEmptyCurves) {
    const YAnaFreqDomain ana;
    YDoubleVec out;
    ASSERT_TRUE(ana.UnwrapPhase(out, Vec({0.0, kPi, 0.0, -kPi, 1.0}), 0));
    EXPECT_EQ(out[1], kPi);
    EXPECT_EQ(out[3], -kPi);
    ASSERT_TRUE(ana.UnwrapPhase(out, YDoubleVec(), 12));
    EXPECT_EQ(out.Size(), 0);
}

TEST(GroupDelay, OfLinearPhaseIsTheDelay) {
    const YAnaFreqDomain ana;
    for (double tau : {0.001, 2.5e-5, -0.0003}) {
        const YFreqVec f = LogAxis(20.0, 20000.0, 24);
        YDoubleVec p(f.Size());
        for (int i = 0; i < f.Size(); ++i) p[i] = -2.0 * kPi * f[i] * tau;
        YDoubleVec gd;
        ASSERT_TRUE(ana.GroupDelay(gd, f, p));
        ASSERT_EQ(gd.Size(), f.Size());
        for (int i = 0; i < gd.Size(); ++i)
            ASSERT_NEAR(gd[i], tau, 1e-12 + 1e-9 * std::fabs(tau)) << "tau " << tau << " point " << i;
    }
}

TEST(GroupDelay, OfFirstOrderLowPassMatchesTable) {
    std::vector<double> f, p, expected;
    for (const TableRow& row : ReadTable("lowpass1k_groupdelay.txt")) {
        f.push_back(row.numbers[0]);
        p.push_back(row.numbers[1]);
        expected.push_back(row.numbers[2]);
    }
    YDoubleVec gd;
    ASSERT_TRUE(YAnaFreqDomain().GroupDelay(gd, Vec(f), Vec(p)));
    const int n = int(f.size());
    for (int i = 1; i + 1 < n; ++i)
        ASSERT_NEAR(gd[i], expected[size_t(i)], 2e-4 * expected[size_t(i)]) << f[size_t(i)] << " Hz";
    EXPECT_EQ(gd[0], gd[1]);
    EXPECT_EQ(gd[n - 1], gd[n - 2]);
    const size_t at1k = std::lower_bound(f.begin(), f.end(), 1000.0 - 1e-9) - f.begin();
    ASSERT_NEAR(f[at1k], 1000.0, 1e-6);
    EXPECT_NEAR(gd[int(at1k)], 79.577e-6, 0.01e-6);
}

TEST(GroupDelay, ShortAndRepeatedAxesStayFinite) {
    struct Case {
        const char* name;
        std::vector<double> f, p, expected;
    };
    const double slope = -2.0 * kPi * 0.001;  // 1 ms
    const Case cases[] = {
        {"empty", {}, {}, {}},
        {"one point", {100.0}, {1.0}, {0.0}},
        {"two points", {100.0, 200.0}, {100 * slope, 200 * slope}, {0.001, 0.001}},
        {"two equal points", {100.0, 100.0}, {0.0, 1.0}, {0.0, 0.0}},
        {"all equal", {50.0, 50.0, 50.0, 50.0}, {0.0, 1.0, 2.0, 3.0}, {0.0, 0.0, 0.0, 0.0}},
        {"repeated middle",
         {100.0, 200.0, 200.0, 200.0, 400.0, 500.0},
         {100 * slope, 200 * slope, 200 * slope, 200 * slope, 400 * slope, 500 * slope},
         {0.001, 0.001, 0.001, 0.001, 0.001, 0.001}},
        {"repeated ends",
         {100.0, 100.0, 100.0, 300.0, 300.0, 300.0},
         {100 * slope, 100 * slope, 100 * slope, 300 * slope, 300 * slope, 300 * slope},
         {0.001, 0.001, 0.001, 0.001, 0.001, 0.001}},
    };
    for (const Case& c : cases) {
        YDoubleVec gd;
        ASSERT_TRUE(YAnaFreqDomain().GroupDelay(gd, Vec(c.f), Vec(c.p))) << c.name;
        ASSERT_EQ(gd.Size(), int(c.expected.size())) << c.name;
        for (int i = 0; i < gd.Size(); ++i)
            EXPECT_NEAR(gd[i], c.expected[i], 1e-12) << c.name << " point " << i;
    }
    YDoubleVec gd;
    EXPECT_FALSE(YAnaFreqDomain().GroupDelay(gd, Vec({1.0, 2.0}), Vec({1.0})));
}

TEST(SpectrumGroupDelay, OfDelayedImpulseIsTheDelay) {
    const int n = 1024;
    const double fs = 48000.0;
    for (int delay : {0, 3, 17}) {
        YDoubleVec x(n);
        x[delay] = 1.0;
        YComplexVec spectrum;
        ASSERT_TRUE(YFft().TransformReal(x, spectrum));
        YDoubleVec gd;
        ASSERT_TRUE(YAnaFreqDomain().SpectrumGroupDelay(gd, spectrum, fs));
        ASSERT_EQ(gd.Size(), n / 2);
        for (int i = 0; i < gd.Size(); ++i)
            ASSERT_NEAR(gd[i], delay / fs, 1e-12) << "delay " << delay << " bin " << i;
    }
    YDoubleVec gd;
    EXPECT_FALSE(YAnaFreqDomain().SpectrumGroupDelay(gd, YComplexVec(4), fs));
    EXPECT_FALSE(YAnaFreqDomain().SpectrumGroupDelay(gd, YComplexVec(16), 0.0));
}

TEST(MakeSpectrum, IsHermitianAndRebuildsADelayedImpulse) {
    // The response of an impulse at N/4, given at every bin frequency, must
    // come back as that impulse at full height.
    const int k = 10, n = 1 << k;
    const double fs = 48000.0, delay = (n / 4) / fs;
    YDoubleVec f(n / 2), mag(n / 2), phase(n / 2);
    for (int i = 1; i <= n / 2; ++i) {
        f[i - 1] = i * fs / n;
        mag[i - 1] = 1.0;
        phase[i - 1] = WrapPhase(-2.0 * kPi * f[i - 1] * delay);
    }
    YComplexVec x;
    ASSERT_TRUE(YComplexDomain().MakeSpectrum(x, k, f, mag, phase, false, fs));
    ASSERT_EQ(x.Size(), n);
    EXPECT_EQ(x[n / 2].im, 0.0);
    for (int i = 1; i < n / 2; ++i) {
        ASSERT_EQ(x[n - i].re, x[i].re) << i;
        ASSERT_EQ(x[n - i].im, -x[i].im) << i;
    }
    ASSERT_TRUE(YFft().InverseTransform(x));
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(x[i].im, 0.0, 1e-12) << i;
        EXPECT_NEAR(x[i].re, i == n / 4 ? 1.0 : 0.0, 1.5 / n) << i;
    }
}

TEST(MakeSpectrum, FlatCurveGivesUnitBinsAndTinyDc) {
    const YFreqVec f = LogAxis(20.0, 20000.0, 48);
    YDoubleVec db(f.Size()), phase(f.Size());
    YComplexVec x;
    ASSERT_TRUE(YComplexDomain().MakeSpectrum(x, 10, f, db, phase, true, 48000.0));
    EXPECT_EQ(x[0].re, 1e-37);
    for (int i = 1; i < x.Size(); ++i) ASSERT_NEAR(Abs(x[i]), 1.0, 1e-12) << i;
}

TEST(MakeSpectrum, InterpolatesTheUnwrappedPhase) {
    // Two points a turn and a half apart: the wrapped values would
    // interpolate the short way round.
    YComplexVec x;
    const double fs = 1024.0;
    ASSERT_TRUE(YComplexDomain().MakeSpectrum(x, 10, Vec({100.0, 110.0, 400.0}), Vec({0.0, 0.0, 0.0}),
                                              Vec({0.0, -2.5, WrapPhase(-2.5 - 2.5)}), true, fs));
    // At 105 Hz, half-way in log f between the first two points.
    const double expected = -2.5 * std::log(105.0 / 100.0) / std::log(110.0 / 100.0);
    EXPECT_NEAR(Arg(x[105]), expected, 1e-12);
    const double at200 = -2.5 - 2.5 * std::log(200.0 / 110.0) / std::log(400.0 / 110.0);
    EXPECT_NEAR(Arg(x[200]), WrapPhase(at200), 1e-12);
}

TEST(MakeSpectrum, RejectsBadCurves) {
    struct Case {
        const char* name;
        std::vector<double> f, m, p;
        int k;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {"empty", {}, {}, {}, 10},
        {"unequal lengths", {1.0, 2.0}, {0.0}, {0.0, 0.0}, 10},
        {"descending", {200.0, 100.0}, {0.0, 0.0}, {0.0, 0.0}, 10},
        {"zero frequency", {0.0, 100.0}, {0.0, 0.0}, {0.0, 0.0}, 10},
        {"not finite", {100.0, 200.0}, {nan, 0.0}, {0.0, 0.0}, 10},
        {"order too small", {100.0}, {0.0}, {0.0}, 1},
    };
    for (const Case& c : cases) {
        YComplexVec x(3);
        EXPECT_FALSE(YComplexDomain().MakeSpectrum(x, c.k, Vec(c.f), Vec(c.m), Vec(c.p), true, 48000.0))
            << c.name;
        EXPECT_EQ(x.Size(), 3) << c.name;
    }
}

TEST(MinimumPhase, OfFlatCurveIsZero) {
    for (int e : {0, 1}) {
        const YFreqVec f = LogAxis(20.0, 20000.0, 48);
        YDoubleVec db(f.Size()), phase;
        ASSERT_TRUE(YAnaFreqDomain().MinimumPhase(phase, f, db, true, e));
        ASSERT_EQ(phase.Size(), f.Size());
        for (int i = 0; i < f.Size(); ++i)
            ASSERT_NEAR(phase[i] * 180.0 / kPi, 0.0, 0.01) << "extra order " << e << ", " << f[i] << " Hz";
    }
}

TEST(MinimumPhase, OfButterworthHighPassMatchesScipy) {
    std::vector<double> f, db, deg;
    for (const TableRow& row : ReadTable("butterworth_hp50.txt")) {
        f.push_back(row.numbers[0]);
        db.push_back(row.numbers[1]);
        deg.push_back(row.numbers[2]);
    }
    ASSERT_EQ(f.size(), 480u);
    YDoubleVec linear(int(f.size()));
    for (size_t i = 0; i < f.size(); ++i) linear[int(i)] = std::pow(10.0, db[i] / 20.0);
    struct Case {
        const char* name;
        const YDoubleVec mags;
        bool inDb;
    };
    const Case cases[] = {{"dB", Vec(db), true}, {"linear", linear, false}};
    for (const Case& c : cases) {
        YDoubleVec phase;
        ASSERT_TRUE(YAnaFreqDomain().MinimumPhase(phase, Vec(f), c.mags, c.inDb, 0)) << c.name;
        double worst = 0.0;
        for (size_t i = 0; i < f.size(); ++i)
            if (f[i] >= 50.0 && f[i] <= 18000.0)
                worst = std::max(worst, DegreesApart(phase[int(i)] * 180.0 / kPi, deg[i]));
        EXPECT_LT(worst, 1.0) << c.name;
    }
}

TEST(MinimumPhase, DegenerateAndBadCurves) {
    YDoubleVec phase;
    ASSERT_TRUE(YAnaFreqDomain().MinimumPhase(phase, Vec({1000.0}), Vec({3.0}), true, 0));
    ASSERT_EQ(phase.Size(), 1);
    EXPECT_EQ(phase[0], 0.0);
    ASSERT_TRUE(YAnaFreqDomain().MinimumPhase(phase, Vec({500.0, 500.0}), Vec({3.0, 1.0}), true, 0));
    EXPECT_EQ(phase[1], 0.0);
    EXPECT_FALSE(YAnaFreqDomain().MinimumPhase(phase, YDoubleVec(), YDoubleVec(), true, 0));
    EXPECT_FALSE(YAnaFreqDomain().MinimumPhase(phase, Vec({100.0, 50.0}), Vec({0.0, 0.0}), true, 0));
    EXPECT_FALSE(YAnaFreqDomain().MinimumPhase(phase, Vec({100.0, 200.0}), Vec({0.0, 0.0}), true, 9));
}

TEST(MinimumPhaseSpectrum, OfMinimumPhaseFilterGivesItsPhase) {
    // A one-pole filter y[n] = x[n] + 0.5·y[n-1] is minimum phase: the
    // construction from its magnitude alone returns its spectrum.
    const int n = 4096;
    YComplexVec h(n);
    YComplexVec magnitude(n);
    for (int i = 0; i < n; ++i) {
        const double w = 2.0 * kPi * i / n;
        h[i] = YComplex(1.0) / (YComplex(1.0) - 0.5 * YComplex(std::cos(w), -std::sin(w)));
        magnitude[i] = YComplex(Abs(h[i]));
    }
    ASSERT_TRUE(YComplexDomain().MinimumPhaseSpectrum(magnitude));
    // Bins 0 and N/2 take their neighbours' levels, a few millionths off
    // here; nothing else is.
    double worst = 0.0;
    for (int i = 0; i < n; ++i) worst = std::max(worst, Abs(magnitude[i] - h[i]));
    EXPECT_LT(worst, 1e-5);
    YComplexVec bad(6);
    EXPECT_FALSE(YComplexDomain().MinimumPhaseSpectrum(bad));
}

TEST(SpectrumAt, PicksAndInterpolatesBins) {
    YComplexVec x(16);
    for (int i = 0; i < 16; ++i) x[i] = YComplex(i, -i);
    const YComplexDomain cd;
    const double fs = 16.0;  // bin i at i Hz
    EXPECT_EQ(cd.SpectrumAt(x, 3.2, fs, false, false), YComplex(3, -3));
    EXPECT_EQ(cd.SpectrumAt(x, 0.1, fs, false, false), YComplex(1, -1));    // at least bin 1
    EXPECT_EQ(cd.SpectrumAt(x, 100.0, fs, false, false), YComplex(7, -7));  // at most N/2-1
    EXPECT_EQ(cd.SpectrumAt(x, 100.0, fs, false, true), YComplex(15, -15));
    const double expected = 3.0 + std::log(3.2 / 3.0) / std::log(4.0 / 3.0);
    EXPECT_NEAR(cd.SpectrumAt(x, 3.2, fs, true, false).re, expected, 1e-12);
    EXPECT_NEAR(cd.SpectrumAt(x, 3.2, fs, true, false).im, -expected, 1e-12);
    const YMagPhase mp = cd.MagPhaseAt(x, 4.0, fs, true, false);
    EXPECT_NEAR(mp.magnitude, 4.0 * std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(mp.phase, -kPi / 4, 1e-12);
    EXPECT_EQ(cd.SpectrumAt(x, 3.0, 0.0, true, false), YComplex());
}
