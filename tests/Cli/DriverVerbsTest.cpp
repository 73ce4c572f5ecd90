// The ts and drivers verbs, run as a user runs them.

#include "Sonbex/BoxDesign/YSpeakerData.h"

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(SONBEX_TEST_DATA) + "/PostProcessing/";

// The model of make_ts_tables.py.
constexpr double kMms = 0.020;
double Cms() { return 1 / (std::pow(2 * std::numbers::pi * 50, 2) * kMms); }

nlohmann::json Json(const CliRun& r) {
    // Notes on stderr come before the JSON.
    const auto brace = r.out.find('{');
    return nlohmann::json::parse(r.out.substr(brace == std::string::npos ? 0 : brace));
}

class DriverVerbsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-cli-drv-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "spk");
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Db() const { return "--database '" + (dir_ / "my.SDB").string() + "' "; }
    fs::path dir_;
};

TEST_F(DriverVerbsTest, TsFromFreeAirAddedMassAndClosedBox) {
    CliRun r = RunCli("ts " + kData + "model_free.txt --re 6 --json");
    ASSERT_EQ(r.status, 0) << r.out;
    nlohmann::json j = Json(r);
    EXPECT_NEAR(j["fs_hz"].get<double>(), 50, 0.25);
    EXPECT_NEAR(j["qms"].get<double>(), 5, 0.025);
    EXPECT_NEAR(j["qes"].get<double>(), 0.4, 0.002);
    EXPECT_FALSE(j.contains("vas_m3"));

    r = RunCli("ts " + kData + "model_free.txt --re 6 --added-mass 10 " + kData +
               "model_10g.txt --sd 200 --json");
    ASSERT_EQ(r.status, 0) << r.out;
    j = Json(r);
    EXPECT_EQ(j["method"], "delta mass");
    EXPECT_NEAR(j["mms_kg"].get<double>(), kMms, kMms * 0.005);

    r = RunCli("ts " + kData + "model_free.txt --re 6 --box-volume 20 " + kData +
               "model_box20l.txt --sd 200 --json");
    ASSERT_EQ(r.status, 0) << r.out;
    j = Json(r);
    EXPECT_EQ(j["method"], "delta compliance");
    const double vas = 1.2 * 344 * 344 * 0.02 * 0.02 * Cms();
    EXPECT_NEAR(j["vas_m3"].get<double>(), vas, vas * 0.01);

    r = RunCli("ts " + kData + "model_free.txt --re 6 --diameter 15 --added-mass 10 " + kData +
               "model_10g.txt");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Sd              135.00 cm2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Mms "), std::string::npos);
}

TEST_F(DriverVerbsTest, TsRefusesBadInput) {
    struct Case {
        const char* name;
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"missing file", "ts /nonexistent.txt --re 6", 1, "can't read"},
        {"Revc above Zmax", "ts " + kData + "model_free.txt --re 100", 1, "below the impedance maximum"},
        {"no diaphragm", "ts " + kData + "model_free.txt --re 6 --added-mass 10 " + kData + "model_10g.txt",
         1, "--sd or --diameter"},
        {"zero mass",
         "ts " + kData + "model_free.txt --re 6 --added-mass 0 " + kData + "model_10g.txt --sd 200", 1,
         "above 0"},
        {"both methods",
         "ts " + kData + "model_free.txt --added-mass 10 " + kData + "model_10g.txt --box-volume 20 " +
             kData + "model_box20l.txt",
         2, "excludes"},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.name << ": " << r.out;
    }
}

TEST_F(DriverVerbsTest, DriversImportListShowExport) {
    using sonbex::boxdesign::DriverRecord;
    for (const char* model : {"W8", "T1"}) {
        DriverRecord r;
        r.manufacturer = "ACME";
        r.model = model;
        r.fs = 30, r.vas = 0.05, r.qes = 0.4, r.qms = 4, r.re = 6, r.le = 0.001, r.sd = 0.02, r.xmax = 0.005;
        std::ofstream(dir_ / "spk" / (std::string(model) + ".spk"), std::ios::binary)
            << sonbex::boxdesign::YSpeakerData::OldDriverFileBytes(r);
    }
    CliRun r = RunCli("drivers " + Db() + "import " + (dir_ / "spk").string());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "Found 2 new speaker drivers, there is now a grand total of 2 drivers.\n");
    r = RunCli("drivers " + Db() + "import " + (dir_ / "spk").string() + " --json");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Json(r)["new"], 0);

    r = RunCli("drivers " + Db() + "list --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto list = nlohmann::json::parse(r.out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["model"], "T1") << "sorted by name";
    EXPECT_EQ(list[0]["source"], "Sonbex Analyzer 1/2");

    r = RunCli("drivers " + Db() + "show acme w8");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Qts           0.3636"), std::string::npos) << r.out;
    r = RunCli("drivers " + Db() + "show acme w99");
    EXPECT_EQ(r.status, 1);

    r = RunCli("drivers " + Db() + "export " + (dir_ / "list.txt").string());
    ASSERT_EQ(r.status, 0) << r.out;
    std::ifstream in(dir_ / "list.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("; Total: 2 units\r\n"), std::string::npos);
}

TEST_F(DriverVerbsTest, TsInsertsIntoTheDatabase) {
    const std::string ts = "ts " + kData + "model_free.txt --re 6 --added-mass 10 " + kData +
                           "model_10g.txt --sd 200 --xmax 5 --insert " + Db();
    CliRun r = RunCli(ts + "--model W8");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("The manufacturer name and model must be filled"), std::string::npos) << r.out;
    r = RunCli(ts + "--manufacturer 'Kl\xC3\xBCgel' --model W8");
    ASSERT_EQ(r.status, 0) << r.out;
    r = RunCli(ts + "--manufacturer 'Kl\xC3\xBCgel' --model w8");  // the same driver again: replaced
    ASSERT_EQ(r.status, 0) << r.out;
    r = RunCli("drivers " + Db() + "list --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto list = nlohmann::json::parse(r.out);
    ASSERT_EQ(list.size(), 1u) << r.out;
    EXPECT_EQ(list[0]["manufacturer"], "Kl\xC3\xBCgel");
    EXPECT_EQ(list[0]["model"], "w8");
    EXPECT_NEAR(list[0]["xmax_m"].get<double>(), 0.005, 1e-12);
    EXPECT_EQ(list[0]["znom_ohm"], 7);
}

TEST_F(DriverVerbsTest, ForeignDatabaseIsRefusedAndLeftAlone) {
    const std::string foreign(400, 'z');
    std::ofstream(dir_ / "my.SDB", std::ios::binary) << foreign;
    const CliRun r = RunCli("drivers " + Db() + "import " + (dir_ / "spk").string());
    EXPECT_EQ(r.status, 1) << r.out;
    std::ifstream in(dir_ / "my.SDB", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), foreign);
}

}  // namespace
