// The stimulus verbs of the headless program: generate a stimulus, record it
// through a device with another tool (here: the test), analyse the recording.

#include "Waveform/IWaveform.h"
#include "YWave/YWaveFile.h"
#include "YWave/YWaveSample.h"

#include "CliRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class StimulusVerb : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-stimulus-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    // The file's first channel, as reals.
    static std::vector<double> Channel(const std::string& path, YWaveFileInfo& info) {
        YWaveReader r;
        EXPECT_TRUE(r.Open(path));
        info = r.Info();
        std::vector<std::uint8_t> bytes(info.dataBytes);
        r.ReadFrames(bytes.data(), info.Frames());
        std::vector<double> out;
        const std::uint8_t* p = bytes.data();
        for (std::uint32_t i = 0; i < info.Frames(); ++i)
            for (int c = 0; c < info.format.channels; ++c) {
                double v;
                p = YSampleToReal(p, info.format.bitsPerSample, v);
                if (c == 0) out.push_back(v);
            }
        return out;
    }

    // The measured sample i of a device driven with x.
    using Device = std::function<double(const std::vector<double>& x, int i)>;
    static double Comb(const std::vector<double>& x, int i) { return x[i] + 0.5 * (i >= 5 ? x[i - 5] : 0.0); }

    // A recording: silence, then the stimulus through the device (default
    // y = x + 0.5·x[n-5]) scaled by 0.8 (measured) and scaled only
    // (reference), as 32-bit floats.
    void Record(const std::vector<double>& x, const std::string& path, const Device& device = Comb) const {
        YWaveWriter w;
        YWaveFormat f;
        f.tag = YWaveFormat::kTagFloat;
        f.channels = 2;
        f.sampleRate = 48000;
        f.bitsPerSample = 32;
        f.blockAlign = 8;
        f.avgBytesPerSec = 8 * 48000;
        ASSERT_TRUE(w.Create(path, f));
        const int silence = 1000;
        for (int t = 0; t < silence + int(x.size()); ++t) {
            const int i = t - silence;
            const float frame[2] = {float(i >= 0 ? 0.8 * device(x, i) : 0.0),
                                    float(i >= 0 ? 0.8 * x[i] : 0.0)};
            ASSERT_TRUE(w.Append(reinterpret_cast<const std::uint8_t*>(frame), sizeof frame));
        }
        ASSERT_TRUE(w.Finish());
    }

    fs::path dir_;
};

TEST_F(StimulusVerb, ListShowsModulesAndParameters) {
    const CliRun r = RunCli("stimulus list --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    const int ids[] = {2001, 2002, 2006, 2003, 2004, 1001, 1002, 1003, 1005, 1004, 1006, 2005};
    ASSERT_EQ(j.size(), std::size(ids));
    for (std::size_t i = 0; i < j.size(); ++i) EXPECT_EQ(j[i]["id"], ids[i]) << i;
    EXPECT_EQ(j[4]["name"], "Sin\u00b2 Pulse");  // the stored Windows-1252 name as UTF-8
    EXPECT_EQ(j[7]["name"], "Log Sine Sweep");
    EXPECT_EQ(j[7]["parameters"][2]["name"], "Duration per octave");
    EXPECT_EQ(j[7]["parameters"][0]["max"], 23950.0);
    const CliRun text = RunCli("stimulus list");
    EXPECT_NE(text.out.find("2006\tShelved MLS\timpulse"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("2004\tSin\xC2\xB2 Pulse\timpulse"), std::string::npos) << text.out;
    // The name as a user types it finds the module.
    EXPECT_EQ(
        RunCli("stimulus generate 'sin\xC2\xB2 pulse' --rate 48000 --bits 16 -o " + Path("sin2.wav")).status,
        0);
}

TEST_F(StimulusVerb, GenerateWritesThePcmOfTheModule) {
    const CliRun r = RunCli(
        "stimulus generate 'White MLS' --rate 44100 --bits 16 --channels 2 --periods 3 --set 'MLS length=10' "
        "-o " +
        Path("mls.wav"));
    ASSERT_EQ(r.status, 0) << r.out;
    YWaveFileInfo info;
    const auto x = Channel(Path("mls.wav"), info);
    EXPECT_EQ(info.format.sampleRate, 44100u);
    EXPECT_EQ(info.format.channels, 2);
    EXPECT_EQ(info.format.bitsPerSample, 16);
    ASSERT_EQ(x.size(), 3u * 1023);
    for (std::size_t i = 0; i < 1023; ++i) {
        ASSERT_EQ(std::abs(x[i]), 32767.0 / 32768.0) << i;
        ASSERT_EQ(x[i], x[i + 1023]) << i;
    }
}

TEST_F(StimulusVerb, AnalyseARecordingOfEachKind) {
    // The sweep through the device: the comb |1 + 0.5·e^(-iω·5)|.
    ASSERT_EQ(RunCli("stimulus generate 1003 --rate 48000 --bits 24 -o " + Path("sweep.wav")).status, 0);
    YWaveFileInfo info;
    auto sweep = Channel(Path("sweep.wav"), info);
    const auto once = sweep;
    sweep.insert(sweep.end(), once.begin(), once.end());
    Record(sweep, Path("rec.wav"));
    for (const char* dual : {"", " --dual"}) {
        SCOPED_TRACE(*dual ? "two channels" : "one channel");
        const CliRun r =
            RunCli("stimulus analyse 'log sine sweep' --rate 48000 --set 'Points per octave=3' --recording " +
                   Path("rec.wav") + dual + " -o " + Path("sweep.txt"));
        ASSERT_EQ(r.status, 0) << r.out;
        std::ifstream in(Path("sweep.txt"));
        std::string header;
        std::getline(in, header);
        EXPECT_EQ(header, "frequency_hz\tmagnitude_db\tphase_deg");
        std::vector<std::array<double, 3>> rows;
        std::array<double, 3> row;
        while (in >> row[0] >> row[1] >> row[2]) rows.push_back(row);
        ASSERT_GT(rows.size(), 25u);
        double at1k = 0;
        for (const auto& p : rows)
            if (p[0] == 1280.0) at1k = p[1];
        for (const auto& p : rows) {
            if (p[0] < 40 || p[0] > 10000) continue;
            const double w = 2 * M_PI * p[0] * 5 / 48000;
            const double expected = 20 * std::log10(std::hypot(1 + 0.5 * std::cos(w), 0.5 * std::sin(w)));
            const double w1 = 2 * M_PI * 1280.0 * 5 / 48000;
            const double ref = 20 * std::log10(std::hypot(1 + 0.5 * std::cos(w1), 0.5 * std::sin(w1)));
            EXPECT_NEAR(p[1] - at1k, expected - ref, 0.3) << p[0] << " Hz";
        }
    }

    // White MLS: the impulse response, the direct sound at 0.8·4·10^(-14.4015/20).
    ASSERT_EQ(RunCli("stimulus generate 2001 --rate 48000 --bits 32 --periods 3 --set 'MLS length=12' -o " +
                     Path("mls.wav"))
                  .status,
              0);
    Record(Channel(Path("mls.wav"), info), Path("mlsrec.wav"));
    const CliRun r =
        RunCli("stimulus analyse 2001 --rate 48000 --set 'MLS length=12' --skip-first --recording " +
               Path("mlsrec.wav") + " --json");
    ASSERT_EQ(r.status, 0) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["result"], "impulse");
    const auto& v = j["value"];
    ASSERT_EQ(v.size(), 2047u);
    std::size_t peak = 0;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (std::abs(double(v[i])) > std::abs(double(v[peak]))) peak = i;
    EXPECT_NEAR(double(v[peak]), 0.8 * 4 * std::pow(10.0, -14.4015 / 20), 1e-4);
    // (each tap also carries -4/L of the others)
    EXPECT_NEAR(double(v[peak + 5]), 0.5 * double(v[peak]), 3e-4);
    EXPECT_DOUBLE_EQ(double(j["time_s"][1]), 1.0 / 48000);
}

// Every result of the gated sine as a column: through y = x + 0.1·x² at
// full scale the second harmonic is 0.05 of the fundamental, H2 = 100 · 0.05
// / sqrt(1 + 0.05²) = 4.994 %, and nothing else distorts.
TEST_F(StimulusVerb, AnalyseWritesEveryResultOfTheModule) {
    const std::string set = " --set 'Points per octave=1'";
    ASSERT_EQ(
        RunCli("stimulus generate 1001 --rate 48000 --bits 32" + set + " -o " + Path("gated.wav")).status, 0);
    YWaveFileInfo info;
    auto tones = Channel(Path("gated.wav"), info);
    const auto once = tones;
    tones.insert(tones.end(), once.begin(), once.end());
    Record(tones, Path("gatedrec.wav"),
           [](const std::vector<double>& x, int i) { return x[i] + 0.1 * x[i] * x[i]; });
    const std::string analyse =
        "stimulus analyse 'gated sine wave' --rate 48000" + set + " --recording " + Path("gatedrec.wav");

    const CliRun r = RunCli(analyse + " -o " + Path("gated.txt"));
    ASSERT_EQ(r.status, 0) << r.out;
    std::ifstream in(Path("gated.txt"));
    std::string header;
    std::getline(in, header);
    ASSERT_EQ(header, "frequency_hz\tmagnitude_db\tphase_deg\tthd_pct\tthdn_pct\th2_pct\th3_pct");
    std::vector<std::array<double, 7>> rows;
    std::array<double, 7> row;
    while (in >> row[0] >> row[1] >> row[2] >> row[3] >> row[4] >> row[5] >> row[6]) rows.push_back(row);
    ASSERT_GE(rows.size(), 7u);
    const double h2 = 100.0 * 0.05 / std::sqrt(1.0 + 0.05 * 0.05);
    for (const auto& p : rows) {
        if (2 * p[0] >= 24000) continue;
        EXPECT_NEAR(p[5], h2, 0.01) << p[0] << " Hz";
        EXPECT_LT(p[6], 0.05) << p[0] << " Hz";
        EXPECT_NEAR(p[3], h2, 0.01) << p[0] << " Hz";
        EXPECT_GE(p[4], p[3] - 0.01) << p[0] << " Hz";
    }

    const CliRun json = RunCli(analyse + " --json");
    ASSERT_EQ(json.status, 0) << json.out;
    const auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["result"], "transfer");
    const char* columns[] = {"frequency_hz", "magnitude_db", "phase_deg", "thd_pct",
                             "thdn_pct",     "h2_pct",       "h3_pct"};
    for (std::size_t c = 0; c < std::size(columns); ++c) {
        ASSERT_EQ(j[columns[c]].size(), rows.size()) << columns[c];
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_NEAR(double(j[columns[c]][i]), rows[i][c], 1e-6 * (1 + std::abs(rows[i][c])))
                << columns[c] << " " << i;
    }
}

TEST_F(StimulusVerb, SweepHarmonicsAgreeWithTheGatedSine) {
    // One device, y = x + 0.1 x², measured with the gated sine and with one
    // log sweep whose harmonic responses are separated.
    const auto device = [](const std::vector<double>& x, int i) { return x[i] + 0.1 * x[i] * x[i]; };
    // Both axes hold 160, 320, ... 5120 Hz.
    const std::string gatedSet = " --set 'Points per octave=1' --set 'Start frequency=160'";
    ASSERT_EQ(
        RunCli("stimulus generate 1001 --rate 48000 --bits 32" + gatedSet + " -o " + Path("g.wav")).status,
        0);
    const std::string sweepSet = " --set 'Duration per octave=0.2' --set 'Points per octave=1'";
    ASSERT_EQ(RunCli("stimulus generate 'log sine sweep' --rate 48000 --bits 32" + sweepSet + " -o " +
                     Path("s.wav"))
                  .status,
              0);
    const auto twice = [&](const char* name) {
        YWaveFileInfo info;
        auto x = Channel(Path(name), info);
        const auto once = x;
        x.insert(x.end(), once.begin(), once.end());
        return x;
    };
    Record(twice("g.wav"), Path("grec.wav"), device);
    Record(twice("s.wav"), Path("srec.wav"), device);

    const CliRun gated =
        RunCli("stimulus analyse 1001 --rate 48000 --json" + gatedSet + " --recording " + Path("grec.wav"));
    ASSERT_EQ(gated.status, 0) << gated.out;
    const CliRun sweep = RunCli("stimulus analyse 'log sine sweep' --rate 48000 --harmonics 3 --json" +
                                sweepSet + " --recording " + Path("srec.wav"));
    ASSERT_EQ(sweep.status, 0) << sweep.out;
    const auto g = nlohmann::json::parse(gated.out), s = nlohmann::json::parse(sweep.out);
    ASSERT_TRUE(s.contains("h2_pct") && s.contains("h3_pct") && s.contains("thd_pct")) << sweep.out;
    int compared = 0;
    for (std::size_t i = 0; i < g["frequency_hz"].size(); ++i) {
        const double f = g["frequency_hz"][i];
        if (f < 100.0 || f > 5000.0) continue;
        for (std::size_t j = 0; j < s["frequency_hz"].size(); ++j) {
            if (std::abs(double(s["frequency_hz"][j]) / f - 1.0) > 1e-6) continue;
            EXPECT_NEAR(20 * std::log10(double(s["h2_pct"][j]) / double(g["h2_pct"][i])), 0.0, 0.2)
                << f << " Hz";
            ++compared;
        }
    }
    EXPECT_GE(compared, 5);

    const CliRun mls =
        RunCli("stimulus analyse 2001 --rate 48000 --harmonics 3 --recording " + Path("srec.wav"));
    EXPECT_EQ(mls.status, 1);
    EXPECT_NE(mls.out.find("--harmonics works with the log sine sweep only"), std::string::npos) << mls.out;
}

TEST_F(StimulusVerb, TooShortSweepSaysWhichHarmonicsItLeftOut) {
    const std::string set = " --set 'Duration per octave=0.05'";
    ASSERT_EQ(
        RunCli("stimulus generate 'log sine sweep' --rate 48000 --bits 32" + set + " -o " + Path("s.wav"))
            .status,
        0);
    YWaveFileInfo info;
    auto x = Channel(Path("s.wav"), info);
    const auto once = x;
    x.insert(x.end(), once.begin(), once.end());
    Record(x, Path("srec.wav"));
    const CliRun r = RunCli("stimulus analyse 'log sine sweep' --rate 48000 --harmonics 3" + set +
                            " --recording " + Path("srec.wav"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("harmonics from H2 on left out: the sweep is too short"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("h2_pct"), std::string::npos) << r.out;
}

TEST_F(StimulusVerb, WrongInputIsAOneLineError) {
    ASSERT_EQ(RunCli("stimulus generate 2001 --rate 48000 --bits 16 --set 'MLS length=8' -o " + Path("m.wav"))
                  .status,
              0);
    std::ofstream(Path("junk.wav")) << "not a wave file";
    struct Case {
        std::string args;
        int status;
        const char* message;
    } cases[] = {
        {"stimulus analyse 4711 --rate 48000 --recording " + Path("m.wav"), 1, "no stimulus module '4711'"},
        {"stimulus analyse 2001 --rate 44100 --recording " + Path("m.wav"), 1, "not at 44100 Hz"},
        {"stimulus analyse 2001 --rate 48000 --recording " + Path("m.wav"), 1, "is too short"},
        {"stimulus analyse 2001 --rate 48000 --recording " + Path("junk.wav"), 1,
         "cannot read the wave file"},
        {"stimulus analyse 2001 --rate 48000 --dual --set 'MLS length=8' --recording " + Path("m.wav"), 1,
         "no second (reference) channel"},
        {"stimulus generate 2001 --rate 48000 --bits 16 --set 'MLS length=x' -o " + Path("x.wav"), 1,
         "not a whole number"},
        {"stimulus generate 1003 --rate 48000 --bits 16 --set 'Stop frequency=10' -o " + Path("x.wav"), 1,
         "out of range"},
        {"stimulus generate 1003 --rate 48000 --bits 16 --set Nothing=1 -o " + Path("x.wav"), 1,
         "no parameter"},
        {"stimulus generate 1003 --rate 48000 --bits 12 -o " + Path("x.wav"), 2, "--bits"},
        {"stimulus generate 1003 --rate 48000 --bits 16", 2, "--output"},
        {"stimulus", 2, "subcommand"},
        // The amplitude sweep has no analysis here, however long the recording.
        {"stimulus analyse 1006 --rate 48000 --recording " + Path("m.wav"), 1, "no analysis of its own"},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
        if (c.status == 1) {
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << c.args << "\n" << r.out;
        }
    }
    EXPECT_FALSE(fs::exists(Path("x.wav")));
}

TEST_F(StimulusVerb, GenerateTakesWholeRatesInTheRangeOfTheOtherVerbs) {
    struct Case {
        const char* rate;
        int status;
        std::uint32_t written;  // the header's rate when accepted
    } cases[] = {
        {"0.4", 2, 0},       {"1.6", 2, 0},         {"4294967296", 2, 0},  {"1e12", 2, 0}, {"0", 2, 0},
        {"-48000", 2, 0},    {"999", 2, 0},         {"768001", 2, 0},      {"nan", 2, 0},  {"1000", 0, 1000},
        {"44100", 0, 44100}, {"48000.0", 0, 48000}, {"768000", 0, 768000},
    };
    for (const Case& c : cases) {
        const std::string out = Path("rate.wav");
        fs::remove(out);
        const CliRun r = RunCli("stimulus generate 2001 --bits 16 --set 'MLS length=8' --rate " +
                                std::string(c.rate) + " -o " + out);
        EXPECT_EQ(r.status, c.status) << c.rate << "\n" << r.out;
        if (c.status != 0) {
            EXPECT_NE(r.out.find("--rate"), std::string::npos) << c.rate << "\n" << r.out;
            EXPECT_FALSE(fs::exists(out)) << c.rate;
            continue;
        }
        YWaveFileInfo info;
        ASSERT_TRUE(YReadWaveFileInfo(out, info)) << c.rate;
        EXPECT_EQ(info.format.sampleRate, c.written) << c.rate;
    }
}

}  // namespace
