#include "Sonbex/PostProcessing/ImpedanceCurve.h"

#include "Platform/PrivateTempDir.h"
#include "Sonbex/Curves/CurveFiles.h"
#include "Sonbex/Curves/DataSets.h"

#include <gtest/gtest.h>

#include <fstream>
#include <numbers>

namespace sonbex::postprocessing {
namespace {

TEST(ImpedanceTableTest, ReadsTablesWithComments) {
    ImpedanceCurve c;
    std::string error;
    ASSERT_TRUE(
        ReadImpedanceTable(std::string(SONBEX_TEST_DATA) + "/PostProcessing/woofer_free.txt", c, error))
        << error;
    ASSERT_EQ(c.Size(), 5u);
    EXPECT_EQ(c.frequency[0], 10.0);
    EXPECT_EQ(c.magnitude[1], 7.1646);
    EXPECT_NEAR(c.phase[4], -45 * std::numbers::pi / 180, 1e-15);
    EXPECT_TRUE(c.IsValid());
}

TEST(ImpedanceTableTest, BadTablesNameTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"* c\n10 6 0\n20 7 0\n15 8 0\n", "line 4: frequencies must be positive and rising"},
        {"10 6 0\n20 abc 0\n30 7 0\n", "line 2"},
        {"10 6 0\n20 7 0\n", "fewer than three points"},
        {"10 6 0\n20 -7 0\n30 7 0\n", "line 2: impedance"},
        {"10 6 0\n20 7\n30 7 0\n", "some lines have no phase column"},
        {"10 6x 0\n", "line 1"},
    };
    for (const Case& c : cases) {
        ImpedanceCurve curve;
        std::string error;
        EXPECT_FALSE(ParseImpedanceTable(c.text, curve, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.text << ": " << error;
    }
    ImpedanceCurve curve;
    std::string error;
    ASSERT_TRUE(ParseImpedanceTable("10\t6\r\n20;7\r\n30, 8\r\n", curve, error)) << error;
    EXPECT_EQ(curve.phase, (std::vector<double>{0, 0, 0})) << "no phase column at all reads as 0";
    EXPECT_FALSE(ReadImpedanceTable("/nonexistent/curve.txt", curve, error));
}

TEST(ImpedanceTableTest, ReadsTheFreeAirCurveOfAnImpedanceFile) {
    curves::ImpedanceSet set;
    const double f[] = {10, 20, 40, 80}, z[] = {6.5, 9.0, 30.0, 8.0}, ph[] = {0.125, 0.5, 0.0, -0.375};
    set.frequency = YDoubleVec(4);
    set.magnitude = YDoubleVec(4);
    set.phase = YDoubleVec(4);
    for (int i = 0; i < 4; ++i) {
        set.frequency[i] = f[i];
        set.magnitude[i] = z[i];
        set.phase[i] = ph[i];
    }
    set.loadedMagnitude = YDoubleVec(1);
    set.loadedPhase = YDoubleVec(1);
    const std::string bytes = curves::EncodeSxz(set);
    platform::PrivateTempDir dir;
    const auto write = [&](const char* name, const std::string& content) {
        std::ofstream(dir.Path() / name, std::ios::binary) << content;
        return dir.Path() / name;
    };
    ImpedanceCurve c;
    std::string error;
    ASSERT_TRUE(ReadImpedanceTable(write("free.sxz", bytes), c, error)) << error;
    EXPECT_EQ(c.frequency, (std::vector<double>{10, 20, 40, 80}));
    EXPECT_EQ(c.magnitude, (std::vector<double>{6.5, 9.0, 30.0, 8.0}));
    EXPECT_EQ(c.phase, (std::vector<double>{0.125, 0.5, 0.0, -0.375}));
    EXPECT_FALSE(ReadImpedanceTable(write("cut.sxz", bytes.substr(0, bytes.size() - 9)), c, error));
    EXPECT_NE(error.find("damaged impedance curve file"), std::string::npos) << error;
}

}  // namespace
}  // namespace sonbex::postprocessing
