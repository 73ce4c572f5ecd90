// The frequency curve set: what SetCurves derives (against analytic phase and
// delay), display copies, undo, and the axes it refuses.

#include "Sonbex/Curves/YFreqGraphCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <vector>

namespace sonbex::curves {
namespace {

constexpr double kPi = std::numbers::pi;

YDoubleVec Vec(const std::vector<double>& v) {
    YDoubleVec out(static_cast<int>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) out[static_cast<int>(i)] = v[i];
    return out;
}

// 10 Hz .. 20 kHz at 48 points per octave.
YDoubleVec LogAxis(double f0, double f1, int ppo) {
    std::vector<double> f;
    for (double x = f0; x <= f1 * 1.000001; x *= std::pow(2.0, 1.0 / ppo)) f.push_back(x);
    return Vec(f);
}

SettingsBlock Settings48k() {
    SettingsBlock s;
    s.SetSampleRate(48000.0);
    s.SetBitsPerSample(24);
    s.SetStimulusId(1);
    return s;
}

double AngleDiff(double a, double b) { return std::abs(WrapPhase(a - b)); }

TEST(FreqGraphCurve, ButterworthMagnitudeOnlyGetsItsAnalyticMinimumPhase) {
    const YDoubleVec f = LogAxis(10.0, 20000.0, 48);
    YDoubleVec mag(f.Size());
    std::vector<double> analytic(f.Size());
    const double w0 = 2 * kPi * 100.0;
    for (int i = 0; i < f.Size(); ++i) {
        const std::complex<double> s(0.0, 2 * kPi * f[i]);
        const std::complex<double> h = s * s / (s * s + std::sqrt(2.0) * w0 * s + w0 * w0);
        mag[i] = 20.0 * std::log10(std::abs(h));
        analytic[i] = std::arg(h);
    }
    // The minimum phase is computed at the accuracy stored with the set:
    // "High" (at "Low" and "Medium" the worst error near 20 Hz is 1.3 degrees).
    SettingsBlock settings = Settings48k();
    settings.SetMinPhaseAccuracy(2);
    YFreqGraphCurve set;
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    ASSERT_TRUE(set.SetCurves("HP", nullptr, in, &settings, 0, true));

    const YCurve* phase = set.FindCurve(CurveKind::Phase, true);
    const YCurve* minPhase = set.FindCurve(CurveKind::MinPhase, true);
    ASSERT_NE(phase, nullptr);
    ASSERT_NE(minPhase, nullptr);
    double worst = 0.0;
    for (int i = 0; i < f.Size(); ++i)
        if (f[i] >= 20.0) worst = std::max(worst, AngleDiff(phase->values[i], analytic[i]));
    EXPECT_LT(worst * 180.0 / kPi, 1.0);
    for (int i = 0; i < f.Size(); ++i) {
        EXPECT_EQ(phase->values[i], minPhase->values[i]);
        EXPECT_NEAR(set.FindCurve(CurveKind::ExcessPhase, true)->values[i], 0.0, 1e-12);
        EXPECT_NEAR(set.FindCurve(CurveKind::ExcessGroupDelay, true)->values[i], 0.0, 1e-12);
    }
    // Every kind a magnitude-only result gets, in kind order.
    std::vector<CurveKind> kinds;
    for (const auto& c : set.Stored()) kinds.push_back(c->kind);
    EXPECT_EQ(kinds, (std::vector<CurveKind>{CurveKind::Magnitude, CurveKind::Phase, CurveKind::MinPhase,
                                             CurveKind::ExcessPhase, CurveKind::GroupDelay,
                                             CurveKind::MinGroupDelay, CurveKind::ExcessGroupDelay}));
    ASSERT_EQ(set.Display().size(), set.Stored().size());
    EXPECT_EQ(set.PointsPerOctave(), 48);
}

TEST(FreqGraphCurve, FlatMagnitudeWithPureDelayHasThatExcessGroupDelay) {
    const YDoubleVec f = LogAxis(10.0, 20000.0, 48);
    YDoubleVec mag(f.Size()), phase(f.Size());
    const double delay = 0.001;
    for (int i = 0; i < f.Size(); ++i) phase[i] = WrapPhase(-2 * kPi * f[i] * delay);
    const SettingsBlock settings = Settings48k();
    YFreqGraphCurve set;
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.phase = &phase;
    ASSERT_TRUE(set.SetCurves("Delay", nullptr, in, &settings, 0, true));
    const YCurve* egd = set.FindCurve(CurveKind::ExcessGroupDelay, true);
    ASSERT_NE(egd, nullptr);
    for (int i = 1; i + 1 < f.Size(); ++i) EXPECT_NEAR(egd->values[i], delay, 2e-6) << f[i] << " Hz";
    // Shown in milliseconds.
    EXPECT_NEAR(set.FindCurve(CurveKind::ExcessGroupDelay, false)->values[f.Size() / 2], 1.0, 2e-3);
}

TEST(FreqGraphCurve, FlatPhaseIsReplacedOnlyWithoutKeepPhase) {
    const YDoubleVec f = LogAxis(20.0, 20000.0, 12);
    YDoubleVec mag(f.Size()), phase(f.Size());
    for (int i = 0; i < f.Size(); ++i) mag[i] = -3.0 * std::log2(f[i] / 20.0);
    phase.Fill(0.12344);
    phase[3] = 0.12341;  // the same to four decimals
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.phase = &phase;
    for (bool keep : {true, false}) {
        YFreqGraphCurve set;
        ASSERT_TRUE(set.SetCurves("x", nullptr, in, nullptr, 0, keep));
        const YCurve* p = set.FindCurve(CurveKind::Phase, true);
        const YCurve* mp = set.FindCurve(CurveKind::MinPhase, true);
        if (keep)
            EXPECT_EQ(p->values[5], 0.12344);
        else
            EXPECT_EQ(p->values[5], mp->values[5]);
    }
}

TEST(FreqGraphCurve, GivenMinimumPhaseWithoutItsGroupDelayHasNoExcessGroupDelay) {
    const YDoubleVec f = LogAxis(20.0, 20000.0, 12);
    YDoubleVec mag(f.Size()), phase(f.Size()), minPhase(f.Size());
    for (int i = 0; i < f.Size(); ++i) phase[i] = minPhase[i] = 0.01 * i;
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.phase = &phase;
    in.minPhase = &minPhase;
    YFreqGraphCurve set;
    ASSERT_TRUE(set.SetCurves("x", nullptr, in, nullptr, 0, true));
    EXPECT_TRUE(set.Has(CurveKind::GroupDelay));
    EXPECT_FALSE(set.Has(CurveKind::MinGroupDelay));
    EXPECT_FALSE(set.Has(CurveKind::ExcessGroupDelay));
    EXPECT_TRUE(set.Has(CurveKind::ExcessPhase));
}

TEST(FreqGraphCurve, RefusesAxesWithoutTwoDistinctAscendingFrequencies) {
    struct Case {
        const char* name;
        std::vector<double> f;
    } cases[] = {
        {"empty", {}},
        {"one point", {1000.0}},
        {"equal ends", {1000.0, 1000.0, 1000.0}},
        {"descending", {2000.0, 1000.0}},
        {"zero", {0.0, 1000.0}},
        {"negative", {-10.0, 1000.0}},
        {"not finite", {100.0, NAN}},
    };
    for (const Case& c : cases) {
        const YDoubleVec f = Vec(c.f);
        const YDoubleVec mag(f.Size());
        CurveInput in;
        in.frequency = &f;
        in.magnitude = &mag;
        YFreqGraphCurve set;
        EXPECT_FALSE(set.SetCurves("x", nullptr, in, nullptr, 0, true)) << c.name;
        EXPECT_TRUE(set.Stored().empty()) << c.name;
        EXPECT_TRUE(set.Title().empty()) << c.name;
    }
    // A vector shorter than its axis.
    const YDoubleVec f = Vec({100, 200, 400});
    const YDoubleVec mag(3), phase(2);
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.phase = &phase;
    YFreqGraphCurve set;
    EXPECT_FALSE(set.SetCurves("x", nullptr, in, nullptr, 0, true));
    in.phase = nullptr;
    in.magnitude = nullptr;
    EXPECT_FALSE(set.SetCurves("x", nullptr, in, nullptr, 0, true));
}

TEST(FreqGraphCurve, PointsPerOctave) {
    struct Case {
        std::vector<double> f;
        int expected;
    } cases[] = {
        {{}, 0},
        {{1000.0}, 0},  // one point: 0, not a division by zero
        {{100.0, 200.0}, 2},
        {{100.0, 200.0, 400.0}, 2},  // 3 / 2 = 1.5 rounds away from zero
        {{100.0, 141.4213562373095, 200.0}, 3},
    };
    for (const Case& c : cases) {
        const YDoubleVec f = Vec(c.f);
        YFreqGraphCurve set;
        if (c.f.size() >= 2) {
            const YDoubleVec mag(f.Size());
            CurveInput in;
            in.frequency = &f;
            in.magnitude = &mag;
            ASSERT_TRUE(set.SetCurves("x", nullptr, in, nullptr, 0, true));
        }
        EXPECT_EQ(set.PointsPerOctave(), c.expected) << c.f.size() << " points";
    }
}

TEST(FreqGraphCurve, UndoAfterTwoSmoothingsRestoresEveryBit) {
    const YDoubleVec f = LogAxis(20.0, 20000.0, 48);
    YDoubleVec mag(f.Size()), thd(f.Size());
    for (int i = 0; i < f.Size(); ++i) {
        mag[i] = 80.0 + 3.0 * std::sin(i * 0.7) + 0.1 * i;
        thd[i] = 1.0 + 0.5 * std::cos(i * 1.3);
    }
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.thd = &thd;
    YFreqGraphCurve set;
    ASSERT_TRUE(set.SetCurves("x", nullptr, in, nullptr, 0, true));
    set.MarkSaved(true);
    std::vector<std::vector<double>> before;
    for (const auto& c : set.Stored()) before.emplace_back(c->values.begin(), c->values.end());

    EXPECT_TRUE(set.Smooth(3, 1));
    EXPECT_TRUE(set.Smooth(6, 2));
    EXPECT_FALSE(set.IsSaved());
    EXPECT_NE(std::memcmp(set.Stored()[0]->values.Data(), before[0].data(), before[0].size() * 8), 0);
    set.Undo();
    set.Undo();
    EXPECT_TRUE(set.IsSaved());
    for (std::size_t k = 0; k < before.size(); ++k)
        EXPECT_EQ(std::memcmp(set.Stored()[k]->values.Data(), before[k].data(), before[k].size() * 8), 0)
            << CurveKindName(set.Stored()[k]->kind);
    // A third Undo has no snapshot left and changes nothing.
    set.Undo();
    EXPECT_EQ(std::memcmp(set.Stored()[0]->values.Data(), before[0].data(), before[0].size() * 8), 0);
}

TEST(FreqGraphCurve, NormalizeAndLevelMoveTheDistortionLevelsToo) {
    const YDoubleVec f = Vec({100, 200, 400, 800});
    const YDoubleVec mag = Vec({80, 84, 86, 82});
    const YDoubleVec thd = Vec({0.0, 1.0, 10.0, 100.0});
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.thd = &thd;
    YFreqGraphCurve set;
    ASSERT_TRUE(set.SetCurves("x", nullptr, in, nullptr, 0, true));
    set.SetDistortionPercent(false, false);
    const auto shown = [&](int i) { return set.FindCurve(CurveKind::Thd, false)->values[i]; };
    EXPECT_DOUBLE_EQ(shown(0), 80.0 - 760.0);  // 0 % is the magnitude minus 760 dB
    EXPECT_DOUBLE_EQ(shown(1), 84.0 - 40.0);
    EXPECT_DOUBLE_EQ(shown(3), 82.0);
    set.NormalizeAt(300.0);  // the first point at or above: 400 Hz
    EXPECT_DOUBLE_EQ(set.FindCurve(CurveKind::Magnitude, true)->values[2], 0.0);
    EXPECT_DOUBLE_EQ(shown(2), -20.0);
    set.AddLevel(6.0);
    EXPECT_DOUBLE_EQ(shown(2), -14.0);
    set.NormalizeAt(1e6);  // above the axis: the last point
    EXPECT_DOUBLE_EQ(set.FindCurve(CurveKind::Magnitude, true)->values[3], 0.0);
    set.SetDistortionPercent(true, false);
    EXPECT_DOUBLE_EQ(shown(2), 10.0);
}

TEST(FreqGraphCurve, DisplayCopiesAreInDegreesAndMilliseconds) {
    const YDoubleVec f = Vec({100, 200, 400, 800});
    const YDoubleVec mag(4);
    const YDoubleVec phase = Vec({3.0, -3.0, 3.0, -3.0});
    const YDoubleVec gd = Vec({0.001, 0.002, 0.003, 0.004});
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    in.phase = &phase;
    in.groupDelay = &gd;
    YFreqGraphCurve set;
    ASSERT_TRUE(set.SetCurves("x", nullptr, in, nullptr, 2, true));
    EXPECT_DOUBLE_EQ(set.FindCurve(CurveKind::Phase, false)->values[1], -3.0 * 57.29577951308232);
    EXPECT_DOUBLE_EQ(set.FindCurve(CurveKind::GroupDelay, false)->values[3], 4.0);
    set.SetPhaseUnwrapped(true, false);
    EXPECT_NEAR(set.FindCurve(CurveKind::Phase, false)->values[1], (2 * kPi - 3.0) * 57.29577951308232, 1e-9);
    // Colour slot 2 of each family.
    EXPECT_EQ(set.ColourIndex(), 2);
    EXPECT_EQ(set.FindCurve(CurveKind::Magnitude, true)->colour, Rgb(0, 0, 0));
    EXPECT_EQ(set.FindCurve(CurveKind::Phase, false)->colour, Rgb(0xc0, 0, 0xc0));
}

TEST(FreqGraphCurve, SettingsWithoutSampleRateComeFromTheCurrentOnesInOlderForm) {
    const YDoubleVec f = Vec({100, 200});
    const YDoubleVec mag(2);
    CurveInput in;
    in.frequency = &f;
    in.magnitude = &mag;
    SettingsBlock current = Settings48k();
    current.SetStimulusId(kNoStimulus);
    current.bytes()[2900] = 7;  // beyond the record: not taken
    current.SetAnalysisKind(4);
    YFreqGraphCurve set;
    const SettingsBlock none;
    ASSERT_TRUE(set.SetCurves("x", nullptr, in, &none, 0, true, current));
    EXPECT_EQ(set.Header().settings.SampleRate(), 48000.0);
    EXPECT_EQ(set.Header().settings.Double(2728), 8.0);
    EXPECT_EQ(set.Header().settings.bytes()[2900], 0);
    EXPECT_EQ(set.Header().settings.AnalysisKind(), 0);  // no stimulus: a frequency response
    EXPECT_EQ(set.Path(), "x");
    EXPECT_FALSE(set.IsSaved());
}

}  // namespace
}  // namespace sonbex::curves
