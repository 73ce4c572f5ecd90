#include "Sonbex/BoxDesign/DriverRecord.h"
#include "Sonbex/PostProcessing/YImpedanceCalc.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>

namespace sonbex::postprocessing {
namespace {

namespace fs = std::filesystem;
constexpr double kPi = std::numbers::pi;

class ImpedanceCalcTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-zcl-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    static CalibrationSetting Setting() {
        CalibrationSetting s;
        s.stimulusId = 0x1A;
        s.inputDevice = 1;
        s.outputDevice = 2;
        s.sampleRate = 47999.5;
        s.bitsPerSample = 24;
        s.fftWindow = 3;
        s.halfWindow = true;
        s.timeWindowMs = 250;
        s.fftSize = -1;
        s.startHz = 10.4;
        s.stopHz = 20000;
        s.pointsPerOctave = 24;
        return s;
    }
    fs::path dir_;
};

TEST_F(ImpedanceCalcTest, JigTable) {
    struct Case {
        const char* name;
        ImpedanceSetup setup;
        double a, aPhase, b, bPhase;  // measured and reference channel
        double z, zPhase;
    } cases[] = {
        {"constant current 68 ohm", {0, 1, 68, 0, 0}, 1.0, 0, 0.1, 0, 68 * 0.1 / 0.9, 0},
        {"box 1", {1, 0}, 0.5, 0.2, 1.0, 0.1, 87.03703703703704 * 0.5, 0.1},
        {"box 2", {2, 0}, 0.5, 0.2, 1.0, 0.1, 68 * 0.5, 0.1},
        {"box 3: box 2 magnitude, phase + pi", {3, 0}, 0.5, 0.2, 1.0, 0.1, 68 * 0.5, 0.1 + kPi - 2 * kPi},
        {"constant voltage 10 ohm, d 0.5", {0, 2, 0, 10, 0.5}, 1.0, 0, 1.0, 0, 10.0, 0},
        {"constant voltage, reactive", {0, 2, 0, 10, 1}, 2.0, 0.3, 1.0, 0, 0, 0},
    };
    // The reactive case from the complex formula.
    const std::complex<double> a = std::polar(2.0, 0.3), b = std::polar(1.0, 0.0);
    const std::complex<double> zcv = 10.0 * (a / 1.0 - b) / b;
    cases[5].z = std::abs(zcv);
    cases[5].zPhase = std::arg(zcv);
    for (const Case& c : cases) {
        YImpedanceCalc calc(c.setup, Setting(), dir_);
        std::vector<double> f{100}, m{c.a}, p{c.aPhase};
        ASSERT_TRUE(calc.ComputeImpedance(f, m, p, {c.b}, {c.bPhase}, true, false)) << c.name;
        EXPECT_NEAR(m[0], c.z, 1e-9) << c.name;
        EXPECT_NEAR(p[0], c.zPhase, 1e-9) << c.name;
    }
    EXPECT_NEAR(68 * 0.1 / 0.9, 7.556, 0.0005);
}

TEST_F(ImpedanceCalcTest, UnusableSetupTouchesNothing) {
    const ImpedanceSetup bad[] = {{0, 0}, {4, 0}, {0, 3}, {0, 1, 0}, {0, 2, 0, 10, 0}};
    for (const ImpedanceSetup& s : bad) {
        YImpedanceCalc calc(s, Setting(), dir_);
        std::vector<double> m{1, 2}, p{0.1, 0.2};
        EXPECT_FALSE(calc.ComputeImpedance({1, 2}, m, p, {1, 1}, {0, 0}, false, false));
        EXPECT_EQ(m, (std::vector<double>{1, 2}));
        EXPECT_EQ(p, (std::vector<double>{0.1, 0.2}));
    }
    YImpedanceCalc calc({2, 0}, Setting(), dir_);
    std::vector<double> m{1}, p{0};
    EXPECT_FALSE(calc.ComputeImpedance({1, 2}, m, p, {1}, {0}, false, false)) << "sizes differ";
}

TEST_F(ImpedanceCalcTest, CalibrationNameBindsTheSetting) {
    YImpedanceCalc calc({2, 0}, Setting(), dir_);
    EXPECT_EQ(calc.CalibrationPath(false).filename(), "ZCV2_1A_1_2_48000_24_8003_250.00_-1_10_20000_24L.zcl");
    EXPECT_EQ(calc.CalibrationPath(true).filename(), "ZCV2_1A_1_2_48000_24_LCR.zcl");
    EXPECT_EQ(calc.CalibrationPath(false).parent_path(), dir_);
    EXPECT_EQ(CalibrationFolder(platform::Paths({"/home/u", "", "/home/u/.data", ""})),
              fs::path("/home/u/.data/sonbex3/Calibration"));
    EXPECT_EQ(YImpedanceCalc({0, 1, 68}, Setting(), dir_).CalibrationPath(true).filename(),
              "ZCCC_1A_1_2_48000_24_LCR.zcl");
    EXPECT_EQ(YImpedanceCalc({0, 2, 0, 10, 1}, Setting(), dir_).CalibrationPath(true).filename(),
              "ZCCV_1A_1_2_48000_24_LCR.zcl");
    EXPECT_TRUE(YImpedanceCalc({0, 0}, Setting(), dir_).CalibrationPath(false).empty());
    CalibrationSetting unknown = Setting();
    unknown.stimulusKnown = false;
    EXPECT_TRUE(YImpedanceCalc({2, 0}, unknown, dir_).CalibrationPath(false).empty());

    ASSERT_TRUE(calc.WriteCalibration({100, 1000}, {8, 8}, {0, 0}, 8, nullptr, false));
    EXPECT_TRUE(calc.CalibrationExists(false));
    struct Change {
        const char* name;
        void (*apply)(CalibrationSetting&);
    } changes[] = {
        {"sample rate", [](CalibrationSetting& s) { s.sampleRate = 44100; }},
        {"time window", [](CalibrationSetting& s) { s.timeWindowMs = 200; }},
        {"stop frequency", [](CalibrationSetting& s) { s.stopHz = 15000; }},
        {"linear axis", [](CalibrationSetting& s) { s.logAxis = false; }},
    };
    for (const Change& c : changes) {
        CalibrationSetting s = Setting();
        c.apply(s);
        EXPECT_FALSE(YImpedanceCalc({2, 0}, s, dir_).CalibrationExists(false)) << c.name;
    }
}

TEST_F(ImpedanceCalcTest, CalibrationInterpolatesBelowInsideAndAbove) {
    YImpedanceCalc calc({0, 1, 68}, Setting(), dir_);
    double average = 0;
    ASSERT_TRUE(calc.WriteCalibration({100, 1000, 10000}, {10, 8, 5}, {0.1, 0.2, 0.4}, 8, &average, false));
    EXPECT_NEAR(average, (0.8 + 1.0 + 1.6) / 3, 1e-12);
    std::vector<CalibrationPoint> table;
    ASSERT_TRUE(calc.ReadCalibration(table, false));
    ASSERT_EQ(table.size(), 3u);
    struct Case {
        double f, factor, offset;
    } cases[] = {
        {50, 0.8, 0.1},
        {100, 0.8, 0.1},
        {316.22776601683796, 0.9, 0.15},
        {1000, 1.0, 0.2},
        {3162.2776601683795, 1.3, 0.3},
        {10000, 1.6, 0.4},
        {40000, 1.6, 0.4},
    };
    for (const Case& c : cases) {
        const CalibrationPoint p = YImpedanceCalc::CalibrationAt(table, c.f);
        EXPECT_NEAR(p.factor, c.factor, 1e-6) << c.f;
        EXPECT_NEAR(p.phaseOffset, c.offset, 1e-6) << c.f;
    }
    // Applied by ComputeImpedance: 68 * 0.1/0.9 times the factor, phase minus the offset.
    std::vector<double> m{1.0, 1.0}, p{0, 0};
    ASSERT_TRUE(calc.ComputeImpedance({50, 316.22776601683796}, m, p, {0.1, 0.1}, {0, 0}, true, false));
    EXPECT_NEAR(m[0], 68 * 0.1 / 0.9 * 0.8, 1e-5);
    EXPECT_NEAR(p[0], -0.1, 1e-6);
    EXPECT_NEAR(m[1], 68 * 0.1 / 0.9 * 0.9, 1e-5);
    EXPECT_NEAR(p[1], -0.15, 1e-6);
}

TEST_F(ImpedanceCalcTest, CalibrationFilesAreCheckedAndWrittenWhole) {
    YImpedanceCalc calc({2, 0}, Setting(), dir_);
    ASSERT_TRUE(calc.WriteCalibration({100, 1000}, {8, 8}, {0, 0}, 8, nullptr, false));
    const fs::path path = calc.CalibrationPath(false);
    const auto size = fs::file_size(path);
    EXPECT_EQ(size, 4u + 2 * 12);
    // A zero magnitude is refused and the old calibration stays.
    EXPECT_FALSE(calc.WriteCalibration({100, 1000}, {8, 0}, {0, 0}, 8, nullptr, false));
    EXPECT_FALSE(calc.WriteCalibration({100, 1000}, {8, 8}, {0, 0}, 0, nullptr, false));
    platform::AtomicWriteOptions failing;
    failing.beforeRename = [](const fs::path&) { return false; };
    EXPECT_FALSE(calc.WriteCalibration({100, 1000, 2000}, {4, 4, 4}, {0, 0, 0}, 8, nullptr, false, failing));
    std::vector<CalibrationPoint> table;
    ASSERT_TRUE(calc.ReadCalibration(table, false));
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].factor, 1.0f);

    auto bytes = [](std::int32_t n, std::size_t records) {
        std::string b(4 + 12 * records, '\0');
        boxdesign::le::PutI32(reinterpret_cast<std::uint8_t*>(b.data()), n);
        return b;
    };
    EXPECT_FALSE(YImpedanceCalc::ParseCalibration(bytes(1000000, 2), table)) << "count beyond the file";
    EXPECT_FALSE(YImpedanceCalc::ParseCalibration(bytes(-1, 0), table));
    EXPECT_FALSE(YImpedanceCalc::ParseCalibration(bytes(0, 0), table)) << "no records: no calibration";
    EXPECT_FALSE(YImpedanceCalc::ParseCalibration("ab", table));
    EXPECT_TRUE(YImpedanceCalc::ParseCalibration(bytes(2, 3), table));
    EXPECT_EQ(table.size(), 2u);

    // An unreadable calibration leaves the impedance uncalibrated.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "xx";
    std::vector<double> m{0.5}, p{0};
    ASSERT_TRUE(calc.ComputeImpedance({100}, m, p, {1}, {0}, true, false));
    EXPECT_NEAR(m[0], 34, 1e-12);
}

}  // namespace
}  // namespace sonbex::postprocessing
