#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YFft32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace {

using LongComplex = std::pair<long double, long double>;

// The DFT in long double at the given bins, over the angle table
// cos/sin(2πj/N) so that each term costs a multiply-add.
class ReferenceDft {
public:
    explicit ReferenceDft(int n) : n_(n), cos_(std::size_t(n)), sin_(std::size_t(n)) {
        // A quarter wave from cosl, the rest by symmetry.
        const long double step = 2.0L * std::numbers::pi_v<long double> / n;
        const int quarter = n / 4;
        for (int j = 0; j <= quarter; ++j) cos_[j] = cosl(step * j);
        for (int j = 0; j < n; ++j) {
            const int r = j % (n / 2);
            const long double c = r <= quarter ? cos_[r] : -cos_[n / 2 - r];
            cos_[j] = j < n / 2 ? c : -c;
        }
        for (int j = 0; j < n; ++j) sin_[j] = cos_[(j + 3 * quarter) % n];  // sin x = cos(x - π/2)
    }
    // x as (re, im) pairs.
    template <class T>
    LongComplex Bin(const std::vector<T>& x, int k) const {
        long double re = 0, im = 0;
        std::size_t angle = 0;
        for (int i = 0; i < n_; ++i) {
            const long double c = cos_[angle], s = sin_[angle];
            re += x[2 * i] * c + x[2 * i + 1] * s;
            im += x[2 * i + 1] * c - x[2 * i] * s;
            angle += std::size_t(k);
            if (angle >= std::size_t(n_)) angle -= std::size_t(n_);
        }
        return {re, im};
    }

private:
    int n_;
    std::vector<long double> cos_, sin_;
};

// The bins checked: all of them for small sizes, else a spread of bins.
std::vector<int> BinsToCheck(int n) {
    if (n <= 1024) {
        std::vector<int> all(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) all[i] = i;
        return all;
    }
    if (n <= 1 << 16)
        return {0,         1,     2,         3,     n / 4 - 1, n / 4,     n / 3,
                n / 2 - 1, n / 2, n / 2 + 1, n - 3, n - 1,     12345 % n, 777 % n};
    return {0, 1, n / 3, n / 2 + 1, n - 1, 12345};
}

template <class T>
std::vector<T> RandomPairs(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<T> x(2 * std::size_t(n));
    for (T& e : x) e = T(u(rng));
    return x;
}

// ||X - ref|| / ||ref|| over the checked bins.
template <class T>
double RelativeError(const std::vector<T>& input, const std::vector<T>& output, int n) {
    const ReferenceDft dft(n);
    long double err = 0, ref = 0;
    for (int k : BinsToCheck(n)) {
        const auto [re, im] = dft.Bin(input, k);
        const long double dr = output[2 * k] - re, di = output[2 * k + 1] - im;
        err += dr * dr + di * di;
        ref += re * re + im * im;
    }
    return double(std::sqrt(err / ref));
}

std::vector<double> Pairs(const YComplexVec& v) {
    std::vector<double> x;
    for (const YComplex& z : v) {
        x.push_back(z.re);
        x.push_back(z.im);
    }
    return x;
}

YComplexVec FromPairs(const std::vector<double>& x) {
    YComplexVec v(int(x.size() / 2));
    for (int i = 0; i < v.Size(); ++i) v[i] = YComplex(x[2 * i], x[2 * i + 1]);
    return v;
}

}  // namespace

TEST(YFft, MatchesLongDoubleDft) {
    const YFft fft;
    for (int order = 2; order <= 16; ++order) {
        const int n = 1 << order;
        const std::vector<double> input = RandomPairs<double>(n, unsigned(order));
        YComplexVec v = FromPairs(input);
        ASSERT_TRUE(fft.Transform(v, false)) << "N = " << n;
        EXPECT_LT(RelativeError(input, Pairs(v), n), 1e-13) << "N = " << n;
    }
}

TEST(YFft32, MatchesLongDoubleDft) {
    const YFft32 fft;
    for (int order : {2, 3, 4, 5, 8, 11, 12, 13, 16, 20}) {
        const int n = 1 << order;
        std::vector<float> data = RandomPairs<float>(n, unsigned(100 + order));
        const std::vector<float> input = data;
        ASSERT_TRUE(fft.Transform32(data.data(), order, false)) << "N = " << n;
        EXPECT_LT(RelativeError(input, data, n), 1e-6) << "N = " << n;
    }
}

TEST(YFft, InverseUndoesForward) {
    const YFft fft;
    const YFft32 fft32;
    for (int order : {2, 3, 6, 11, 12, 13, 15}) {
        const int n = 1 << order;
        const std::vector<double> input = RandomPairs<double>(n, unsigned(order + 50));
        YComplexVec v = FromPairs(input);
        ASSERT_TRUE(fft.Transform(v, false));
        ASSERT_TRUE(fft.InverseTransform(v));
        double worst = 0;
        for (int i = 0; i < n; ++i)
            worst = std::max(worst, Abs(v[i] - YComplex(input[2 * i], input[2 * i + 1])));
        EXPECT_LT(worst, 1e-14) << "N = " << n;

        std::vector<float> data(input.begin(), input.end());
        const std::vector<float> before = data;
        ASSERT_TRUE(fft32.Transform32(data.data(), order, false));
        ASSERT_TRUE(fft32.Transform32(data.data(), order, true));
        float worst32 = 0;
        for (std::size_t i = 0; i < data.size(); ++i)
            worst32 = std::max(worst32, std::fabs(data[i] - before[i]));
        EXPECT_LT(worst32, 2e-6f) << "N = " << n;
    }
}

TEST(YFft, ImpulseAndConstant) {
    const YFft fft;
    for (int order : {2, 3, 4, 10, 13}) {
        const int n = 1 << order;
        YComplexVec impulse(n);
        impulse[0] = 1.0;
        ASSERT_TRUE(fft.Transform(impulse, false));
        for (int k = 0; k < n; ++k) ASSERT_EQ(impulse[k], YComplex(1.0, 0.0)) << "N = " << n << " bin " << k;

        YComplexVec constant(n);
        constant.Fill(1.0);
        ASSERT_TRUE(fft.Transform(constant, false));
        EXPECT_NEAR(constant[0].re, n, 1e-12 * n) << "N = " << n;
        for (int k = 1; k < n; ++k) ASSERT_LT(Abs(constant[k]), 1e-12 * n) << "N = " << n << " bin " << k;
    }
}

TEST(YFft, RejectsSizesThatAreNotPowersOfTwo) {
    const YFft fft;
    const YFft32 fft32;
    for (int n : {0, 1, 2, 3, 6, 12, 1000}) {
        YComplexVec v(n);
        if (n > 0) v[0] = 5.0;
        EXPECT_FALSE(fft.Transform(v, false)) << "N = " << n;
        EXPECT_FALSE(fft.Transform(v, true)) << "N = " << n;
        if (n > 0) {
            EXPECT_EQ(v[0], YComplex(5.0)) << "N = " << n;
        }
    }
    float data[8] = {1, 0, 2, 0, 3, 0, 4, 0};
    EXPECT_FALSE(fft32.Transform32(data, 1, false));
    EXPECT_FALSE(fft32.Transform32(data, 31, false));
    EXPECT_FALSE(fft32.Transform32(nullptr, 4, false));
    EXPECT_EQ(data[2], 2.0f);
}

TEST(YFft, RealInputMatchesComplexTransform) {
    const YFft fft;
    for (int order : {2, 3, 4, 5, 10, 11, 14}) {
        const int n = 1 << order;
        std::mt19937 rng(static_cast<unsigned>(order));
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        YDoubleVec x(n);
        for (double& e : x) e = u(rng);
        YComplexVec reference;
        ASSERT_TRUE(reference.SetReal(x));
        ASSERT_TRUE(fft.Transform(reference, false));
        YComplexVec spectrum;
        ASSERT_TRUE(fft.TransformReal(x, spectrum)) << "N = " << n;
        ASSERT_EQ(spectrum.Size(), n);
        double worst = 0;
        for (int k = 0; k < n; ++k) worst = std::max(worst, Abs(spectrum[k] - reference[k]));
        EXPECT_LT(worst, 1e-13 * std::sqrt(double(n))) << "N = " << n;
    }
    YDoubleVec odd(12);
    YComplexVec out;
    EXPECT_FALSE(fft.TransformReal(odd, out));
}

TEST(YFft, SeveralThreadsBuildTheTablesAtOnce) {
    // An order whose double tables no other test builds (the float test of
    // order 20 builds the even ones), so the threads race to build them.
    std::vector<std::thread> threads;
    std::vector<double> errors(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &errors] {
            const int order = 17;
            const int n = 1 << order;
            const std::vector<double> input = RandomPairs<double>(n, unsigned(t));
            YComplexVec v = FromPairs(input);
            const YFft fft;
            fft.Transform(v, false);
            fft.InverseTransform(v);
            double worst = 0;
            for (int i = 0; i < n; ++i)
                worst = std::max(worst, Abs(v[i] - YComplex(input[2 * i], input[2 * i + 1])));
            errors[t] = worst;
        });
    for (auto& t : threads) t.join();
    for (double e : errors) EXPECT_LT(e, 1e-14);
}
