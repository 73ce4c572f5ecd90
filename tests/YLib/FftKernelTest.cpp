// The transform kernel under each instruction set the processor offers: the
// same results as the long double DFT, and the half real spectrum.

#include "YLib/YFft32.h"
#include "YLib/YFftKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

using fftkernel::Isa;

// Chooses an instruction set for one test and restores the best afterwards.
class UsingIsa {
public:
    explicit UsingIsa(Isa isa) : ok_(fftkernel::UseIsa(isa)) {}
    ~UsingIsa() { fftkernel::UseIsa(fftkernel::BestIsa()); }
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

std::vector<Isa> Available() {
    std::vector<Isa> all{Isa::Sse2};
    if (fftkernel::BestIsa() == Isa::Avx2Fma) all.push_back(Isa::Avx2Fma);
    return all;
}

// ||X - DFT(x)|| / ||DFT(x)|| over every bin, the DFT in long double.
template <class T>
double ErrorAgainstDft(const std::vector<T>& x, const std::vector<T>& X, int n, bool inverse) {
    std::vector<long double> cosine(n), sine(n);
    for (int j = 0; j < n; ++j) {
        const long double a = 2.0L * std::numbers::pi_v<long double> * j / n;
        cosine[j] = cosl(a), sine[j] = (inverse ? 1.0L : -1.0L) * sinl(a);
    }
    long double err = 0, ref = 0;
    for (int k = 0; k < n; ++k) {
        long double re = 0, im = 0;
        for (int i = 0, j = 0; i < n; ++i, j = (j + k) % n) {
            const long double c = cosine[j], s = sine[j];
            re += x[2 * i] * c - x[2 * i + 1] * s;
            im += x[2 * i] * s + x[2 * i + 1] * c;
        }
        if (inverse) re /= n, im /= n;
        const long double dr = X[2 * k] - re, di = X[2 * k + 1] - im;
        err += dr * dr + di * di;
        ref += re * re + im * im;
    }
    return double(std::sqrt(err / ref));
}

template <class T>
std::vector<T> Random(std::size_t values, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<T> x(values);
    for (T& e : x) e = T(u(rng));
    return x;
}

TEST(FftKernel, EveryInstructionSetMatchesTheDft) {
    for (const Isa isa : Available()) {
        UsingIsa use(isa);
        ASSERT_TRUE(use.Ok());
        for (int order = 2; order <= 10; ++order) {
            SCOPED_TRACE(testing::Message() << "isa " << int(isa) << ", N = 2^" << order);
            const int n = 1 << order;
            for (const bool inverse : {false, true}) {
                const auto x = Random<double>(2 * std::size_t(n), unsigned(order));
                auto X = x;
                ASSERT_TRUE(fftkernel::Transform(X.data(), order, inverse));
                EXPECT_LT(ErrorAgainstDft(x, X, n, inverse), 1e-15);
                const auto xf = Random<float>(2 * std::size_t(n), unsigned(order));
                auto Xf = xf;
                ASSERT_TRUE(fftkernel::Transform(Xf.data(), order, inverse));
                EXPECT_LT(ErrorAgainstDft(xf, Xf, n, inverse), 1e-6);
            }
        }
    }
}

TEST(FftKernel, InstructionSetsAgreeOnLargeTransforms) {
    if (fftkernel::BestIsa() != Isa::Avx2Fma) GTEST_SKIP() << "no AVX2/FMA on this processor";
    for (const int order : {12, 13, 17}) {
        SCOPED_TRACE(testing::Message() << "N = 2^" << order);
        const std::size_t values = std::size_t(2) << order;
        const auto x = Random<double>(values, 7);
        auto a = x, b = x;
        {
            UsingIsa use(Isa::Sse2);
            ASSERT_TRUE(fftkernel::Transform(a.data(), order, false));
        }
        ASSERT_TRUE(fftkernel::Transform(b.data(), order, false));
        double err = 0, ref = 0;
        for (std::size_t i = 0; i < values; ++i) err += (a[i] - b[i]) * (a[i] - b[i]), ref += a[i] * a[i];
        EXPECT_LT(std::sqrt(err / ref), 1e-15);
    }
}

TEST(FftKernel, HalfRealSpectrumIsTheLowerHalfOfTheFullOne) {
    for (const int order : {3, 4, 9, 14}) {
        const std::size_t n = std::size_t(1) << order;
        const auto x = Random<double>(n, 3);
        std::vector<double> full(2 * n), half(n + 2);
        std::copy(x.begin(), x.end(), full.begin());
        std::copy(x.begin(), x.end(), half.begin());
        ASSERT_TRUE(fftkernel::TransformReal(full.data(), order));
        ASSERT_TRUE(fftkernel::TransformRealHalf(half.data(), order));
        for (std::size_t i = 0; i < n + 2; ++i) ASSERT_EQ(half[i], full[i]) << "N = " << n << " value " << i;
    }
    std::vector<double> tooShort(4);
    EXPECT_FALSE(fftkernel::TransformRealHalf(tooShort.data(), 2));
}

TEST(FftKernel, FloatRealTransformMatchesTheComplexOne) {
    const YFft32 fft;
    for (const int order : {3, 6, 11, 15}) {
        SCOPED_TRACE(testing::Message() << "N = 2^" << order);
        const std::size_t n = std::size_t(1) << order;
        const auto x = Random<float>(n, 11);
        std::vector<float> complex(2 * n, 0.0f), real(n + 2);
        for (std::size_t i = 0; i < n; ++i) complex[2 * i] = x[i];
        std::copy(x.begin(), x.end(), real.begin());
        ASSERT_TRUE(fft.Transform32(complex.data(), order, false));
        ASSERT_TRUE(fft.TransformReal32(real.data(), order));
        double err = 0, ref = 0;
        for (std::size_t i = 0; i < n + 2; ++i) {
            err += (double(real[i]) - complex[i]) * (double(real[i]) - complex[i]);
            ref += double(complex[i]) * complex[i];
        }
        EXPECT_LT(std::sqrt(err / ref), 1e-6);
    }
    std::vector<float> small(10, 1.0f);
    EXPECT_FALSE(fft.TransformReal32(small.data(), 2));
    EXPECT_EQ(small[0], 1.0f);
    EXPECT_FALSE(fft.TransformReal32(nullptr, 4));
}

}  // namespace
