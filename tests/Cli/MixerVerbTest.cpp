// `sonbex3-cli mixer` and `mixer set` on the simulated card's mixer.

#include "CliRunner.h"

#include "YWave/YMixer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

nlohmann::json Json(const CliRun& r) {
    EXPECT_EQ(r.status, 0) << r.out;
    return nlohmann::json::parse(r.out, nullptr, false);
}

// The per-user data folder of the runs, with a level calibration of the
// simulated card when asked for.
class MixerVerb : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/cli-mixer-XXXXXX";
        dir_ = mkdtemp(name);
        setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
};

}  // namespace

TEST_F(MixerVerb, ShowsTheLinesAndTheOutputVoltage) {
    const nlohmann::json j = Json(RunCli("mixer --device sim --json"));
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j["outputMixer"], "Simulated sound card");
    EXPECT_EQ(j["lines"]["masterOut"]["name"], "Master");
    EXPECT_EQ(j["lines"]["masterOut"]["law"], "linear");
    EXPECT_EQ(j["lines"]["masterIn"]["name"], "Capture");
    EXPECT_EQ(j["inputLines"], nlohmann::json::array({"Mic", "Line"}));
    EXPECT_EQ(j["outputVolts"], 2.0);
    EXPECT_EQ(j["calibration"]["loaded"], 0);

    const CliRun text = RunCli("mixer --device sim");
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("output level: 2 V (8.24 dBu)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("recording lines: [Mic] Line"), std::string::npos) << text.out;
}

TEST_F(MixerVerb, SetsTheOutputInVoltsThroughTheCalibration) {
    nlohmann::json j = Json(RunCli("mixer set --device sim --output-volts 1 --json"));
    EXPECT_EQ(j["lines"]["masterOut"]["left"], 50);
    EXPECT_DOUBLE_EQ(j["outputVolts"].get<double>(), 1.0);

    // A calibration of the card: 4 V at full output.
    const int device = j["device"];
    YLevelCalibration c;
    c.outputVoltageReference = 4.0;
    fs::create_directories(dir_ / "sonbex3" / "Calibration");
    const std::string name = "MC_" + std::to_string(device + 1) + "_" + std::to_string(device + 1) + "_0.mcl";
    std::ofstream(dir_ / "sonbex3" / "Calibration" / name, std::ios::binary) << c.Bytes();
    j = Json(RunCli("mixer set --device sim --output-volts 1 --json"));
    EXPECT_EQ(j["calibration"]["loaded"], 1);
    EXPECT_EQ(j["calibration"]["outputVoltageReference"], 4.0);
    EXPECT_EQ(j["lines"]["masterOut"]["left"], 25);
    EXPECT_DOUBLE_EQ(j["outputVolts"].get<double>(), 1.0);
}

TEST_F(MixerVerb, SetsTheInputInPercentAndRefusesBadUsage) {
    const nlohmann::json j = Json(RunCli("mixer set --device sim --input-percent 25 --json"));
    EXPECT_EQ(j["lines"]["input"]["left"], 25);
    EXPECT_EQ(j["lines"]["input"]["right"], 25);

    struct Case {
        const char* args;
        int status;
    } cases[] = {
        {"mixer set --device sim", 2},
        {"mixer set --device sim --output-volts 1 --input-percent 5", 2},
        {"mixer set --device sim --input-percent 120", 2},
        {"mixer --device nosuchdevice", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(RunCli(c.args).status, c.status) << c.args;
}
