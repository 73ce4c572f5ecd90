#include "YLib/YBiquad.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YPinkFilter.h"

#include "SignalProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kButterworthQ = 0.70710678118654752;

struct Design {
    int type;
    double fs, f0, gainDb, qOrBandwidth;
    bool bandwidth = false;
};

bool IsIdentity(YBiquad& s) {
    const auto n = s.Normalised();
    return s.Type() == YBiquad::kCleared && n[0] == 1.0 && n[1] == 0.0 && n[2] == 0.0 && n[3] == 0.0 &&
           n[4] == 0.0 && s.Process(0.75) == 0.75 && s.Process(-2.5) == -2.5;
}

double FromDb(double db) { return std::pow(10.0, db / 20.0); }

}  // namespace

// Each type against a property of the cookbook responses, read from the
// designed section's H(e^jw): the magnitude (and, where given, the phase) at
// a probe frequency.
TEST(YBiquad, CookbookPropertiesOfEveryType) {
    struct Case {
        const char* name;
        Design d;
        double probe;
        double magnitude;
        double phase = kNaN;
    };
    const double fs = 48000.0;
    const double nyquist = fs / 2.0;
    const Case cases[] = {
        {"first-order low-pass -3.01 dB at f0", {0, fs, 1000, 0, 0}, 1000, std::sqrt(0.5)},
        {"first-order low-pass 1 at DC", {0, fs, 1000, 0, 0}, 0, 1.0},
        {"first-order low-pass 0 at Nyquist", {0, fs, 1000, 0, 0}, nyquist, 0.0},
        {"first-order high-pass -3.01 dB at f0", {2, fs, 3000, 0, 0}, 3000, std::sqrt(0.5)},
        {"first-order high-pass 1 at Nyquist", {2, fs, 3000, 0, 0}, nyquist, 1.0},
        {"first-order high-pass 0 at DC", {2, fs, 3000, 0, 0}, 0, 0.0},
        {"low-pass Q 0.707 at f0",
         {1, fs, 2000, 0, kButterworthQ},
         2000,
         kButterworthQ,
         -std::numbers::pi / 2},
        {"low-pass Q 4 at f0", {1, fs, 500, 0, 4.0}, 500, 4.0},
        {"low-pass 1 at DC", {1, fs, 500, 0, 4.0}, 0, 1.0},
        {"low-pass 0 at Nyquist", {1, fs, 500, 0, 4.0}, nyquist, 0.0},
        {"high-pass Q 0.5 at f0", {3, fs, 100, 0, 0.5}, 100, 0.5, std::numbers::pi / 2},
        {"high-pass Q 3 at f0", {3, fs, 8000, 0, 3.0}, 8000, 3.0},
        {"high-pass 1 at Nyquist", {3, fs, 8000, 0, 3.0}, nyquist, 1.0},
        {"band-pass 1 at f0", {4, fs, 1000, 0, 2.0}, 1000, 1.0, 0.0},
        {"band-pass by bandwidth 1 at f0", {4, fs, 5000, 0, 1.0, true}, 5000, 1.0, 0.0},
        {"band-pass 0 at DC", {4, fs, 1000, 0, 2.0}, 0, 0.0},
        {"notch 0 at f0", {5, fs, 1000, 0, 10.0}, 1000, 0.0},
        {"notch 1 at DC", {5, fs, 1000, 0, 10.0}, 0, 1.0},
        {"notch 1 at Nyquist", {5, fs, 1000, 0, 10.0}, nyquist, 1.0},
        {"peaking +6 dB at f0", {6, fs, 1000, 6, 1.5}, 1000, FromDb(6), 0.0},
        {"peaking -12 dB at f0", {6, fs, 12000, -12, 0.7}, 12000, FromDb(-12), 0.0},
        {"peaking by bandwidth -3 dB at f0", {6, fs, 300, -3, 0.5, true}, 300, FromDb(-3)},
        {"peaking 1 at DC", {6, fs, 1000, 6, 1.5}, 0, 1.0},
        {"low shelf +6 dB at DC", {7, fs, 200, 6, 1}, 0, FromDb(6)},
        {"low shelf 1 at Nyquist", {7, fs, 200, 6, 1}, nyquist, 1.0},
        {"low shelf -10 dB at DC", {7, fs, 2000, -10, 1}, 0, FromDb(-10)},
        {"high shelf -9 dB at Nyquist", {8, fs, 5000, -9, 1}, nyquist, FromDb(-9)},
        {"high shelf 1 at DC", {8, fs, 5000, -9, 1}, 0, 1.0},
        {"high shelf +4 dB at Nyquist", {8, fs, 800, 4, 1}, nyquist, FromDb(4)},
        {"all-pass -pi at f0", {9, fs, 1000, 0, 0.7}, 1000, 1.0, -std::numbers::pi},
        {"all-pass 1 below f0", {9, fs, 1000, 0, 0.7}, 170, 1.0},
        {"all-pass 1 above f0", {9, fs, 1000, 0, 0.7}, 17000, 1.0},
        {"all-pass 1 at Nyquist", {9, fs, 1000, 0, 0.7}, nyquist, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        YBiquad s;
        ASSERT_TRUE(s.Setup(c.d.type, c.d.fs, c.d.f0, c.d.gainDb, c.d.qOrBandwidth, c.d.bandwidth));
        EXPECT_EQ(s.Type(), c.d.type);
        const std::complex<double> h = s.Response(c.probe, c.d.fs);
        EXPECT_NEAR(std::abs(h), c.magnitude, 1e-12);
        if (!std::isnan(c.phase)) {
            // -pi and pi are the same phase.
            const double error = std::remainder(std::arg(h) - c.phase, 2.0 * std::numbers::pi);
            EXPECT_NEAR(error, 0.0, 1e-9);
        }
    }
}

// A second-order low-pass with Q 1/sqrt(2) is the second-order Butterworth
// low-pass of the bilinear transform: against SciPy's butter(2) and the
// analytic coefficients with K = tan(pi f0 / fs).
TEST(YBiquad, LowPassWithButterworthQIsButterworth) {
    std::ifstream table(SONBEX_TEST_DATA "/YLib/butterworth2.txt");
    ASSERT_TRUE(table) << "butterworth2.txt";
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        in.imbue(std::locale::classic());
        double fs, f0, b0, b1, b2, a1, a2;
        ASSERT_TRUE(in >> fs >> f0 >> b0 >> b1 >> b2 >> a1 >> a2) << line;
        SCOPED_TRACE(line);
        ++rows;
        YBiquad s;
        ASSERT_TRUE(s.Setup(YBiquad::kLowPass2, fs, f0, 0.0, 1.0 / std::sqrt(2.0), false));
        const auto n = s.Normalised();
        EXPECT_NEAR(n[0], b0, 1e-12);
        EXPECT_NEAR(n[1], b1, 1e-12);
        EXPECT_NEAR(n[2], b2, 1e-12);
        EXPECT_NEAR(n[3], a1, 1e-12);
        EXPECT_NEAR(n[4], a2, 1e-12);

        const double k = std::tan(std::numbers::pi * f0 / fs);
        const double d = 1.0 + std::sqrt(2.0) * k + k * k;
        EXPECT_NEAR(n[0], k * k / d, 1e-12);
        EXPECT_NEAR(n[3], 2.0 * (k * k - 1.0) / d, 1e-12);
        EXPECT_NEAR(n[4], (1.0 - std::sqrt(2.0) * k + k * k) / d, 1e-12);
    }
    EXPECT_EQ(rows, 8);
}

// Filtering a steady sine gives the designed response: the Direct Form I
// recursion runs the coefficients it was given, for every type.
TEST(YBiquad, SteadySineFollowsTheDesignedResponse) {
    const double fs = 48000.0;
    const double f = 1500.0;  // 32 samples per period
    const Design designs[] = {
        {0, fs, 1000, 0, 0}, {1, fs, 1200, 0, 3},   {2, fs, 900, 0, 0},  {3, fs, 2000, 0, 0.6},
        {4, fs, 1400, 0, 5}, {5, fs, 1300, 0, 2},   {6, fs, 1600, 9, 2}, {7, fs, 700, -6, 1},
        {8, fs, 3000, 5, 1}, {9, fs, 2500, 0, 0.9}, {10, fs, 0, 0, 0},
    };
    for (const Design& d : designs) {
        SCOPED_TRACE("type " + std::to_string(d.type));
        YBiquad s;
        ASSERT_TRUE(s.Setup(d.type, d.fs, d.f0, d.gainDb, d.qOrBandwidth, d.bandwidth));
        std::vector<double> x = probe::Sine(48000, f, fs);
        s.FilterBlock(x, true);
        // After 0.5 s every section has settled.
        const double amplitude = probe::SineAmplitude(x, f, fs, 24000, 48000);
        EXPECT_NEAR(amplitude, std::abs(s.Response(f, fs)), 1e-9);
    }
}

TEST(YBiquad, NewSectionPassesSamplesUnchanged) {
    YBiquad s;
    EXPECT_TRUE(IsIdentity(s));
    EXPECT_EQ(s.Raw().a0, 1.0);
    EXPECT_EQ(s.Raw().b0, 1.0);
}

// Settings come from stored records: every unusable one leaves an identity
// section and false, also after an earlier good design.
TEST(YBiquad, UnusableSettingsGiveIdentityAndFalse) {
    struct Case {
        const char* name;
        Design d;
    };
    const Case cases[] = {
        {"type -1", {-1, 48000, 1000, 0, 1}},
        {"type 11", {11, 48000, 1000, 0, 1}},
        {"f0 0", {1, 48000, 0, 0, 1}},
        {"f0 negative", {3, 48000, -100, 0, 1}},
        {"f0 at Nyquist", {1, 48000, 24000, 0, 1}},
        {"f0 above Nyquist", {0, 48000, 30000, 0, 0}},
        {"f0 NaN", {6, 48000, kNaN, 3, 1}},
        {"f0 infinite", {2, 48000, kInf, 0, 0}},
        {"rate 0", {1, 0, 1000, 0, 1}},
        {"rate negative", {1, -48000, 1000, 0, 1}},
        {"rate NaN", {7, kNaN, 1000, 3, 1}},
        {"rate infinite", {1, kInf, 1000, 0, 1}},
        {"Q 0", {1, 48000, 1000, 0, 0}},
        {"Q negative", {4, 48000, 1000, 0, -2}},
        {"Q NaN", {5, 48000, 1000, 0, kNaN}},
        {"Q infinite", {9, 48000, 1000, 0, kInf}},
        {"bandwidth 0", {4, 48000, 1000, 0, 0, true}},
        {"bandwidth negative", {6, 48000, 1000, 3, -1, true}},
        {"bandwidth infinite", {4, 48000, 1000, 0, kInf, true}},
        {"bandwidth overflowing", {4, 48000, 10, 0, 1e6, true}},
        {"peaking gain NaN", {6, 48000, 1000, kNaN, 1}},
        {"low shelf gain infinite", {7, 48000, 1000, kInf, 1}},
        {"high shelf gain overflowing", {8, 48000, 1000, 1e6, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        YBiquad s;
        ASSERT_TRUE(s.Setup(YBiquad::kPeaking, 48000, 1000, 6, 1, false));
        s.Process(1.0);
        EXPECT_FALSE(s.Setup(c.d.type, c.d.fs, c.d.f0, c.d.gainDb, c.d.qOrBandwidth, c.d.bandwidth));
        EXPECT_TRUE(IsIdentity(s));
        EXPECT_EQ(s.SampleRate(), 0.0);
        EXPECT_EQ(s.Frequency(), 0.0);
    }
}

// Parameters a type does not use are not checked.
TEST(YBiquad, UnusedParametersAreIgnored) {
    struct Case {
        const char* name;
        Design d;
    };
    const Case cases[] = {
        {"first-order low-pass, Q NaN", {0, 48000, 1000, kNaN, kNaN}},
        {"first-order high-pass, Q 0", {2, 48000, 1000, 0, 0}},
        {"low shelf, Q 0", {7, 48000, 1000, 3, 0}},
        {"high shelf, bandwidth -1", {8, 48000, 1000, 3, -1, true}},
        {"low-pass, gain NaN", {1, 48000, 1000, kNaN, 1}},
        {"pinking, every parameter NaN", {10, kNaN, kNaN, kNaN, kNaN}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        YBiquad s;
        EXPECT_TRUE(s.Setup(c.d.type, c.d.fs, c.d.f0, c.d.gainDb, c.d.qOrBandwidth, c.d.bandwidth));
        EXPECT_EQ(s.Type(), c.d.type);
        const double y = s.Process(1.0);
        EXPECT_TRUE(std::isfinite(y));
    }
}

TEST(YBiquad, FirstOrderLowPassAtQuarterRateIsTwoSampleAverage) {
    YBiquad s;
    ASSERT_TRUE(s.Setup(YBiquad::kLowPass1, 48000, 12000, 0, 0, false));
    const YBiquad::Coefficients& c = s.Raw();
    EXPECT_NEAR(c.b0, 0.5, 1e-15);
    EXPECT_NEAR(c.b1, 0.5, 1e-15);
    EXPECT_EQ(c.b2, 0.0);
    EXPECT_EQ(c.a0, 1.0);
    EXPECT_NEAR(c.a1, 0.0, 1e-15);
    EXPECT_EQ(c.a2, 0.0);
    EXPECT_NEAR(s.Process(2.0), 1.0, 1e-15);
    EXPECT_NEAR(s.Process(4.0), 3.0, 1e-15);
    EXPECT_NEAR(s.Process(-4.0), 0.0, 1e-15);
}

TEST(YBiquad, PeakingWithZeroGainIsIdentityEverywhere) {
    YBiquad s;
    ASSERT_TRUE(s.Setup(YBiquad::kPeaking, 44100, 3000, 0, 2.5, false));
    for (const double f : {0.0, 100.0, 3000.0, 15000.0, 22050.0})
        EXPECT_NEAR(std::abs(s.Response(f, 44100) - 1.0), 0.0, 1e-15) << f;
}

TEST(YBiquad, ShelvesDoNotDependOnQ) {
    for (const int type : {YBiquad::kLowShelf, YBiquad::kHighShelf}) {
        YBiquad a, b;
        ASSERT_TRUE(a.Setup(type, 48000, 500, 6, 0.3, false));
        ASSERT_TRUE(b.Setup(type, 48000, 500, 6, 8.0, false));
        EXPECT_EQ(a.Normalised(), b.Normalised()) << type;
    }
}

TEST(YBiquad, BandwidthIsStoredAsEquivalentQ) {
    EXPECT_EQ(YBiquad::QFromBandwidth(1.0), 1.4142135623730951);
    EXPECT_NEAR(YBiquad::QFromBandwidth(1.0 / 3.0), 4.318473046963146, 1e-14);
    YBiquad s;
    ASSERT_TRUE(s.Setup(YBiquad::kBandPass, 48000, 1000, 0, 1.0, true));
    EXPECT_EQ(s.Q(), 1.4142135623730951);
}

TEST(YBiquad, SetCoefficientsNormalisesOrRefuses) {
    YBiquad s;
    ASSERT_TRUE(s.SetCoefficients(2.0, -1.0, 0.5, 1.0, 0.5, 0.25));
    EXPECT_EQ(s.Type(), YBiquad::kDirect);
    EXPECT_EQ(s.Normalised(), (std::array<double, 5>{0.5, 0.25, 0.125, -0.5, 0.25}));
    EXPECT_EQ(s.Process(4.0), 2.0);
    EXPECT_EQ(s.Process(0.0), 0.25 * 4.0 + 0.5 * 2.0);  // nb1 x1 - na1 y1

    EXPECT_FALSE(s.SetCoefficients(0.0, 1, 1, 1, 1, 1));
    EXPECT_TRUE(IsIdentity(s));
    EXPECT_FALSE(s.SetCoefficients(1.0, kNaN, 0, 1, 0, 0));
    EXPECT_TRUE(IsIdentity(s));
    EXPECT_FALSE(s.SetCoefficients(1e-310, 0, 0, 1e10, 0, 0));
    EXPECT_TRUE(IsIdentity(s));
}

TEST(YBiquad, PinkFilterHasThePinkingCoefficients) {
    YPinkFilter pink;
    YBiquad designed;
    ASSERT_TRUE(designed.Setup(YBiquad::kPinking, 48000, 0, 0, 0, false));
    EXPECT_EQ(pink.Type(), YBiquad::kDirect);
    EXPECT_EQ(pink.Normalised(), designed.Normalised());
    EXPECT_EQ(pink.Normalised()[0], 0.04957526213389);
    EXPECT_EQ(pink.Normalised()[4], 0.80257737639225);
}

// Every block form computes what Process computes, sample for sample; the
// state carries over between blocks unless reset.
TEST(YBiquad, BlockFormsMatchProcess) {
    std::vector<double> input = probe::Sine(1000, 3100, 48000, 0.3);
    input[10] += 1.0;
    YBiquad reference;
    ASSERT_TRUE(reference.Setup(YBiquad::kPeaking, 48000, 2000, 8, 3, false));
    std::vector<double> expected(input.size());
    for (std::size_t i = 0; i < input.size(); ++i) expected[i] = reference.Process(input[i]);

    YBiquad s = reference;
    std::vector<double> d = input;
    s.FilterBlock(std::span(d).first(400), true);
    s.FilterBlock(std::span(d).subspan(400), false);
    EXPECT_EQ(d, expected);

    std::vector<double> out(input.size());
    s.Reset();
    EXPECT_EQ(s.ProcessBlock(input, out), input.size());
    EXPECT_EQ(out, expected);

    std::vector<std::complex<double>> z(input.size());
    for (std::size_t i = 0; i < z.size(); ++i) z[i] = {input[i], 7.0};
    s.FilterBlock(z, true);
    for (std::size_t i = 0; i < z.size(); ++i) ASSERT_EQ(z[i], std::complex<double>(expected[i], 0.0)) << i;

    // Single precision samples, double precision state.
    std::vector<float> f(input.begin(), input.end());
    YBiquad fromFloats = reference;
    fromFloats.Reset();
    std::vector<float> expectedFloats(f.size());
    for (std::size_t i = 0; i < f.size(); ++i)
        expectedFloats[i] = static_cast<float>(fromFloats.Process(f[i]));
    s.FilterBlock(f.data(), static_cast<int>(f.size()), true);
    EXPECT_EQ(f, expectedFloats);
    s.FilterBlock(nullptr, 5, true);
    s.FilterBlock(f.data(), -1, false);

    // A reset block starts like a fresh section.
    std::vector<double> again = input;
    s.FilterBlock(again, true);
    EXPECT_EQ(again, expected);
}

TEST(YBiquad, VectorFormsFilterInPlace) {
    YBiquad s;
    ASSERT_TRUE(s.Setup(YBiquad::kHighPass2, 48000, 300, 0, 0.9, false));
    std::vector<double> expected = probe::Sine(500, 250, 48000);
    YDoubleVec real(500);
    YComplexVec complex(500);
    for (int i = 0; i < 500; ++i) {
        real[i] = expected[static_cast<std::size_t>(i)];
        complex[i] = {expected[static_cast<std::size_t>(i)], -3.0};
    }
    s.FilterBlock(expected, true);
    s.FilterBlock(real, true);
    s.FilterBlock(complex, true);
    for (int i = 0; i < 500; ++i) {
        ASSERT_EQ(real[i], expected[static_cast<std::size_t>(i)]) << i;
        ASSERT_EQ(complex[i], YComplex(expected[static_cast<std::size_t>(i)], 0.0)) << i;
    }
}
