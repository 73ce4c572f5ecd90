#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YFft32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// The window formulas as published, x = 2πm/F.
double Analytic(int type, double m, double F) {
    const double x = 2 * kPi * m / F;
    switch (type) {
        case 0:
            return 1.0;
        case 1:
            return m < F / 2 ? 2 * m / F : 2 - 2 * m / F;
        case 2:
            return 0.5 * (1 - std::cos(x));
        case 3:
            return 0.54 - 0.46 * std::cos(x);
        case 4:
            return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x);
        case 5:
            return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
        default: {
            const double t = 0.2 * F;
            if (m < t) return 0.5 * (1 - std::cos(kPi * m / t));
            if (m <= 0.8 * F) return 1.0;
            return 0.5 * (1 + std::cos(kPi * (0.8 * F - m) / t));
        }
    }
}

const double kCorrection[7] = {1, 2, 2, 1.840772, 2.3713737, 2.7861212, 1.2445146};

YDoubleVec Ones(int n) {
    YDoubleVec v(n);
    v.Fill(1.0);
    return v;
}

}  // namespace

TEST(Windows, FullAndHalfModeAgainstFormulas) {
    const YFft fft;
    struct Case {
        int size, length, offset;
        bool half;
    } cases[] = {
        {64, 0, 0, false}, {64, 64, 0, false}, {50, 20, 10, false}, {50, 30, 40, false},
        {64, 0, 0, true},  {40, 16, 5, true},  {33, 100, 0, false}, {33, -1, 0, true},
    };
    for (int type = 0; type < 7; ++type)
        for (const Case& c : cases) {
            YDoubleVec v = Ones(c.size);
            fft.ApplyWindowReal(v, c.length, type, c.half, c.offset);
            YComplexVec z(c.size);
            z.Fill(1.0);
            for (YComplex& e : z) e.im = -2.0;
            fft.ApplyWindow(z, c.length, type, c.half, c.offset);
            const int d = c.length < 1 ? c.size : std::min(c.length, c.size);
            for (int i = 0; i < c.size; ++i) {
                double expected = 0.0;
                if (i >= c.offset && i < c.offset + d)
                    expected = c.half ? Analytic(type, i - c.offset + d, 2.0 * d)
                                      : kCorrection[type] * Analytic(type, i - c.offset, d);
                const std::string name = "type " + std::to_string(type) + " size " + std::to_string(c.size) +
                                         " length " + std::to_string(c.length) + " offset " +
                                         std::to_string(c.offset) + (c.half ? " half" : " full") +
                                         " element " + std::to_string(i);
                ASSERT_NEAR(v[i], expected, 1e-15) << name;
                ASSERT_NEAR(z[i].re, expected, 1e-15) << name;
                ASSERT_NEAR(z[i].im, -2.0 * expected, 2e-15) << name;
            }
        }
}

TEST(Windows, HanningOverEightPoints) {
    YDoubleVec v = Ones(8);
    YFft().ApplyWindowReal(v, 8, 2, false, 0);
    for (int m = 0; m < 8; ++m) EXPECT_NEAR(v[m], 2 * (0.5 - 0.5 * std::cos(2 * kPi * m / 8)), 1e-15) << m;
    EXPECT_EQ(v[0], 0.0);
    EXPECT_DOUBLE_EQ(v[4], 2.0);
}

TEST(Windows, HalfCosineBellOverAResponse) {
    YDoubleVec v = Ones(100);
    YFft().ApplyWindowReal(v, 0, 6, true, 0);
    for (int i = 0; i <= 60; ++i) EXPECT_EQ(v[i], 1.0) << i;
    for (int i = 61; i < 100; ++i) EXPECT_LT(v[i], v[i - 1]) << i;
    EXPECT_NEAR(v[99], 0.0015, 0.00005);
}

TEST(Windows, OffsetZeroesTheStart) {
    YDoubleVec v = Ones(64);
    YFft().ApplyWindowReal(v, 20, 3, false, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(v[i], 0.0) << i;
    EXPECT_NEAR(v[10], 1.840772 * 0.08, 1e-12);
    for (int i = 30; i < 64; ++i) EXPECT_EQ(v[i], 0.0) << i;
}

TEST(Windows, Names) {
    const YFft fft;
    const char* names[] = {"Rectangular", "Bartlett",        "Hanning (Cos)",   "Hamming",
                           "Blackman",    "Blackman-Harris", "Ext. Cosine Bell"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(fft.GetWindowName(i), names[i]);
    EXPECT_EQ(fft.GetWindowName(9), "Hanning (Cos)");
    EXPECT_EQ(fft.GetWindowName(-1), "Ext. Cosine Bell");
}

TEST(Windows, GainFactors) {
    struct Case {
        int type, n;
        double expected;
    } closed[] = {
        {0, 100, 1.0},
        {2, 100, 100 / (0.5 * 99)},
        {3, 100, 100 / (0.54 * 100 - 0.46)},
        {4, 100, 100 / (0.42 * 99)},
        {5, 100, 100 / (0.35875 * 99)},
        {2, 1, 1.0},
        {1, 2, 1.0},
    };
    for (const Case& c : closed)
        EXPECT_DOUBLE_EQ(WindowGainFactor(c.n, c.type), c.expected) << "type " << c.type << " n " << c.n;

    // Bartlett and Ext. Cosine Bell against the window sums of another tool.
    std::ifstream table(SONBEX_TEST_DATA "/YLib/window_gain.txt");
    ASSERT_TRUE(table.good());
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        int type = 0, n = 0;
        double gain = 0;
        in >> type >> n >> gain;
        EXPECT_NEAR(WindowGainFactor(n, type), gain, 1e-13 * gain) << "type " << type << " n " << n;
        ++rows;
    }
    EXPECT_EQ(rows, 14);

    YComplexVec z(4);
    z.Fill(1.0);
    YFft().ScaleWindowGain(z, 100, 2);
    EXPECT_DOUBLE_EQ(z[3].re, 100 / (0.5 * 99));
}

TEST(Windows, SinglePrecisionRoutine) {
    const YFft32 fft;
    const int k = 6, n = 64;
    for (int type = 0; type < 7; ++type)
        for (bool half : {false, true}) {
            std::vector<float> data(2 * n, 1.0f);
            fft.ApplyWindow32(data.data(), k, 40, type, half, 8);
            for (int i = 0; i < n; ++i) {
                double expected = 0.0;
                if (i >= 8 && i < 48)
                    expected = half ? Analytic(type, i - 8 + 40, 80.0)
                                    : kCorrection[type] * Analytic(type, i - 8, 40);
                ASSERT_NEAR(data[2 * i], expected, 2e-6) << "type " << type << " element " << i;
                ASSERT_EQ(data[2 * i + 1], 1.0f) << "imaginary parts stay";
            }
        }
    std::vector<float> whole(2 * n, 1.0f);
    fft.ApplyWindow32(whole.data(), k, 1000, 2, false, 0);  // beyond 2^k: the whole array
    EXPECT_NEAR(whole[2 * 32], 2.0f, 1e-6);
}

TEST(Decimate, LowPassThenEveryFactorthSample) {
    const YFft fft;
    const int n = 4096;
    struct Case {
        int factor;
        double relFrequency;  // of the sample rate
        double minGain, maxGain;
    } cases[] = {
        {2, 0.02, 0.999, 1.001},  // well inside the pass band
        {2, 0.40, 0.0, 1e-3},     // far above the corner at 0.248
        {4, 0.02, 0.999, 1.001}, {4, 0.25, 0.0, 1e-3}, {8, 0.0, 0.999, 1.001},  // DC
    };
    for (const Case& c : cases) {
        YComplexVec v(n);
        for (int i = 0; i < n; ++i) v[i] = YComplex(std::cos(2 * kPi * c.relFrequency * i), 0.3);
        ASSERT_TRUE(fft.Decimate(v, c.factor));
        ASSERT_EQ(v.Size(), n / c.factor) << "factor " << c.factor;
        double peak = 0;
        for (int j = v.Size() / 2; j < v.Size(); ++j) {  // after the filters settled
            peak = std::max(peak, std::fabs(v[j].re));
            ASSERT_EQ(v[j].im, 0.0);
        }
        EXPECT_GE(peak, c.minGain) << "factor " << c.factor << " f " << c.relFrequency;
        EXPECT_LE(peak, c.maxGain) << "factor " << c.factor << " f " << c.relFrequency;
    }
    YComplexVec same(8);
    same[3] = YComplex(1, 2);
    EXPECT_TRUE(fft.Decimate(same, 1));
    EXPECT_EQ(same[3], YComplex(1, 2));
    EXPECT_FALSE(fft.Decimate(same, 0));
}

TEST(Decimate, AndTransformNeedsAPowerOfTwoFactor) {
    const YFft fft;
    YComplexVec v(96);
    v.Fill(1.0);
    EXPECT_FALSE(fft.DecimateAndTransform(v, 3));
    EXPECT_EQ(v.Size(), 96);
    YComplexVec w(64);
    w.Fill(1.0);
    ASSERT_TRUE(fft.DecimateAndTransform(w, 4));
    ASSERT_EQ(w.Size(), 16);
}

TEST(NormalizeAt, DividesByTheMeanMagnitudeAroundTheFrequency) {
    const YFft fft;
    // 1024 bins at 48 kHz: bin width 46.875 Hz; 1000 Hz is bin 21, half-width
    // round(100 / 46.875) = 2, so bins 19..23 are averaged.
    YComplexVec s(1024);
    s.Fill(1.0);
    for (int k = 19; k <= 23; ++k) s[k] = YComplex(0.0, 4.0);
    s[18] = s[24] = YComplex(100.0, 0.0);  // outside the averaged bins
    ASSERT_TRUE(fft.NormalizeAt(s, 48000.0, 1000.0));
    EXPECT_EQ(s[21], YComplex(0.0, 1.0));
    EXPECT_EQ(s[0], YComplex(0.25, 0.0));
    EXPECT_EQ(s[18], YComplex(25.0, 0.0));

    struct Failing {
        const char* name;
        YComplex value;
        double rate, frequency;
    } failing[] = {
        {"zero mean", {0, 0}, 48000, 1000},
        {"infinite mean", {INFINITY, 0}, 48000, 1000},
        {"NaN mean", {NAN, 0}, 48000, 1000},
        {"zero rate", {1, 0}, 0, 1000},
        {"frequency beyond the spectrum", {1, 0}, 48000, 1e9},
    };
    for (const Failing& f : failing) {
        YComplexVec v(256);
        for (YComplex& e : v) e = f.value;
        EXPECT_FALSE(fft.NormalizeAt(v, f.rate, f.frequency)) << f.name;
        float data[2 * 256];
        for (int i = 0; i < 256; ++i) {
            data[2 * i] = float(f.value.re);
            data[2 * i + 1] = float(f.value.im);
        }
        EXPECT_FALSE(YFft32().NormalizeAt32(data, 8, f.rate, f.frequency)) << f.name;
    }
}

TEST(NormalizeAt, SinglePrecisionDividesByTheComplexMean) {
    std::vector<float> data(2 * 1024);
    for (int i = 0; i < 1024; ++i) {
        data[2 * i] = 1.0f;
        data[2 * i + 1] = 1.0f;
    }
    ASSERT_TRUE(YFft32().NormalizeAt32(data.data(), 10, 48000.0, 1000.0));
    EXPECT_FLOAT_EQ(data[2 * 21], 1.0f);
    EXPECT_FLOAT_EQ(data[2 * 21 + 1], 0.0f);
    EXPECT_FLOAT_EQ(data[2 * 500], 1.0f);
}
