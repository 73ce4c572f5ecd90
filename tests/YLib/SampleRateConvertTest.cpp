#include "YLib/YDoubleVec.h"
#include "YLib/YSampleRateConvert.h"

#include "SignalProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Rates {
    double source, target;
};

std::string Name(Rates r, double f) {
    return std::to_string(r.source) + " -> " + std::to_string(r.target) + " Hz, " + std::to_string(f) + " Hz";
}

// Output samples at each end that the filter's ramps reach (72 taps at the
// lower rate, with room to spare).
std::size_t Margin(Rates r) { return static_cast<std::size_t>(100.0 * std::max(1.0, r.target / r.source)); }

std::vector<double> Converted(const std::vector<double>& in, Rates r) {
    std::vector<double> out(YSampleRateConvert::OutputLength(in.size(), r.target, r.source));
    EXPECT_TRUE(YSampleRateConvert::Convert(in, out, r.target, r.source));
    return out;
}

}  // namespace

// A sine anywhere in the pass band (to 0.45 of the lower rate) comes out as
// the same sine at the new rate, at the same times: residual below -90 dB and
// level within 0.01 dB, for exact ratios and for arbitrary ones.
TEST(YSampleRateConvert, PassBandSinesKeepLevelAndTiming) {
    struct Case {
        Rates rates;
        double f;
    };
    const Case cases[] = {
        {{44100, 48000}, 1000},    {{44100, 48000}, 20},      {{44100, 48000}, 10000},
        {{44100, 48000}, 19845},   {{48000, 44100}, 1000},    {{48000, 44100}, 20},
        {{48000, 44100}, 15000},   {{48000, 44100}, 19845},   {{44100, 96000}, 19845},
        {{96000, 44100}, 1000},    {{96000, 44100}, 19845},   {{22050, 48000}, 9922},
        {{8000, 44100}, 100},      {{8000, 44100}, 3600},     {{48000, 8000}, 3600},
        {{44100.5, 48000}, 1000},  {{44100.5, 48000}, 19845}, {{48000, 44099.7}, 1000},
        {{48000, 44099.7}, 19844}, {{1000, 48000}, 450},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.rates, c.f));
        const std::vector<double> in = probe::Sine(20000, c.f, c.rates.source, 0.4);
        const std::vector<double> out = Converted(in, c.rates);
        const std::vector<double> ideal = probe::Sine(out.size(), c.f, c.rates.target, 0.4);
        const std::size_t first = Margin(c.rates), last = out.size() - Margin(c.rates);
        EXPECT_LT(probe::ResidualDb(out, ideal, first, last), -90.0);
        const double level = probe::Db(probe::SineAmplitude(out, c.f, c.rates.target, first, last));
        EXPECT_NEAR(level, 0.0, 0.01);
    }
}

TEST(YSampleRateConvert, OneKilohertzFrom44100To48000) {
    const Rates rates{44100, 48000};
    const std::vector<double> in = probe::Sine(44100, 1000, 44100);
    const std::vector<double> out = Converted(in, rates);
    ASSERT_EQ(out.size(), 48000u);
    const std::vector<double> ideal = probe::Sine(out.size(), 1000, 48000);
    const double residual = probe::ResidualDb(out, ideal, 200, out.size() - 200);
    EXPECT_LT(residual, -90.0);
    RecordProperty("residual_dB", std::to_string(residual));
}

// An exponential sweep up to 0.45 of the lower rate keeps its level: RMS of
// every 1000-sample stretch within 0.01 dB of the ideal sweep's.
TEST(YSampleRateConvert, SweepKeepsItsLevel) {
    for (const Rates rates : {Rates{44100, 48000}, Rates{48000, 44100}}) {
        SCOPED_TRACE(Name(rates, 0));
        const double f1 = 20.0, f2 = 0.45 * 44100, seconds = 2.0;
        const double k = std::log(f2 / f1) / seconds;
        auto sweep = [&](double rate) {
            std::vector<double> x(static_cast<std::size_t>(seconds * rate));
            for (std::size_t n = 0; n < x.size(); ++n)
                x[n] = std::sin(probe::kTwoPi * f1 / k * std::expm1(k * static_cast<double>(n) / rate));
            return x;
        };
        const std::vector<double> out = Converted(sweep(rates.source), rates);
        const std::vector<double> ideal = sweep(rates.target);
        ASSERT_EQ(out.size(), ideal.size());
        for (std::size_t first = 1000; first + 2000 <= out.size(); first += 1000) {
            ASSERT_NEAR(probe::RmsDb(out, first, first + 1000), probe::RmsDb(ideal, first, first + 1000),
                        0.01)
                << "samples " << first;
        }
        EXPECT_LT(probe::ResidualDb(out, ideal, 1000, out.size() - 1000), -90.0);
    }
}

// Above 0.5 of the lower rate nothing comes through: down-sampled tones that
// would alias, and the images of up-sampled tones, stay 100 dB down.
TEST(YSampleRateConvert, StopBandIsAtLeast100DecibelsDown) {
    struct Case {
        Rates rates;
        double f;
    };
    const Case aliases[] = {
        {{48000, 44100}, 22100}, {{48000, 44100}, 23000}, {{48000, 44100}, 23900},
        {{96000, 44100}, 22100}, {{96000, 44100}, 30000}, {{96000, 44100}, 47000},
        {{48000, 8000}, 4100},   {{48000, 8000}, 10000},  {{48000, 44099.7}, 23000},
    };
    for (const Case& c : aliases) {
        SCOPED_TRACE(Name(c.rates, c.f));
        const std::vector<double> out = Converted(probe::Sine(20000, c.f, c.rates.source), c.rates);
        // A full-scale sine has an RMS level of -3.01 dB.
        EXPECT_LT(probe::RmsDb(out, Margin(c.rates), out.size() - Margin(c.rates)), -100.0 - 3.01);
    }
    const Case images[] = {{{44100, 48000}, 19000}, {{8000, 44100}, 3500}, {{44100.5, 48000}, 19000}};
    for (const Case& c : images) {
        SCOPED_TRACE(Name(c.rates, c.f));
        const std::vector<double> out = Converted(probe::Sine(20000, c.f, c.rates.source), c.rates);
        const std::vector<double> ideal = probe::Sine(out.size(), c.f, c.rates.target);
        EXPECT_LT(probe::ResidualDb(out, ideal, Margin(c.rates), out.size() - Margin(c.rates)), -100.0);
    }
}

TEST(YSampleRateConvert, RatesRoundingToTheSameHertzCopy) {
    const std::vector<double> in = probe::Sine(1001, 440, 44100);
    ASSERT_EQ(YSampleRateConvert::OutputLength(in.size(), 44100.2, 44099.9), in.size());
    std::vector<double> out(in.size());
    ASSERT_TRUE(YSampleRateConvert::Convert(in, out, 44100.2, 44099.9));
    EXPECT_EQ(out, in);
}

TEST(YSampleRateConvert, OutputLengthIsRoundedRatio) {
    EXPECT_EQ(YSampleRateConvert::OutputLength(3, 2, 1), 6u);
    EXPECT_EQ(YSampleRateConvert::OutputLength(10, 44100, 48000), 9u);  // 9.1875
    EXPECT_EQ(YSampleRateConvert::OutputLength(44100, 48000, 44100), 48000u);
    EXPECT_EQ(YSampleRateConvert::OutputLength(0, 48000, 44100), 0u);
    EXPECT_EQ(YSampleRateConvert::OutputLength(10, 0, 44100), 0u);
}

TEST(YSampleRateConvert, RefusesUnusableArguments) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> in(100, 0.5);
    struct Case {
        const char* name;
        double target, source;
        std::size_t outSize;
    };
    const Case cases[] = {
        {"target NaN", nan, 44100, 100},
        {"source NaN", 48000, nan, 100},
        {"target infinite", inf, 44100, 100},
        {"source 0", 48000, 0, 100},
        {"target negative", -48000, 44100, 100},
        {"output too short", 48000, 44100, 108},
        {"output too long", 48000, 44100, 110},
        {"equal rates, other length", 48000, 48000, 99},
        {"down-sampling beyond 1024:1", 40, 48000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> out(c.outSize, 7.0);
        EXPECT_FALSE(YSampleRateConvert::Convert(in, out, c.target, c.source));
        EXPECT_EQ(out, std::vector<double>(c.outSize, 7.0));
    }
}

// The decimator's tenth-order cascade is a Butterworth low-pass through the
// bilinear transform: |H| = 1 / sqrt(1 + (tan(pi f / fs) / tan(pi fc / fs))^20)
// within 0.01 dB through the pass band.
TEST(YSampleRateConvert, LowPassCascadeIsTenthOrderButterworth) {
    struct Case {
        double fs, fc;
    };
    const Case cases[] = {{48000, 0.49 * 44100}, {44100, 1000}, {96000, 0.49 * 48000}, {8000, 300}};
    for (const Case& c : cases) {
        std::vector<double> h(1 << 14, 0.0);
        h[0] = 1.0;
        YSampleRateConvert::LowPassCascade(h, c.fs, c.fc);
        for (const double ratio : {0.01, 0.1, 0.3, 0.5, 0.7, 0.8, 0.9, 0.95, 1.0}) {
            const double f = ratio * c.fc;
            const double x = std::tan(std::numbers::pi * f / c.fs) / std::tan(std::numbers::pi * c.fc / c.fs);
            const double reference = -10.0 * std::log10(1.0 + std::pow(x, 20));
            EXPECT_NEAR(probe::Db(std::abs(probe::Dft(h, f, c.fs))), reference, 0.01)
                << c.fs << " Hz, corner " << c.fc << ", at " << f;
        }
    }
    std::vector<double> unchanged{1, 2, 3};
    YSampleRateConvert::LowPassCascade(unchanged, 48000, 30000);
    EXPECT_EQ(unchanged, (std::vector<double>{1, 2, 3}));
}

// The vector form never changes the caller's input, may convert a vector into
// itself, and leaves the output alone when it fails.
TEST(YSampleRateConvert, VectorFormKeepsTheInput) {
    const std::vector<double> samples = probe::Sine(4410, 1000, 44100, 0.2);
    YDoubleVec in(static_cast<int>(samples.size()));
    std::copy(samples.begin(), samples.end(), in.begin());
    const std::vector<double> expected = Converted(samples, {44100, 48000});

    YDoubleVec out;
    ASSERT_TRUE(YSampleRateConvert::Convert(out, in, 48000, 44100));
    EXPECT_TRUE(std::equal(in.begin(), in.end(), samples.begin(), samples.end()));
    EXPECT_TRUE(std::equal(out.begin(), out.end(), expected.begin(), expected.end()));

    YDoubleVec same = in;
    ASSERT_TRUE(YSampleRateConvert::Convert(same, same, 48000, 44100));
    EXPECT_TRUE(std::equal(same.begin(), same.end(), expected.begin(), expected.end()));

    ASSERT_TRUE(YSampleRateConvert::Convert(same, in, 44100.3, 44100));
    EXPECT_TRUE(std::equal(same.begin(), same.end(), samples.begin(), samples.end()));

    EXPECT_FALSE(YSampleRateConvert::Convert(out, in, 0.0, 44100));
    EXPECT_TRUE(std::equal(out.begin(), out.end(), expected.begin(), expected.end()));
}
