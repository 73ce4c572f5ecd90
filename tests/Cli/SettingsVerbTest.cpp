// The settings verbs: the stored measurement settings shown, changed, saved
// to and loaded from .MST files, with bad names and values refused.

#include "Sonbex/Measurement/MstFile.h"

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class SettingsVerb : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-settings-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "config");
        fs::create_directories(dir_ / "data");
        ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(dir_); }
    nlohmann::json Shown(const std::string& extra = "") {
        const CliRun r = RunCli("settings show --json " + extra);
        EXPECT_EQ(r.status, 0) << r.out;
        return nlohmann::json::parse(r.out, nullptr, false);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

TEST_F(SettingsVerb, ShowsTheDefaultsThenKeepsWhatIsSet) {
    nlohmann::json j = Shown();
    EXPECT_EQ(j["sample_rate"], 44100.0);
    EXPECT_EQ(j["bits"], 16);
    EXPECT_EQ(j["module_id"], 2001);
    EXPECT_EQ(j["sweep_file"], "");

    CliRun r = RunCli("settings set sample_rate=48000 bits=24 stop=18000 sweep_file=/tables/enceinte-é.ssw");
    ASSERT_EQ(r.status, 0) << r.out;
    j = Shown();
    EXPECT_EQ(j["sample_rate"], 48000.0);
    EXPECT_EQ(j["bits"], 24);
    EXPECT_EQ(j["stop"], 18000.0);
    EXPECT_EQ(j["sweep_file"], "/tables/enceinte-é.ssw") << "file names are kept as they are";

    r = RunCli("settings defaults");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Shown()["sample_rate"], 44100.0);
}

TEST_F(SettingsVerb, RefusesBadNamesAndValuesWithTheRangeAndChangesNothing) {
    struct Case {
        const char* args;
        const char* message;
    } cases[] = {
        {"bits=12", "invalid value '12' for bits: valid is 8, 16, 20, 24 or 32"},
        {"buffer_count=3", "valid is 4 to 256"},
        {"level_b=1.1", "valid is above 0 up to 1"},
        {"sample_rate=fast", "invalid value 'fast' for sample_rate"},
        {"averages=2.5", "valid is 1 to 4096"},
        {"frequency=250 nosuch=1", "no settings field 'nosuch'"},
        {"justaname", "expected NAME=VALUE"},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCli(std::string("settings set ") + c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << ": " << r.out;
    }
    const nlohmann::json j = Shown();
    EXPECT_EQ(j["bits"], 16);
    EXPECT_EQ(j["frequency"], 1000.0) << "one refused pair leaves the others unset";
}

TEST_F(SettingsVerb, SavesAndLoadsSettingsFiles) {
    ASSERT_EQ(RunCli("settings set module_id=1003 start=50 averages=5 gain_a=3").status, 0);
    const std::string file = Path("sweep.mst");
    CliRun r = RunCli("settings save " + file);
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(fs::exists(file));
    const auto size = fs::file_size(file);
    EXPECT_EQ((size - sonbex::measurement::MstFileSize(0, 0)) % 392, 0u);

    nlohmann::json j = Shown("--file " + file);
    EXPECT_EQ(j["module_id"], 1003);
    EXPECT_GT(j["generation_parameters"].get<int>(), 0);

    ASSERT_EQ(RunCli("settings defaults").status, 0);
    ASSERT_EQ(RunCli("settings set gain_a=-6").status, 0);
    r = RunCli("settings load " + file);
    ASSERT_EQ(r.status, 0) << r.out;
    j = Shown();
    EXPECT_EQ(j["module_id"], 1003);
    EXPECT_EQ(j["start"], 50.0);
    EXPECT_EQ(j["averages"], 5);
    EXPECT_EQ(j["gain_a"], -6.0) << "the hardware block is not part of a settings file";

    r = RunCli("settings load " + Path("missing.mst"));
    EXPECT_EQ(r.status, 1);
    r = RunCli("settings save " + Path("no/such/dir/x.mst"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("cannot write"), std::string::npos) << r.out;
}

}  // namespace
