#include "Platform/NumberText.h"
#include "Platform/PrivateTempDir.h"

#include <gtest/gtest.h>

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace sonbex::platform {
namespace {

std::string Printf(const char* format, int precision, double value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    return buffer;
}

const double kValues[] = {0.0,
                          -0.0,
                          0.1,
                          0.125,
                          2.5,
                          -1.005,
                          343.3,
                          1e-5,
                          123456789.0,
                          1e21,
                          1e-300,
                          5e-324,
                          1.7976931348623157e308,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};

// The test process runs in the C locale, so printf is the reference.
TEST(NumberText, FixedAndGeneralMatchPrintfInTheCLocale) {
    for (double v : kValues)
        for (int precision : {0, 1, 3, 6, 17}) {
            EXPECT_EQ(FormatFixed(v, precision), Printf("%.*f", precision, v))
                << v << " precision " << precision;
            EXPECT_EQ(FormatGeneral(v, precision), Printf("%.*g", precision, v))
                << v << " precision " << precision;
        }
    EXPECT_EQ(FormatGeneral(343.3), "343.3");
    EXPECT_EQ(FormatGeneral(123456789.0), "1.23457e+08");
    EXPECT_EQ(FormatFixed(std::nan(""), 2), "nan");
}

TEST(NumberText, ShortestReadsBackExactly) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {{0.1, "0.1"},   {1e-300, "1e-300"}, {5e-324, "5e-324"},
                          {2.5, "2.5"},   {-0.0, "-0"},       {1.0 / 3.0, "0.3333333333333333"},
                          {1e21, "1e+21"}};
    for (const Case& c : cases) EXPECT_EQ(FormatShortest(c.value), c.text) << c.text;
    for (double v : kValues) {
        const auto back = ParseDoubleWhole(FormatShortest(v));
        ASSERT_TRUE(back) << v;
        EXPECT_EQ(std::signbit(*back), std::signbit(v)) << v;
        EXPECT_EQ(*back, v) << v;
    }
    const double denormal = std::numeric_limits<double>::denorm_min() * 12345;
    EXPECT_EQ(*ParseDoubleWhole(FormatShortest(denormal)), denormal);
}

TEST(NumberText, ParseFollowsTheCRules) {
    struct Case {
        const char* text;
        DecimalMark mark;
        bool ok;
        double value;
        std::size_t consumed;
    };
    const auto P = DecimalMark::Point;
    const auto C = DecimalMark::PointOrComma;
    const Case cases[] = {
        {"12.5", P, true, 12.5, 4}, {"  -3e2xyz", P, true, -300, 6},
        {"12,5", P, true, 12, 2},   {"12,5", C, true, 12.5, 4},
        {",5", C, true, 0.5, 2},    {"1,2,3", C, true, 1.2, 3},
        {"+.5", P, true, 0.5, 3},   {"0x10", P, true, 16, 4},
        {"1e-400", P, true, 0, 6},  {"abc", P, false, 0, 0},
        {"", P, false, 0, 0},       {".", P, false, 0, 0},
        {"-", C, false, 0, 0},      {",", P, false, 0, 0},
    };
    for (const Case& c : cases) {
        std::size_t consumed = 0;
        const auto v = ParseDouble(c.text, c.mark, &consumed);
        ASSERT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        if (!c.ok) continue;
        EXPECT_EQ(*v, c.value) << '"' << c.text << '"';
        EXPECT_EQ(consumed, c.consumed) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::isinf(*ParseDouble("inf")));
    EXPECT_TRUE(std::isnan(*ParseDouble("nan")));
    EXPECT_EQ(ParseDoubleWhole(" 1.5 "), 1.5);
    EXPECT_FALSE(ParseDoubleWhole("1.5x"));
    EXPECT_FALSE(ParseDoubleWhole(std::string("1.5\0", 4)));
}

TEST(NumberText, ParseInt32LikeAtoiWithARangeCheck) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
    };
    const Case cases[] = {{"42abc", true, 42},
                          {" -7", true, -7},
                          {"+3", true, 3},
                          {"2147483647", true, INT32_MAX},
                          {"-2147483648", true, INT32_MIN},
                          {"2147483648", false, 0},
                          {"99999999999999999999", false, 0},
                          {"x1", false, 0},
                          {"+", false, 0},
                          {"", false, 0}};
    for (const Case& c : cases) {
        const auto v = ParseInt32(c.text);
        ASSERT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(*v, c.value) << c.text;
        }
    }
}

// A locale with a decimal comma: the installed one, else one made with
// localedef in a private folder (found through LOCPATH).
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
            dir_ = std::make_unique<PrivateTempDir>();
            const std::string command =
                "localedef -i de_DE -f UTF-8 '" + dir_->Path().string() + "/de_DE.UTF-8' >/dev/null 2>&1";
            if (std::system(command.c_str()) == 0) {
                setenv("LOCPATH", dir_->Path().c_str(), 1);
                std::setlocale(LC_ALL, "de_DE.UTF-8");
            }
        }
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.1f", 2.5);
        if (std::string(buffer) != "2,5") GTEST_SKIP() << "no decimal-comma locale available";
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
    }
    std::unique_ptr<PrivateTempDir> dir_;
};

TEST_F(DecimalCommaLocale, TextStaysInCForm) {
    EXPECT_EQ(FormatFixed(2.5, 1), "2.5");
    EXPECT_EQ(FormatGeneral(343.3), "343.3");
    EXPECT_EQ(FormatShortest(0.1), "0.1");
    EXPECT_EQ(ParseDouble("2.5"), 2.5);
    EXPECT_EQ(ParseDouble("2,5"), 2.0);
    EXPECT_EQ(ParseDouble("2,5", DecimalMark::PointOrComma), 2.5);
}

}  // namespace
}  // namespace sonbex::platform
