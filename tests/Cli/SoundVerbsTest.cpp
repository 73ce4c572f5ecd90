// The sound verbs of the headless program on the simulated card.

#include "YWave/YWaveFile.h"

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

namespace {

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/ywave-verbs-XXXXXX";
        dir_ = mkdtemp(name);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

private:
    fs::path dir_;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A wave file whose header says `rate`, with `frames` frames of zeros.
void WriteHeader(const std::string& path, int bits, int channels, int rate, int frames) {
    YWaveWriter w;
    ASSERT_TRUE(w.Create(path, YWaveFormat::Pcm(bits, channels, rate, true)));
    const std::vector<std::uint8_t> data(static_cast<std::size_t>(frames) * channels * ((bits + 7) / 8), 0);
    ASSERT_TRUE(w.Append(data.data(), data.size()));
    ASSERT_TRUE(w.Finish());
}

constexpr rlim_t kAddressSpace = 512u << 20;
constexpr long kResidentLimitKb = 200 * 1024;  // far below what the refused sizes would take

}  // namespace

TEST(SoundVerbs, AFailedRecordLeavesTheTargetAsItWas) {
    const TempDir dir;
    const std::string keep = dir.Path("keep.wav");
    struct Case {
        std::string args;
        const char* message;
    } cases[] = {
        {"--device nosuchdev", "no sound device"},
        {"--device sim --rate 1000", "cannot start"},  // a rate the simulated card refuses
    };
    for (const Case& c : cases) {
        std::ofstream(keep, std::ios::binary) << "precious\n";
        const CliRun r = RunCli("record -o " + keep + " --seconds 1 " + c.args);
        EXPECT_EQ(r.status, 1) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
        EXPECT_EQ(ReadAll(keep), "precious\n") << c.args;
        EXPECT_FALSE(fs::exists(keep + ".part")) << c.args;
        EXPECT_FALSE(fs::exists(dir.Path("keep.partial.wav"))) << c.args;
    }
}

TEST(SoundVerbs, HostileHeadersAreRefusedWithinAnAddressSpaceLimit) {
    // Each header asks for blocks that would not fit the limit (or overflow
    // an int); the verb must refuse it with its reason before allocating
    // anything of that size. (The wave-file stimulus's case of a 1 Hz file:
    // WaveFileStimulusTest.)
    const TempDir dir;
    WriteHeader(dir.Path("rate0.wav"), 16, 2, 0, 4);
    WriteHeader(dir.Path("huge16.wav"), 16, 2, 2147483647, 1);
    WriteHeader(dir.Path("huge32.wav"), 32, 8, 2147483647, 1);
    struct Case {
        std::string args;
        const char* message;
    } cases[] = {
        {"play " + dir.Path("rate0.wav") + " --device sim", "sample rate"},
        {"play " + dir.Path("huge16.wav") + " --device sim", "sample rate"},
        {"play " + dir.Path("huge32.wav") + " --device sim", "sample rate"},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCliLimited(c.args, kAddressSpace);
        EXPECT_EQ(r.status, 1) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one line, no sanitizer report\n"
                                                                   << c.args << "\n"
                                                                   << r.out;
        EXPECT_LT(r.maxResidentKb, kResidentLimitKb) << c.args;
    }
}
