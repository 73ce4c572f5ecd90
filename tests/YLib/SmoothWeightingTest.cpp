#include "AnalysisTestSupport.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFreqVec.h"
#include "YLib/YMath.h"
#include "YLib/YNormalizeSettings.h"
#include "YLib/YSmooth.h"
#include "YLib/YWeighting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// f1·2^(i/ppo) for i = 0 .. n-1.
YDoubleVec Axis(double f1, int ppo, int n) {
    YDoubleVec f(n);
    for (int i = 0; i < n; ++i) f[i] = f1 * std::pow(2.0, double(i) / ppo);
    return f;
}

double Db(double x) { return 20.0 * std::log10(x); }

}  // namespace

TEST(YWeighting, MatchesIecTables) {
    const char* names[] = {"A", "B", "C", "D"};
    const std::vector<TableRow> rows = ReadTable("iec_weighting.txt");
    ASSERT_EQ(rows.size(), 34u);
    for (const TableRow& row : rows) {
        const double f = 1000.0 * std::pow(10.0, row.numbers[1] / 10.0);
        for (int type = YWeighting::kA; type <= YWeighting::kD; ++type)
            EXPECT_NEAR(Db(YWeighting::Relative(f, type)), row.numbers[2 + type], 0.15)
                << names[type] << " at " << row.label << " Hz";
    }
    EXPECT_NEAR(Db(YWeighting::Relative(100.0, YWeighting::kA)), -19.1, 0.15);
    EXPECT_NEAR(Db(YWeighting::Relative(10000.0, YWeighting::kA)), -2.5, 0.15);
    EXPECT_NEAR(Db(YWeighting::Relative(20.0, YWeighting::kC)), -6.2, 0.15);
}

TEST(YWeighting, OtherTypesAndUnknownOnes) {
    for (int type = YWeighting::kA; type <= YWeighting::kAHighCut; ++type)
        EXPECT_DOUBLE_EQ(YWeighting::Relative(1000.0, type), 1.0) << type;
    // The high cut is flat at low frequencies and falls above 10 kHz.
    EXPECT_NEAR(YWeighting::Relative(20.0, YWeighting::kHighCut),
                YWeighting::Relative(100.0, YWeighting::kHighCut), 1e-3);
    EXPECT_LT(YWeighting::Relative(20000.0, YWeighting::kHighCut), 0.5);
    EXPECT_DOUBLE_EQ(
        YWeighting::Value(3000.0, YWeighting::kAHighCut),
        YWeighting::Value(3000.0, YWeighting::kA) * YWeighting::Value(3000.0, YWeighting::kHighCut));
    EXPECT_EQ(YWeighting::Value(1000.0, 6), -1.0);
    EXPECT_EQ(YWeighting::Value(1000.0, -1), -1.0);
    EXPECT_EQ(YWeighting::Relative(1000.0, 6), -1.0);
}

TEST(YWeighting, ApplyWeightsBothHalvesAndRejectsBadSpectra) {
    const int n = 64;
    const double fs = 64000.0;  // bin i at i kHz
    YComplexVec x(n);
    for (int i = 0; i < n; ++i) x[i] = YComplex(1.0, i < n / 2 ? 1.0 : -1.0);
    ASSERT_TRUE(YWeighting().Apply(x, fs, YWeighting::kA));
    EXPECT_EQ(x[0], YComplex(1.0, 1.0));
    EXPECT_EQ(x[n / 2], YComplex(1.0, -1.0));
    EXPECT_DOUBLE_EQ(x[1].re, 1.0);  // 1 kHz
    const double g10k = YWeighting::Relative(10000.0, YWeighting::kA);
    EXPECT_DOUBLE_EQ(x[10].re, g10k);
    EXPECT_DOUBLE_EQ(x[n - 10].re, g10k);
    EXPECT_DOUBLE_EQ(x[n - 10].im, -g10k);

    YComplexVec odd(63), empty;
    EXPECT_FALSE(YWeighting().Apply(odd, fs, YWeighting::kA));
    EXPECT_FALSE(YWeighting().Apply(empty, fs, YWeighting::kA));
    EXPECT_FALSE(YWeighting().Apply(x, 0.0, YWeighting::kA));
    EXPECT_FALSE(YWeighting().Apply(x, fs, 6));
}

TEST(YSmooth, LeavesCurvesLinearInLogFrequencyAlone) {
    const YDoubleVec f = Axis(20.0, 96, 960);
    for (int method : {YSmooth::kAbsolute, YSmooth::kAverage, YSmooth::kMedian}) {
        for (int fraction : {1, 3, 12}) {
            YDoubleVec v(f.Size());
            for (int i = 0; i < f.Size(); ++i) v[i] = 3.0 - 6.0 * std::log2(f[i] / 20.0);
            const YDoubleVec expected = v;
            ASSERT_TRUE(YSmooth().Smooth(f, v, fraction, method, true));
            // Away from the ends, where the averaging windows are complete.
            for (int i = 96; i < f.Size() - 96; ++i)
                ASSERT_NEAR(v[i], expected[i], 1e-9)
                    << "method " << method << " 1/" << fraction << " point " << i;
        }
    }
}

TEST(YSmooth, AbsoluteKeepsAnchorsAndInterpolates) {
    // 1/3 octave on 96 points per octave: anchors every 16 points.
    const YDoubleVec f = Axis(100.0, 96, 100);
    YDoubleVec v(f.Size());
    for (int i = 0; i < f.Size(); ++i) v[i] = (i % 16 == 0) ? 1.0 : 0.0;
    ASSERT_TRUE(YSmooth().Smooth(f, v, 3, YSmooth::kAbsolute, true));
    // The first pass makes the curve 1 everywhere up to its last anchor; the
    // second pass and the neighbour means keep it so up to theirs.
    for (int i = 0; i <= 86; ++i) ASSERT_NEAR(v[i], 1.0, 1e-12) << i;
}

TEST(YSmooth, EachPassReadsTheCurveAsItWasWhenThePassBegan) {
    // 4 points per octave, 1/1 octave: anchors two points apart, averaging
    // windows of three points, the second pass from point 1 on; the axis is
    // too coarse for the neighbour means. A spike at point 8 spreads evenly:
    // pass one gives 1/6, 1/3, 1/6 at points 7..9, pass two averages those.
    const YDoubleVec f = Axis(100.0, 4, 17);
    for (int method : {YSmooth::kAverage}) {
        YDoubleVec v(f.Size());
        v[8] = 1.0;
        ASSERT_TRUE(YSmooth().Smooth(f, v, 1, method, true));
        const double expected[17] = {0,       0,        0, 0, 0, 0, 1.0 / 12, 1.0 / 6, 1.0 / 6,
                                     1.0 / 6, 1.0 / 12, 0, 0, 0, 0, 0,        0};
        for (int i = 0; i < 17; ++i) EXPECT_NEAR(v[i], expected[i], 1e-12) << i;
    }
}

TEST(YSmooth, MedianRemovesASpike) {
    const YDoubleVec f = Axis(20.0, 48, 480);
    YDoubleVec v(f.Size());
    v.Fill(-3.0);
    v[200] = 40.0;
    ASSERT_TRUE(YSmooth().Smooth(f, v, 6, YSmooth::kMedian, true));
    for (int i = 0; i < v.Size(); ++i) ASSERT_NEAR(v[i], -3.0, 1e-12) << i;
}

TEST(YSmooth, ASpikeIsSmoothedAlikeAtBothEndsAndInTheMiddle) {
    // 1/3 octave on 24 points per octave over two octaves (49 points): the
    // first pass's anchors every 4 points from point 0 to point 48, the
    // second's every 4 points from point 2 to point 46, windows of 5 points
    // inside and 3 at an end. Mirrored in log frequency the axis and both
    // sets of anchors map onto themselves, so a spike at the last point must
    // come out as the mirror image of one at the first, and one at the middle
    // as its own mirror image. At an end the first pass averages the spike
    // with its two neighbours: (100 + 1 + 1) / 3 = 34, or takes their median, 1.
    const YDoubleVec f = Axis(100.0, 24, 49);
    const int last = f.Size() - 1, middle = last / 2;
    const auto smoothed = [&](int spike, int method) {
        YDoubleVec v(f.Size());
        v.Fill(1.0);
        v[spike] = 100.0;
        EXPECT_TRUE(YSmooth().Smooth(f, v, 3, method, true));
        return v;
    };
    struct Case {
        int method;
        const char* name;
        double atTheEnd;  // the value a spike at an end point leaves there
    } cases[] = {{YSmooth::kAverage, "average", 34.0},
                 {YSmooth::kMedian, "median", 1.0},
                 {YSmooth::kAbsolute, "absolute", 100.0}};
    for (const Case& c : cases) {
        const YDoubleVec first = smoothed(0, c.method), end = smoothed(last, c.method),
                         mid = smoothed(middle, c.method);
        EXPECT_NEAR(first[0], c.atTheEnd, 1e-9) << c.name;
        EXPECT_NEAR(end[last], c.atTheEnd, 1e-9) << c.name;
        for (int i = 0; i <= last; ++i) {
            EXPECT_NEAR(end[i], first[last - i], 1e-9)
                << c.name << ": point " << i << " of the last-point spike";
            EXPECT_NEAR(mid[i], mid[last - i], 1e-9) << c.name << ": point " << i << " of the middle spike";
        }
    }
}

TEST(YSmooth, PhasesAreSmoothedUnwrapped) {
    // A linear phase that wraps many times comes back as it was.
    const YDoubleVec f = Axis(20.0, 48, 480);
    YDoubleVec p(f.Size());
    for (int i = 0; i < f.Size(); ++i) p[i] = WrapPhase(-0.5 * i);
    const YDoubleVec expected = p;
    ASSERT_TRUE(YSmooth().Smooth(f, p, 3, YSmooth::kAverage, false));
    for (int i = 48; i < f.Size() - 48; ++i)
        ASSERT_NEAR(std::fabs(WrapPhase(p[i] - expected[i])), 0.0, 1e-6) << i;
}

TEST(YSmooth, DegenerateAxesAndBadArguments) {
    struct Case {
        const char* name;
        std::vector<double> f, v;
        int fraction, method;
        bool ok;
    };
    const Case cases[] = {
        {"empty", {}, {}, 3, 1, true},
        {"one point", {100.0}, {2.0}, 3, 1, true},
        {"equal frequencies", {100.0, 100.0, 100.0}, {1.0, 2.0, 3.0}, 3, 2, true},
        {"unequal lengths", {100.0, 200.0}, {1.0}, 3, 1, false},
        {"fraction 0", {100.0, 200.0}, {1.0, 2.0}, 0, 1, false},
        {"unknown method", {100.0, 200.0}, {1.0, 2.0}, 3, 3, false},
        {"descending", {200.0, 100.0}, {1.0, 2.0}, 3, 1, false},
        {"zero frequency", {0.0, 100.0}, {1.0, 2.0}, 3, 1, false},
    };
    for (const Case& c : cases) {
        YDoubleVec v = Vec(c.v);
        EXPECT_EQ(YSmooth().Smooth(Vec(c.f), v, c.fraction, c.method, true), c.ok) << c.name;
        for (int i = 0; i < v.Size(); ++i) EXPECT_EQ(v[i], c.v[size_t(i)]) << c.name;
    }
}

TEST(YSmooth, WidthChoices) {
    struct Case {
        int choice;
        const char* typed;
        int fraction;
    };
    const Case cases[] = {{0, "", 1},   {2, "7", 3},   {4, "", 12}, {5, "24", 24}, {5, "0", 1},
                          {5, "-3", 1}, {5, "2,5", 2}, {5, "", 1},  {9, "", 1}};
    for (const Case& c : cases)
        EXPECT_EQ(YSmooth::FractionFromChoice(c.choice, c.typed), c.fraction)
            << c.choice << " '" << c.typed << "'";
    EXPECT_EQ(YSmooth::kWidthChoices[3].caption, "1/6 Octave");
    EXPECT_EQ(YSmooth::kMethodCaptions[2], " Median");
}

TEST(YNormalizeSettings, OffsetForEachMethod) {
    const YDoubleVec f = Vec({100.0, 1000.0, 10000.0});
    const YDoubleVec db = Vec({80.0, 86.0, 90.0});
    YNormalizeSettings s;
    s.method = YNormalizeSettings::kAtFrequency;
    s.frequency = 1000.0;
    double offset = 0.0;
    ASSERT_TRUE(s.OffsetDb(f, db, offset));
    EXPECT_DOUBLE_EQ(offset, -86.0);
    s.frequency = std::sqrt(1000.0 * 10000.0);  // half-way in log f
    ASSERT_TRUE(s.OffsetDb(f, db, offset));
    EXPECT_NEAR(offset, -88.0, 1e-12);
    s.frequency = 50000.0;  // outside the curve
    EXPECT_FALSE(s.OffsetDb(f, db, offset));
    s.method = YNormalizeSettings::kAddOffset;
    s.offset = -3.5;
    ASSERT_TRUE(s.OffsetDb(f, db, offset));
    EXPECT_EQ(offset, -3.5);
    EXPECT_EQ(s.FieldValue(), -3.5);
    s.SetFieldValue(2.0);
    EXPECT_EQ(s.offset, 2.0);
    EXPECT_EQ(YNormalizeSettings::kMethodCaptions[0], " At Frequency");
}
