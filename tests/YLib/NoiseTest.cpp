#include "YLib/YDoubleVec.h"
#include "YLib/YNoise.h"
#include "YLib/YRandom.h"

#include "SignalProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

TEST(YRandom, UniformSequenceFromTheDefaultSeed) {
    YUniformRandom r;
    EXPECT_EQ(r.Next(), 0.1330695073120296);
    EXPECT_EQ(r.Next(), 0.7922726944088936);
    EXPECT_EQ(r.Next(), 0.032532321754843);

    YNoise noise;
    std::vector<double> v(3);
    noise.WhiteUniform(v, false);
    EXPECT_EQ(v, (std::vector<double>{0.1330695073120296, 0.7922726944088936, 0.032532321754843}));
    // The object goes on with its sequence; a new one starts over.
    noise.WhiteUniform(v, false);
    EXPECT_NE(v[0], 0.1330695073120296);
    YNoise fresh;
    fresh.WhiteUniform(v, false);
    EXPECT_EQ(v[0], 0.1330695073120296);
}

// The 15-bit generator gives the classic C-runtime sequence of seed 1
// (41, 18467, 6334, ...) and covers 0 ... 32767 whatever the C library's rand.
TEST(YRandom, FifteenBitSequenceAndRange) {
    YRandom r;
    const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (const int expected : first) EXPECT_EQ(r.Next(), expected);

    r.Seed(12345);
    int lowest = YRandom::kMax, highest = 0;
    for (int i = 0; i < 1000000; ++i) {
        const int v = r.Next();
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, YRandom::kMax);
}

// Gaussian noise has mean 0 and variance 1, and no value beyond the largest
// that u1 = 1/32768 allows (ln 0 would give a spike of about 13 sigma).
TEST(YNoise, WhiteGaussianStatisticsAndPeak) {
    YNoise noise(777);
    std::vector<double> v(1 << 19);
    noise.WhiteGaussian(v, false);
    double sum = 0.0, power = 0.0, peak = 0.0;
    for (const double x : v) {
        sum += x;
        power += x * x;
        peak = std::max(peak, std::fabs(x));
    }
    const double n = static_cast<double>(v.size());
    EXPECT_NEAR(sum / n, 0.0, 0.01);
    EXPECT_NEAR(power / n, 1.0, 0.01);
    EXPECT_LE(peak, std::sqrt(-2.0 * std::log(1.0 / 32768.0)) + 1e-12);
    EXPECT_GT(peak, 4.0);

    noise.WhiteGaussian(v, true);
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    EXPECT_EQ(std::max(-*lo, *hi), 1.0);
}

TEST(YNoise, NormalisePeak) {
    struct Case {
        const char* name;
        std::vector<double> in, out;
    };
    const Case cases[] = {
        {"all zero unchanged", {0, 0, 0}, {0, 0, 0}},
        {"negative peak", {-2, 1}, {-1, 0.5}},
        {"positive peak", {4, -1, 2}, {1, -0.25, 0.5}},
        {"single value", {-0.5}, {-1}},
        {"empty", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<double> v = c.in;
        YNoise::NormalisePeak(v);
        EXPECT_EQ(v, c.out) << c.name;
    }
}

// The pinking filter's response, read from its impulse response, falls by
// 10 log10(2) = 3.01 dB per octave within 0.1 dB from 20 Hz to 20 kHz.
TEST(YNoise, PinkFilterFallsThreeDecibelsPerOctave) {
    for (const double fs : {44100.0, 48000.0}) {
        SCOPED_TRACE(fs);
        std::vector<double> h(1 << 15, 0.0);
        h[0] = 1.0;
        YNoise::PinkFilterBlock(h);
        std::vector<double> offsets;  // level + 10 log10 f: constant for pink
        for (double f = 20.0; f <= 20000.0; f *= std::cbrt(2.0))
            offsets.push_back(probe::Db(std::abs(probe::Dft(h, f, fs))) + 10.0 * std::log10(f));
        double mean = 0.0;
        for (const double o : offsets) mean += o / static_cast<double>(offsets.size());
        for (std::size_t i = 0; i < offsets.size(); ++i)
            EXPECT_NEAR(offsets[i], mean, 0.1) << "third octave " << i << " above 20 Hz";
    }
}

TEST(YNoise, PinkNoiseIsNormalised) {
    YNoise noise;
    std::vector<double> v(10000);
    for (const bool gaussian : {true, false}) {
        if (gaussian)
            noise.PinkGaussian(v);
        else
            noise.PinkUniform(v);
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        EXPECT_EQ(std::max(-*lo, *hi), 1.0) << (gaussian ? "gaussian" : "uniform");
    }
}

// Generators on several threads share nothing: each thread's noise is what
// the same object gives on its own.
TEST(YNoise, ObjectsOnSeveralThreadsAreIndependent) {
    auto make = [](unsigned seed) {
        YNoise noise(seed, seed);
        std::vector<double> v(20000);
        noise.WhiteGaussian(std::span(v).first(10000), false);
        noise.WhiteUniform(std::span(v).subspan(10000), false);
        return v;
    };
    std::vector<std::vector<double>> results(4);
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < results.size(); ++t) threads.emplace_back([&, t] { results[t] = make(t + 1); });
    for (auto& t : threads) t.join();
    for (unsigned t = 0; t < results.size(); ++t) EXPECT_EQ(results[t], make(t + 1)) << "thread " << t;
}

TEST(YNoise, VectorFormsResizeFirst) {
    YNoise noise;
    YDoubleVec v(10);
    ASSERT_TRUE(noise.WhiteUniform(v, 3, false));
    ASSERT_EQ(v.Size(), 3);
    EXPECT_EQ(v[0], 0.1330695073120296);
    EXPECT_EQ(v[2], 0.032532321754843);
    ASSERT_TRUE(noise.PinkGaussian(v, 2000));
    EXPECT_EQ(std::max(-v.Min(), v.Max()), 1.0);
    ASSERT_TRUE(noise.WhiteGaussian(v, 0, true));
    EXPECT_EQ(v.Size(), 0);

    YDoubleVec w(2);
    w[0] = -2.0;
    w[1] = 1.0;
    YNoise::NormalisePeak(w);
    EXPECT_EQ(w[0], -1.0);
    EXPECT_EQ(w[1], 0.5);
}
