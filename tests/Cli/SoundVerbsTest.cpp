// The sound verbs of the headless program on the simulated card.

#include "YWave/YWaveFile.h"

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {}  // namespace

TEST(SoundVerbs, DevicesListTheSimulatedCardWithItsFormats) {
    const CliRun r = RunCli("devices --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    bool found = false;
    for (const auto& d : j["devices"])
        if (d["name"] == "Simulated sound card") {
            found = true;
            EXPECT_EQ(d["id"], "sim");
            EXPECT_EQ(d["record"]["maxChannels"], 2);
            EXPECT_NE(d["play"]["rates"].dump().find("192000"), std::string::npos);
        }
    EXPECT_TRUE(found) << r.out;
}

TEST(SoundVerbs, RecordPlayAndLoopbackOnTheSimulatedCard) {
    char name[] = "/tmp/ywave-verbs-XXXXXX";
    const fs::path dir = mkdtemp(name);
    const std::string file = (dir / "r.wav").string();

    CliRun r = RunCli("record -o " + file +
                      " --seconds 0.25 --rate 44100 --bits 24 --channels 1 --device sim --json");
    ASSERT_EQ(r.status, 0) << r.out;
    YWaveFileInfo info;
    ASSERT_TRUE(YReadWaveFileInfo(file, info));
    EXPECT_EQ(info.Frames(), 11025u);
    EXPECT_EQ(info.format.sampleRate, 44100u);
    EXPECT_EQ(info.format.channels, 1);
    EXPECT_EQ(info.format.bitsPerSample, 24);

    r = RunCli("play " + file + " --device sim");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("11025 frames"), std::string::npos) << r.out;

    r = RunCli("loopback --device sim --seconds 0.5 --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["latencySamples"], 64);  // the headless program's simulated card
    EXPECT_EQ(j["input2"]["clicks"], j["clicksPlayed"]);
    EXPECT_NEAR(j["input2"]["levelDb"].get<double>(), 0.0, 0.01);

    struct Case {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"play " + (dir / "none.wav").string() + " --device sim", 1, "cannot read"},
        {"play " + file + " --device no-such-card", 1, "no sound device"},
        {"record -o " + file + " --seconds 1 --bits 12", 2, "12"},
        {"record --seconds 1", 2, "output"},
        {"loopback", 2, "device"},
    };
    for (const Case& c : cases) {
        r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
    }
    fs::remove_all(dir);
}
