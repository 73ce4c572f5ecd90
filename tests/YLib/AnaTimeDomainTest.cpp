#include "AnalysisTestSupport.h"

#include "YLib/YAnaTimeDomain.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

YDoubleVec WhiteNoise(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    YDoubleVec v(n);
    for (double& x : v) x = normal(rng);
    return v;
}

// Mean of |X| over the bins from 900 to 1100 Hz of the transform of x padded
// to n points: the level DualChannelResponse scales by.
double BandLevel(const YDoubleVec& x, int n, double fs) {
    YDoubleVec padded(n);
    std::copy(x.begin(), x.end(), padded.begin());
    YComplexVec spectrum;
    EXPECT_TRUE(YFft().TransformReal(padded, spectrum));
    const double df = fs / n;
    const int centre = int(std::lround(1000.0 / df)), width = std::max(1, int(std::lround(100.0 / df)));
    double sum = 0.0;
    for (int j = centre - width; j <= centre + width; ++j) sum += Abs(spectrum[j]);
    return sum / (2 * width + 1);
}

// x convolved with h, cut to the length of x.
YDoubleVec Convolve(const YDoubleVec& x, const std::vector<double>& h) {
    YDoubleVec y(x.Size());
    for (int i = 0; i < x.Size(); ++i)
        for (size_t m = 0; m < h.size() && m <= size_t(i); ++m) y[i] += h[m] * x[i - int(m)];
    return y;
}

}  // namespace

TEST(DualChannelResponse, NoiseThroughFirReturnsTheFirAtTheBandLevel) {
    // The reference ends in silence as long as the filter, so the recording
    // holds every sample the filter puts out.
    const std::vector<double> fir = {0.0, 0.0, 0.5, 1.0, -0.3, 0.1, 0.0, 0.02};
    const int n = 5000;  // transformed at 8192 points
    const double fs = 48000.0;
    YDoubleVec reference = WhiteNoise(n, 7);
    for (int i = n - 16; i < n; ++i) reference[i] = 0.0;
    struct Case {
        const char* name;
        double gain;
        bool advanceOne;
        int shift;
    };
    const Case cases[] = {
        {"as is", 1.0, false, 0},
        {"inverted", -1.0, false, 0},
        {"advanced one sample", 1.0, true, -1},
    };
    const double level = BandLevel(reference, 8192, fs);
    for (const Case& c : cases) {
        std::vector<double> h = fir;
        for (double& x : h) x *= c.gain;
        YDoubleVec out;
        ASSERT_TRUE(YAnaTimeDomain().DualChannelResponse(out, Convolve(reference, h), reference, fs,
                                                         c.advanceOne, nullptr))
            << c.name;
        ASSERT_EQ(out.Size(), n) << c.name;
        for (int i = 0; i < n; ++i) {
            const int tap = i - c.shift;
            const double expected = tap >= 0 && tap < int(h.size()) ? h[tap] * level : 0.0;
            ASSERT_NEAR(out[i], expected, 1e-6 * level) << c.name << " sample " << i;
        }
    }
}

TEST(DualChannelResponse, LevelIsRealWhateverTheLatency) {
    // A delayed copy of the reference: the complex mean around 1 kHz turns
    // with the delay, the magnitude does not.
    const int n = 2000;  // transformed at 2048 points
    const double fs = 48000.0;
    YDoubleVec reference = WhiteNoise(n, 11);
    for (int i = n - 200; i < n; ++i) reference[i] = 0.0;
    const double level = BandLevel(reference, 2048, fs);
    for (int delay : {0, 1, 12, 150}) {
        YDoubleVec measured(n);
        for (int i = delay; i < n; ++i) measured[i] = reference[i - delay];
        YDoubleVec out;
        ASSERT_TRUE(YAnaTimeDomain().DualChannelResponse(out, measured, reference, fs, false, nullptr));
        for (int i = 0; i < n; ++i)
            ASSERT_NEAR(out[i], i == delay ? level : 0.0, 1e-6 * level)
                << "delay " << delay << " sample " << i;
    }
}

TEST(DualChannelResponse, TransformSizeAndCompensation) {
    // The transform size shows in the compensation size it accepts.
    struct Case {
        int samples, bins;
    };
    const Case cases[] = {{1, 8}, {7, 8}, {9, 32}, {2000, 2048}, {3000, 8192}, {5000, 8192}, {16383, 32768}};
    for (const Case& c : cases) {
        const YDoubleVec x = WhiteNoise(c.samples, unsigned(c.samples));
        YComplexVec ones(c.bins);
        ones.Fill(1.0);
        YComplexVec other(c.bins * 2);
        other.Fill(1.0);
        YDoubleVec out;
        EXPECT_TRUE(YAnaTimeDomain().DualChannelResponse(out, x, x, 48000.0, false, &ones)) << c.samples;
        EXPECT_FALSE(YAnaTimeDomain().DualChannelResponse(out, x, x, 48000.0, false, &other)) << c.samples;
    }
    // A compensation of 2 halves the response.
    const YDoubleVec x = WhiteNoise(1000, 3);
    YComplexVec twos(2048);
    twos.Fill(2.0);
    YDoubleVec plain, halved;
    ASSERT_TRUE(YAnaTimeDomain().DualChannelResponse(plain, x, x, 48000.0, false, nullptr));
    ASSERT_TRUE(YAnaTimeDomain().DualChannelResponse(halved, x, x, 48000.0, false, &twos));
    EXPECT_NEAR(halved[0], plain[0] / 2, 1e-6 * plain[0]);
    // Dividing by the spectrum of a one-sample delay advances the response
    // by one sample, as advanceOne does.
    YDoubleVec delay(2048);
    delay[1] = 1.0;
    YComplexVec delaySpectrum;
    ASSERT_TRUE(YFft().TransformReal(delay, delaySpectrum));
    YDoubleVec quiet = x;  // ends in silence, so the delayed copy is complete
    for (int i = 990; i < 1000; ++i) quiet[i] = 0.0;
    const YDoubleVec late = Convolve(quiet, {0.0, 0.0, 1.0});
    YDoubleVec reference, viaCompensation, viaAdvance;
    ASSERT_TRUE(YAnaTimeDomain().DualChannelResponse(reference, quiet, quiet, 48000.0, false, nullptr));
    ASSERT_TRUE(
        YAnaTimeDomain().DualChannelResponse(viaCompensation, late, quiet, 48000.0, false, &delaySpectrum));
    ASSERT_TRUE(YAnaTimeDomain().DualChannelResponse(viaAdvance, late, quiet, 48000.0, true, nullptr));
    const double level = reference[0];
    for (int i = 0; i < 1000; ++i) {
        ASSERT_NEAR(viaCompensation[i], i == 1 ? level : 0.0, 1e-6 * level) << i;
        ASSERT_NEAR(viaAdvance[i], viaCompensation[i], 1e-6 * level) << i;
    }
}

TEST(DualChannelResponse, FailsOnSilenceAndNonFiniteData) {
    const YDoubleVec noise = WhiteNoise(1000, 5);
    YDoubleVec silent(1000), withNan = noise;
    withNan[10] = std::nan("");
    YComplexVec silentCompensation(1024);
    struct Case {
        const char* name;
        const YDoubleVec& measured;
        const YDoubleVec& reference;
        double fs;
        const YComplexVec* compensation;
    };
    const Case cases[] = {
        {"silent reference", noise, silent, 48000.0, nullptr},
        {"not finite", withNan, noise, 48000.0, nullptr},
        {"empty", YDoubleVec(), noise, 48000.0, nullptr},
        {"no sample rate", noise, noise, 0.0, nullptr},
        {"silent compensation", noise, noise, 48000.0, &silentCompensation},
    };
    for (const Case& c : cases) {
        YDoubleVec out = Vec({42.0});
        EXPECT_FALSE(
            YAnaTimeDomain().DualChannelResponse(out, c.measured, c.reference, c.fs, false, c.compensation))
            << c.name;
        EXPECT_EQ(out.Size(), 1) << c.name;
    }
}

TEST(ApplyCompensation, DividesAndReportsWhenItCannot) {
    const YDoubleVec ir = Vec({1.0, 0.5, 0.25});
    // The spectrum of [0, 2]: a gain of 2 and one sample of delay; dividing
    // by it halves the response and moves it one sample earlier (circularly).
    YDoubleVec c(16);
    c[1] = 2.0;
    YComplexVec compensation;
    ASSERT_TRUE(YFft().TransformReal(c, compensation));
    YDoubleVec x = ir;
    ASSERT_TRUE(YAnaTimeDomain().ApplyCompensation(x, compensation));
    ASSERT_EQ(x.Size(), 3);
    EXPECT_NEAR(x[0], 0.25, 1e-12);
    EXPECT_NEAR(x[1], 0.125, 1e-12);
    EXPECT_NEAR(x[2], 0.0, 1e-12);

    YComplexVec small(4), odd(12), silent(16);
    small.Fill(1.0);
    odd.Fill(1.0);
    for (const YComplexVec* bad : {&small, &odd, &silent}) {
        YDoubleVec y = ir;
        EXPECT_FALSE(YAnaTimeDomain().ApplyCompensation(y, *bad)) << bad->Size();
        EXPECT_EQ(y[0], 1.0);
    }
}

TEST(RunningSum, IsTheStepResponse) {
    struct Case {
        const char* name;
        std::vector<double> in;
        int count;
        bool removeOffset;
        std::vector<double> expected;
    };
    std::vector<double> offsetImpulse(512, 0.25);
    offsetImpulse[0] = 1.25;
    const Case cases[] = {
        {"unit impulse", {1, 0, 0, 0}, 0, false, {1, 1, 1, 1}},
        {"count", {1, 2, 3, 4}, 2, false, {1, 3}},
        {"count beyond input", {1, 2}, 5, false, {1, 3}},
        {"offset of the last two of 512", offsetImpulse, 3, true, {1, 1, 1}},
        {"offset of a short input is its last sample", {3, 1, 1}, 0, true, {2, 2, 2}},
    };
    for (const Case& c : cases) {
        YDoubleVec out;
        ASSERT_TRUE(YAnaTimeDomain().RunningSum(out, Vec(c.in), c.count, c.removeOffset)) << c.name;
        ASSERT_EQ(out.Size(), int(c.expected.size())) << c.name;
        for (int i = 0; i < out.Size(); ++i)
            EXPECT_NEAR(out[i], c.expected[i], 1e-12) << c.name << " sample " << i;
    }
    YDoubleVec inPlace = Vec({1, 1, 1});
    ASSERT_TRUE(YAnaTimeDomain().RunningSum(inPlace, inPlace, 0, false));
    EXPECT_EQ(inPlace[2], 3.0);
    YDoubleVec out;
    EXPECT_FALSE(YAnaTimeDomain().RunningSum(out, YDoubleVec(), 0, false));
}

TEST(TailMean, AveragesTheLastPartEvenOfShortVectors) {
    EXPECT_EQ(YAnaTimeDomain().TailMean(YDoubleVec()), 0.0);
    EXPECT_EQ(YAnaTimeDomain().TailMean(Vec({5.0})), 5.0);
    EXPECT_EQ(YAnaTimeDomain().TailMean(Vec({5.0, 1.0, 2.0})), 2.0);
    YDoubleVec v(512);
    v[510] = 1.0;
    v[511] = 3.0;
    v[509] = 100.0;
    EXPECT_EQ(YAnaTimeDomain().TailMean(v), 2.0);
}

TEST(DecayDb, SchroederSlopeOfExponentialDecay) {
    for (double tau : {20.0, 200.0}) {
        const int n = int(30 * tau);  // long enough that the missing tail stays below 1e-26
        YDoubleVec ir(n);
        for (int i = 0; i < n; ++i) ir[i] = std::exp(-i / tau);
        YDoubleVec out;
        ASSERT_TRUE(YAnaTimeDomain().DecayDb(out, ir, 0, false));
        ASSERT_EQ(out.Size(), n);
        EXPECT_EQ(out[0], 0.0);
        const double slope = -20.0 / std::log(10.0) / tau;  // -8.686/tau dB per sample
        for (int i = 0; i < n / 2; ++i)
            ASSERT_NEAR(out[i], slope * i, 1e-9 * (1 + std::fabs(slope * i)))
                << "tau " << tau << " sample " << i;
    }
}

TEST(DecayDb, CountOffsetAndSilence) {
    YDoubleVec out;
    ASSERT_TRUE(YAnaTimeDomain().DecayDb(out, Vec({2.0, 1.0, 1.0, 0.0, 9.0}), 4, false));
    ASSERT_EQ(out.Size(), 4);
    EXPECT_NEAR(out[1], 10.0 * std::log10(2.0 / 6.0), 1e-12);
    EXPECT_EQ(out[3], -380.0);
    EXPECT_FALSE(YAnaTimeDomain().DecayDb(out, Vec({0.0, 0.0}), 0, false));
    EXPECT_FALSE(YAnaTimeDomain().DecayDb(out, Vec({1.0, 1.0}), 0, true));  // nothing but offset
}

TEST(DecayFromPeak, StartsAtThePeakAndKeepsTheLength) {
    const YDoubleVec in = Vec({0.1, -0.2, 1.0, 0.5, 0.5, 0.0});
    YDoubleVec out;
    ASSERT_TRUE(YAnaTimeDomain().DecayFromPeak(out, in));
    ASSERT_EQ(out.Size(), 6);
    // From the peak: 1, 0.5, 0.5, 0 with an offset of 0 (the last sample).
    EXPECT_EQ(out[0], 0.0);
    EXPECT_NEAR(out[1], 10.0 * std::log10(0.5 / 1.5), 1e-12);
    EXPECT_NEAR(out[2], 10.0 * std::log10(0.25 / 1.5), 1e-12);
    EXPECT_EQ(out[3], -380.0);
    EXPECT_EQ(out[4], -1000.0);
    EXPECT_EQ(out[5], -1000.0);
}

TEST(EnvelopeDb, OfGaussianToneBurstIsItsGaussian) {
    const double fs = 48000.0, f0 = 1000.0, sigma = 0.002, centre = 0.01;
    const int n = 1000;
    YDoubleVec burst(n);
    for (int i = 0; i < n; ++i) {
        const double t = i / fs - centre;
        burst[i] = 0.7 * std::exp(-t * t / (2 * sigma * sigma)) * std::cos(2 * kPi * f0 * t + 0.3);
    }
    for (int window : {0, 2, 5}) {
        YDoubleVec env;
        ASSERT_TRUE(YAnaTimeDomain().EnvelopeDb(env, burst, window));
        ASSERT_EQ(env.Size(), n);
        EXPECT_EQ(env.Max(), 0.0);
        int checked = 0;
        for (int i = 0; i < n; ++i) {
            const double t = i / fs - centre;
            const double expected = -t * t / (2 * sigma * sigma) * 20.0 / std::log(10.0);
            if (expected < -40.0) continue;
            ++checked;
            ASSERT_NEAR(env[i], expected, 0.1) << "window " << window << " sample " << i;
        }
        EXPECT_GT(checked, 300);
    }
}

TEST(EnvelopeDb, SilenceIsNoSignal) {
    YDoubleVec out = Vec({1.0});
    EXPECT_FALSE(YAnaTimeDomain().EnvelopeDb(out, YDoubleVec(100), 2));
    EXPECT_FALSE(YAnaTimeDomain().EnvelopeDb(out, YDoubleVec(), 2));
    EXPECT_FALSE(YAnaTimeDomain().EnvelopeDb(out, Vec({1.0, 0.0}), 7));
    EXPECT_EQ(out.Size(), 1);
}

TEST(Hilbert, TurnsCosineIntoMinusSine) {
    // Away from the ends of the block, the sign-inverted transformer gives
    // -sin for cos (a rectangular taper leaves the band untouched).
    const int n = 4096;
    const double w = 2 * kPi * 64.0 / n;
    YDoubleVec x(n);
    for (int i = 0; i < n; ++i) x[i] = std::cos(w * i);
    YDoubleVec h;
    ASSERT_TRUE(YAnaTimeDomain().Hilbert(h, x, 0));
    ASSERT_EQ(h.Size(), n);
    for (int i = n / 4; i < 3 * n / 4; ++i) ASSERT_NEAR(h[i], -std::sin(w * i), 0.02) << i;
}

TEST(FilterByMultiplier, RejectsShortOrOddMultipliers) {
    YDoubleVec out;
    YComplexVec ones(8);
    ones.Fill(1.0);
    const YDoubleVec in = Vec({1, 2, 3});
    ASSERT_TRUE(YAnaTimeDomain().FilterByMultiplier(out, in, ones));
    EXPECT_NEAR(out[2], 3.0, 1e-12);
    EXPECT_FALSE(YAnaTimeDomain().FilterByMultiplier(out, WhiteNoise(9, 1), ones));
    EXPECT_FALSE(YAnaTimeDomain().FilterByMultiplier(out, in, YComplexVec(6)));
}
