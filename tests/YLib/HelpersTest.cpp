#include "YLib/YMath.h"
#include "YLib/YText.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>

namespace {
constexpr double kPi = std::numbers::pi;
}

TEST(WrapPhase, Cases) {
    struct Case {
        double x, expected;
    } cases[] = {
        {kPi, kPi},
        {-kPi, -kPi},
        {1.5 * kPi, -0.5 * kPi},
        {-1.5 * kPi, 0.5 * kPi},
        {0.0, 0.0},
        {3 * kPi, kPi},
        {7.25 * kPi, -0.75 * kPi},
        {-100.5 * kPi, -0.5 * kPi},
        {1e6 * kPi + 0.5, 0.5},
    };
    for (const Case& c : cases) EXPECT_NEAR(WrapPhase(c.x), c.expected, 1e-9) << c.x;
    EXPECT_EQ(WrapPhase(kPi), kPi);
    EXPECT_EQ(WrapPhase(-kPi), -kPi);
    for (double x : {1e300, -1e300, 1e17, -123456789.0}) {
        const double w = WrapPhase(x);
        EXPECT_TRUE(w >= -kPi && w <= kPi) << x;
    }
    for (double x : {INFINITY, -INFINITY, NAN}) {
        EXPECT_TRUE(std::isnan(WrapPhase(x)));
        EXPECT_TRUE(std::isnan(WrapDegrees(x)));
    }
    EXPECT_EQ(WrapDegrees(180.0), 180.0);
    EXPECT_EQ(WrapDegrees(-180.0), -180.0);
    EXPECT_EQ(WrapDegrees(270.0), -90.0);
    EXPECT_EQ(WrapDegrees(-3600.0 - 45.0), -45.0);
    EXPECT_EQ(WrapDegrees(1e20), -80.0);  // 1e20 = 280 modulo 360, exactly
}

TEST(ScalarHelpers, ParseAndInterpolate) {
    EXPECT_EQ(ParseDecimal(""), 0.0);
    EXPECT_EQ(ParseDecimal("1,5"), 1.5);
    EXPECT_EQ(ParseDecimal("1.5"), 1.5);
    EXPECT_EQ(ParseDecimal("  -2,25e1 dB"), -22.5);
    EXPECT_EQ(ParseDecimal("abc"), 0.0);
    EXPECT_EQ(ParseDecimal(std::string(255, ' ') + "7"), 0.0);  // only the first 255 characters
    std::size_t used = 0;
    EXPECT_EQ(ParseNumber(" 12.5Hz", &used), 12.5);
    EXPECT_EQ(used, 5u);

    EXPECT_DOUBLE_EQ(InterpolateLin(1.5, 1, 10, 2, 20), 15.0);
    EXPECT_DOUBLE_EQ(InterpolateLin(1, 1, 10, 1, 20), 10.0);  // zero denominator
    EXPECT_NEAR(InterpolateLog(200, 100, 0, 400, 2), 1.0, 1e-15);
    EXPECT_EQ(SafeLn(0.0), kLnFloor);
    EXPECT_EQ(SafeLn(-1.0), kLnFloor);
    EXPECT_EQ(SafeLn(NAN), kLnFloor);
    EXPECT_NEAR(SafeLn(1e-38), kLnFloor, 1e-9);
}

TEST(TextHelpers, Formatting) {
    EXPECT_EQ(FormatTrimmed(1.5, 4, true), "1.5");
    EXPECT_EQ(FormatTrimmed(2.0, 3, true), "2");
    EXPECT_EQ(FormatTrimmed(1.5, 4, false), "1.5000");
    EXPECT_EQ(FormatTrimmed(100.0, 0, true), "100");
    EXPECT_EQ(FormatTrimmed(-0.25, 2, true), "-0.25");
    struct Case {
        double x;
        const char* text;
    } frequencies[] = {
        {0.1234567, "0.123457"}, {1.0, "1.00000"},     {99.99999, "100.0000"},
        {440.0, "440.000"},      {1000.0, "1000.00"},  {9999.994, "9999.99"},
        {19999.99, "20000.0"},   {20000.0, "20000.0"}, {100000.0, "100000"},
    };
    for (const Case& c : frequencies) EXPECT_EQ(FormatFrequency(c.x), c.text) << c.x;
    EXPECT_EQ(FormatColumn(1.5), " 1.5000  ");
    EXPECT_EQ(FormatColumn(-1.5), "-1.5000  ");
    EXPECT_EQ(FormatColumn(1.5, false), "1.5000   ");
    EXPECT_EQ(FormatColumn(-12345.5), "-12345.5000");
    EXPECT_EQ(FormatFixed(2.5, 0), "2");  // round half to even, as printf
    EXPECT_EQ(FormatFixed(INFINITY, 2), "inf");
}

TEST(TextHelpers, Windows1252ToUtf8) {
    struct Case {
        const char* what;
        std::string in, utf8;
    } cases[] = {
        {"empty", "", ""},
        {"ASCII", "Pink MLS 20 Hz", "Pink MLS 20 Hz"},
        {"control bytes stay", std::string("a\0\tb", 4), std::string("a\0\tb", 4)},
        {"superscript two", "Sin\262 Pulse", "Sin\xC2\xB2 Pulse"},
        {"euro", "\x80", "\xE2\x82\xAC"},
        {"degree", "90\xB0", "90\xC2\xB0"},
        {"no-break space", "\xA0", "\xC2\xA0"},
        {"y diaeresis", "\xFF", "\xC3\xBF"},
        {"ellipsis", "\x85", "\xE2\x80\xA6"},
        {"trade mark", "\x99", "\xE2\x84\xA2"},
        {"Y diaeresis", "\x9F", "\xC5\xB8"},
        {"undefined 0x81", "\x81", "\xEF\xBF\xBD"},
        {"undefined 0x8D 0x8F 0x90 0x9D", "\x8D\x8F\x90\x9D",
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8FromWindows1252(c.in), c.utf8) << c.what;
    for (int b = 0xA0; b <= 0xFF; ++b) {  // the Latin-1 half: U+00A0..U+00FF
        const std::string expected{char(0xC0 | (b >> 6)), char(0x80 | (b & 0x3F))};
        EXPECT_EQ(Utf8FromWindows1252(std::string(1, char(b))), expected) << b;
    }
}

TEST(TextHelpers, Paths) {
    EXPECT_EQ(ShortenPath("C:\\Data\\Speakers\\Woofer\\imp.sxf", false), "C:\\...\\imp.sxf");
    EXPECT_EQ(ShortenPath("C:\\Data\\Speakers\\Woofer\\imp.sxf", true), "C:\\...\\Woofer\\imp.sxf");
    EXPECT_EQ(ShortenPath("/home/me/curves/a.sxf", false), "/.../a.sxf");
    EXPECT_EQ(ShortenPath("C:\\imp.sxf", false), "C:\\imp.sxf");
    EXPECT_EQ(PathFromStored("C:\\dir\\file.sxf"), std::filesystem::path("C:/dir/file.sxf"));
    EXPECT_EQ(PathFromStored("dir\\file.sxf").filename(), "file.sxf");

    const auto dir =
        std::filesystem::temp_directory_path() / ("ylib-dir-" + std::to_string(getpid())) / "a" / "b";
    EXPECT_TRUE(EnsureDirectory(dir));
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_TRUE(EnsureDirectory(dir));
    std::filesystem::remove_all(dir.parent_path().parent_path());
}

TEST(TextHelpers, BlanksAndTokens) {
    std::string buffer = "world";
    Prepend(buffer, "hello ");
    EXPECT_EQ(buffer, "hello world");
    EXPECT_EQ(TrimRight("abc \t\r\n"), "abc");
    EXPECT_EQ(SkipBlanks(" \t\x01 x y"), "x y");
    EXPECT_EQ(StripAfter("  1000 Hz ; comment", ";"), "1000 Hz");
    EXPECT_EQ(StripAfter("  value # note ; x", ";#"), "value");

    struct Case {
        const char* text;
        int count;
        const char* first;
        const char* rest;
    } cases[] = {
        {"a b  c", 3, "a", "b  c"},
        {"  \"two words\" next", 2, "two words", "next"},
        {"\"unterminated quote", 1, "unterminated quote", ""},
        {"", 0, "", ""},
        {"   ", 0, "", ""},
        {"one", 1, "one", ""},
        {"x\t\"\" y", 3, "x", "\"\" y"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountTokens(c.text), c.count) << c.text;
        std::string_view rest;
        EXPECT_EQ(NextToken(c.text, &rest), c.first) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
        std::string text = c.text;
        EXPECT_EQ(ConsumeToken(text), c.first) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}
