#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YTransferFunc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using Complex = std::complex<double>;

// The analog Butterworth low-pass of order n from its poles on the unit
// circle: H(s) = prod (-p) / (s - p), s = j f / fc.
Complex ButterworthLowPass(int n, Complex s) {
    Complex h = 1.0;
    for (int m = 1; m <= n; ++m) {
        const Complex p = std::polar(1.0, std::numbers::pi * (2.0 * m + n - 1.0) / (2.0 * n));
        h *= -p / (s - p);
    }
    return h;
}

struct Alignment {
    double k[5] = {1, 1, 1, 1, 1};
    double q[5] = {};
};

// Butterworth sections: Q = 1 / (2 sin((2j + 1) pi / (2n))), all at fc.
Alignment Butterworth(int n) {
    Alignment a;
    for (int j = 0; j < n / 2; ++j)
        a.q[j] = 1.0 / (2.0 * std::sin((2.0 * j + 1.0) * std::numbers::pi / (2.0 * n)));
    return a;
}

}  // namespace

TEST(YTransferFunc, ButterworthOfEveryOrderMatchesItsPoles) {
    const double fc = 1000.0;
    const double frequencies[] = {10, 200, 707, 1000, 1414, 5000, 100000};
    for (int n = 1; n <= 10; ++n) {
        const Alignment a = Butterworth(n);
        for (const double f : frequencies) {
            SCOPED_TRACE("order " + std::to_string(n) + " at " + std::to_string(f) + " Hz");
            const Complex s(0.0, f / fc);
            const Complex lowRef = ButterworthLowPass(n, s);
            const Complex highRef = ButterworthLowPass(n, 1.0 / s);
            const Complex low = YTransferFunc::LowPass(f, fc, n, a.k, a.q);
            const Complex high = YTransferFunc::HighPass(f, fc, n, a.k, a.q);
            EXPECT_LE(std::abs(low - lowRef), 1e-12 * std::abs(lowRef));
            EXPECT_LE(std::abs(high - highRef), 1e-12 * std::abs(highRef));
            // |H| = 1 / sqrt(1 + (f/fc)^2n)
            EXPECT_NEAR(std::abs(low), 1.0 / std::sqrt(1.0 + std::pow(f / fc, 2 * n)), 1e-12);
        }
    }
}

// Linkwitz-Riley 4: two Butterworth pairs; low + high is an all-pass.
TEST(YTransferFunc, LinkwitzRiley4SumsToUnitMagnitude) {
    const double k[5] = {1, 1};
    const double q[5] = {std::sqrt(0.5), std::sqrt(0.5)};
    std::vector<double> frequencies;
    for (double f = 10.0; f < 40000.0; f *= 1.1) frequencies.push_back(f);
    std::vector<Complex> low(frequencies.size()), high(frequencies.size());
    ASSERT_EQ(YTransferFunc::LowPassResponse(low, frequencies, 2500, 4, k, q), frequencies.size());
    ASSERT_EQ(YTransferFunc::HighPassResponse(high, frequencies, 2500, 4, k, q), frequencies.size());
    for (std::size_t i = 0; i < frequencies.size(); ++i)
        EXPECT_NEAR(std::abs(low[i] + high[i]), 1.0, 1e-12) << frequencies[i] << " Hz";
    const Complex atCorner = YTransferFunc::LowPass(2500, 2500, 4, k, q);
    EXPECT_NEAR(std::abs(atCorner), 0.5, 1e-15);
}

TEST(YTransferFunc, OrdersOutsideOneToTenAreOne) {
    const Alignment a = Butterworth(10);
    for (const int order : {0, -1, 11}) {
        EXPECT_EQ(YTransferFunc::LowPass(300, 1000, order, a.k, a.q), Complex(1.0)) << order;
        EXPECT_EQ(YTransferFunc::HighPass(300, 1000, order, a.k, a.q), Complex(1.0)) << order;
    }
}

TEST(YTransferFunc, FirstOrderAtCornerAndAtZeroHertz) {
    const double k[5] = {1};
    const double q[5] = {};
    const Complex high = YTransferFunc::HighPass(500, 500, 1, k, q);
    EXPECT_NEAR(std::abs(high), std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(std::arg(high), std::numbers::pi / 4, 1e-15);
    const Complex low = YTransferFunc::LowPass(500, 500, 1, k, q);
    EXPECT_NEAR(std::arg(low), -std::numbers::pi / 4, 1e-15);

    const Alignment a = Butterworth(5);
    EXPECT_EQ(YTransferFunc::LowPass(0.0, 500, 5, a.k, a.q), Complex(1.0));
    EXPECT_EQ(YTransferFunc::HighPass(0.0, 500, 5, a.k, a.q), Complex(0.0));
}

// The section frequency factors move each section: a section at fc * k is
// the same section at corner fc * k with k = 1.
TEST(YTransferFunc, FrequencyFactorsScaleTheSections) {
    const double k[5] = {0.5, 2.0, 1.5};
    const double q[5] = {0.8, 1.3};
    const double one[5] = {1, 1, 1};
    const double first[5] = {0.8};
    const double second[5] = {1.3};
    for (const double f : {100.0, 900.0, 4000.0}) {
        const Complex product = YTransferFunc::HighPass(f, 1000 * 0.5, 2, one, first) *
                                YTransferFunc::HighPass(f, 1000 * 2.0, 2, one, second) *
                                YTransferFunc::HighPass(f, 1000 * 1.5, 1, one, first);
        const Complex h = YTransferFunc::HighPass(f, 1000, 5, k, q);
        EXPECT_LE(std::abs(h - product), 1e-14) << f;
    }
}

TEST(YTransferFunc, VectorFormResizesTheOutput) {
    const Alignment a = Butterworth(3);
    YDoubleVec frequencies(3);
    frequencies[0] = 100;
    frequencies[1] = 1000;
    frequencies[2] = 10000;
    YComplexVec out(7);
    ASSERT_EQ(YTransferFunc::LowPassResponse(out, frequencies, 1000, 3, a.k, a.q), 3);
    ASSERT_EQ(out.Size(), 3);
    for (int i = 0; i < 3; ++i) {
        const Complex h = YTransferFunc::LowPass(frequencies[i], 1000, 3, a.k, a.q);
        EXPECT_EQ(out[i], YComplex(h.real(), h.imag())) << i;
    }
    ASSERT_EQ(YTransferFunc::HighPassResponse(out, frequencies, 1000, 3, a.k, a.q), 3);
    EXPECT_NEAR(Abs(out[1]), std::sqrt(0.5), 1e-15);
}
