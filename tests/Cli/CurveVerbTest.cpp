// curve info and curve convert, run as a user runs them.

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Data(const std::string& name) { return std::string(SONBEX_TEST_DATA) + "/Curves/" + name; }

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path TempDir() {
    const fs::path d = fs::temp_directory_path() / ("sonbex-curveverb-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
}

TEST(CurveVerb, InfoJsonNamesSetsCurvesAndSettings) {
    const CliRun run = RunCli("curve info --json " + Data("tiny_v3.sxf"));
    ASSERT_EQ(run.status, 0) << run.out;
    const auto j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["format"], "SXF");
    EXPECT_TRUE(j["currentVersion"].get<bool>());
    ASSERT_EQ(j["sets"].size(), 2u);
    EXPECT_EQ(j["sets"][0]["title"], "Woofer");
    EXPECT_EQ(j["sets"][0]["points"], 5);
    EXPECT_EQ(j["sets"][0]["acquired"], "2024-03-07  14:05.09");
    EXPECT_EQ(j["sets"][1]["curves"].back(), "H3");
    EXPECT_EQ(j["sets"][0]["settings"]["sampleRate"], 48000.0);
}

TEST(CurveVerb, InfoTextOfEveryFormat) {
    struct Case {
        const char* file;
        const char* expected;
    } cases[] = {
        {"tiny_v2.sxf", "SXF (frequency curves), older version"},
        {"imp_loaded.sxz", "Loaded Magnitude"},
        {"impulse.sxp", "Samples: 6"},
        {"polar.spp", "3 angles"},
        {"csd_f1.csd", "CSD length: 0.005 s"},
        {"multi.smg", "Title: Two-way box"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli("curve info " + Data(c.file));
        EXPECT_EQ(run.status, 0) << c.file << run.out;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << c.file << "\n" << run.out;
    }
}

TEST(CurveVerb, ConvertUpgradesAnOlderVersionAndWritesText) {
    const fs::path dir = TempDir();
    const fs::path out = dir / "woofer.sxf";
    CliRun run = RunCli("curve convert " + Data("tiny_v2.sxf") + " -o " + out.string());
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(Slurp(out) == Slurp(Data("tiny_v2_as_v3.sxf")));

    run = RunCli("curve convert " + Data("imp_free.sxz") + " -o " + (dir / "z.txt").string());
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string text = Slurp(dir / "z.txt");
    EXPECT_EQ(text.substr(0, text.find('\n')), "Frequency (Hz)\tMagnitude (ohm)\tPhase (rad)");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
    fs::remove_all(dir);
}

TEST(CurveVerb, FailuresSayWhy) {
    struct Case {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"curve info /no/such.sxf", 1, "Couldn't open this file !"},
        {"curve info " + Data("make_curve_fixtures.py"), 1, "not a native curve file"},
        {"curve convert " + Data("imp_free.sxz") + " -o /tmp/x.sxf", 1, "cannot be converted"},
        {"curve convert " + Data("imp_free.sxz"), 2, "output"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.args << "\n" << run.out;
    }
}

}  // namespace
