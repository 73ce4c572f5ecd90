#include "YLib/YFreqVec.h"
#include "YLib/YText.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TEST(YFreqVec, LogarithmicAxisEndsExactlyAtTheTop) {
    YFreqVec f;
    ASSERT_TRUE(f.Create(20, 20000, 3, false, false));
    ASSERT_EQ(f.Size(), 31);
    EXPECT_EQ(f.PointsPerOctave(), 3);
    EXPECT_FALSE(f.Linear());
    for (int k = 0; k < 30; ++k) EXPECT_NEAR(f[k], 20 * std::pow(2.0, k / 3.0), 1e-9 * f[k]) << k;
    EXPECT_EQ(f[30], 20000.0);

    ASSERT_TRUE(f.Create(20, 20000, 3, false, true));
    EXPECT_EQ(f[0], 20000.0);
    EXPECT_EQ(f[30], 20.0);

    ASSERT_TRUE(f.Create(20, 22000, 48, false, false));
    EXPECT_EQ(f[0], 20.0);
    EXPECT_EQ(f[f.Size() - 1], 22000.0);
    EXPECT_EQ(f.Size(), int(std::ceil(std::log2(22000.0 / 20.0) * 48)) + 1);

    ASSERT_TRUE(f.Create(500, 100, 12, false, false));  // f1 >= f2: the single point f2
    ASSERT_EQ(f.Size(), 1);
    EXPECT_EQ(f[0], 100.0);
}

TEST(YFreqVec, LinearAxis) {
    YFreqVec f;
    ASSERT_TRUE(f.Create(100, 200, 5, true, false));
    ASSERT_EQ(f.Size(), 5);
    EXPECT_EQ(f.PointsPerOctave(), 0);
    EXPECT_TRUE(f.Linear());
    for (int i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(f[i], 100 + 25 * i);
    ASSERT_TRUE(f.Create(100, 200, 5, true, true));
    EXPECT_DOUBLE_EQ(f[0], 200.0);
    EXPECT_DOUBLE_EQ(f[4], 100.0);
    ASSERT_TRUE(f.Create(100, 200, 1, true, false));
    ASSERT_EQ(f.Size(), 1);
    EXPECT_EQ(f[0], 100.0);
}

TEST(YFreqVec, CreateRefusesBadArguments) {
    struct Case {
        const char* name;
        double f1, f2;
        int n;
        bool linear;
    } cases[] = {
        {"log from 0", 0, 1000, 12, false},
        {"log from below 0", -10, 1000, 12, false},
        {"log with no points per octave", 20, 1000, 0, false},
        {"log with negative points", 20, 1000, -3, false},
        {"log to infinity", 20, INFINITY, 12, false},
        {"log to NaN", 20, NAN, 12, false},
        {"linear with no points", 20, 1000, 0, true},
    };
    for (const Case& c : cases) {
        YFreqVec f;
        ASSERT_TRUE(f.Create(20, 200, 4, true, false));
        EXPECT_FALSE(f.Create(c.f1, c.f2, c.n, c.linear, false)) << c.name;
        EXPECT_EQ(f.Size(), 0) << c.name;
    }
}

TEST(YFreqVec, PeriodSnap) {
    YFreqVec f;
    EXPECT_EQ(f.Snap(101.0), 101.0);  // off
    EXPECT_FALSE(f.SetPeriodSnap(true, 0.0));
    EXPECT_FALSE(f.SnapToPeriod());
    ASSERT_TRUE(f.SetPeriodSnap(true, 48000.0));
    struct Case {
        double f, expected;
    } cases[] = {
        {100.0, 100.0},                                  // 480 samples per period
        {101.0, 48000.0 / 475},                          // 475.2 samples: 475 is nearer by ratio
        {1000.0, 1000.0},                                // 48 samples: not snapped
        {480.0, 480.0},         {200.5, 48000.0 / 239},  // 239.4
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(f.Snap(c.f), c.expected) << c.f;
    ASSERT_TRUE(f.Create(100, 102, 3, true, false));
    EXPECT_DOUBLE_EQ(f[1], 48000.0 / 475);
}

class SweepTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ylib-sweep-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path Write(const std::string& text) {
        const fs::path p = dir_ / "table.ssw";
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    fs::path dir_;
};

TEST_F(SweepTableTest, SavedTextIsExact) {
    YFreqVec f;
    ASSERT_TRUE(f.Create(1, 7, 7, true, false));
    f[0] = 0.5;
    f[1] = 5.25;
    f[2] = 50.125;
    f[3] = 999.9996;
    f[4] = 1234.5678;
    f[5] = 20000.04;
    f[6] = 123456.7;
    const fs::path p = dir_ / "out.ssw";
    ASSERT_TRUE(f.SaveTable(p));
    std::ifstream in(p, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text,
              "Frequency Sweep Table\r\n0.500000\r\n5.25000\r\n50.1250\r\n1000.000\r\n1234.57\r\n"
              "20000.0\r\n123457\r\n");
    YFreqVec empty;
    EXPECT_FALSE(empty.SaveTable(dir_ / "empty.ssw"));
    EXPECT_FALSE(fs::exists(dir_ / "empty.ssw"));
}

TEST_F(SweepTableTest, LoadCases) {
    const std::string longLine = "1000" + std::string(300, '0') + "\r\n";  // one huge number, not several
    struct Case {
        const char* name;
        std::string text;
        bool ok;
        std::vector<double> values;
        int pointsPerOctave;
    } cases[] = {
        {"saved form", "Frequency Sweep Table\r\n100\r\n200\r\n400\r\n", true, {100, 200, 400}, 1},
        {"header with more words", "Frequency Sweep Table of the woofer\n20\n40.5\n", true, {20, 40.5}, 1},
        {"other text before the numbers", "My table\n100\n200\n", false, {}, 0},
        {"no header at all", "100\n200\n", true, {100, 200}, 2},
        {"text after the first frequency is skipped", "100\nnotes\n-5\n0\n400\n", true, {100, 400}, 1},
        {"blank lines ignored",
         "\r\nFrequency Sweep Table\r\n\r\n  \t\r\n100\r\n\r\n1600\r\n",
         true,
         {100, 1600},
         0},
        {"one point", "Frequency Sweep Table\n440\n", true, {440}, 0},
        {"equal ends", "Frequency Sweep Table\n440\n440\n440\n", true, {440, 440, 440}, 0},
        {"no frequency", "Frequency Sweep Table\n0\n-1\n", false, {}, 0},
        {"empty file", "", false, {}, 0},
        {"file order kept", "800\n100\n200\n", true, {800, 100, 200}, 1},
        {"leading number with unit", "Frequency Sweep Table\n 1000 Hz\n2000Hz\n", true, {1000, 2000}, 2},
        {"long line", "Frequency Sweep Table\n" + longLine, true, {1e303}, 0},
    };
    for (const Case& c : cases) {
        YFreqVec f;
        EXPECT_EQ(f.LoadTable(Write(c.text)), c.ok) << c.name;
        if (!c.ok) continue;
        ASSERT_EQ(f.Size(), int(c.values.size())) << c.name;
        for (std::size_t i = 0; i < c.values.size(); ++i)
            EXPECT_DOUBLE_EQ(f[int(i)], c.values[i]) << c.name << " value " << i;
        EXPECT_EQ(f.PointsPerOctave(), c.pointsPerOctave) << c.name;
    }
    YFreqVec f;
    EXPECT_FALSE(f.LoadTable(""));
    EXPECT_FALSE(f.LoadTable(dir_ / "missing.ssw"));
}

TEST_F(SweepTableTest, RoundTrip) {
    YFreqVec f;
    ASSERT_TRUE(f.Create(20, 20000, 12, false, false));
    ASSERT_TRUE(f.SaveTable(dir_ / "rt.ssw"));
    YFreqVec g;
    ASSERT_TRUE(g.LoadTable(dir_ / "rt.ssw"));
    ASSERT_EQ(g.Size(), f.Size());
    for (int i = 0; i < f.Size(); ++i)
        EXPECT_NEAR(g[i], f[i], 0.5 * std::pow(10.0, -FrequencyPrecision(f[i])) + 1e-9) << i;
    EXPECT_EQ(g.PointsPerOctave(), int(f.Size() / std::log2(1000.0)));
}
