// The wave-file stimulus: decoding of every sample format, the faults of an
// untrusted file, and reloading when the file changes.

#include "ToneTestSupport.h"
#include "Waveform/YWaveFileStimulus.h"
#include "YWave/YWaveFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace stimulus_test;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(SONBEX_TEST_DATA) / "Waveform";

// A stimulus at 48 kHz reading `file`.
bool Load(YWaveFileStimulus& w, const fs::path& file, bool convert = false) {
    if (!w.SetFormat(48000.0, 1, 2, 24, 1, 1.0, 1.0)) return false;
    WaveformParams records;
    w.GetParams(records);
    records[0].text = file.string();
    records[1].intValue = convert;
    return w.SetParams(records) && w.Generate();
}

void WriteWave(const fs::path& path, const std::vector<std::int16_t>& codes) {
    YWaveWriter writer;
    ASSERT_TRUE(writer.Create(path, YWaveFormat::Pcm(16, 1, 48000, false)));
    ASSERT_TRUE(writer.Append(reinterpret_cast<const std::uint8_t*>(codes.data()), codes.size() * 2));
    ASSERT_TRUE(writer.Finish());
}

}  // namespace

TEST(WaveFileStimulus, DecodesEveryFormatsFirstChannel) {
    struct Case {
        const char* file;
        std::vector<double> values;
    };
    const Case cases[] = {
        {"int8.wav", {0.0, 0.5, -0.5, 127.0 / 128.0, -1.0}},
        {"int16.wav", {0.0, 0.5, -0.5, 32767.0 / 32768.0, -1.0}},
        {"int24.wav", {0.0, 0.5, -0.5, 8388607.0 / 8388608.0, -1.0}},
        {"int32.wav", {0.0, 0.5, -0.5, 2147483647.0 / 2147483648.0, -1.0}},
        {"float32.wav", {0.0, 0.5, -0.5, 0.75, -1.0}},
        {"float32_ext.wav", {0.0, 0.5, -0.5, 0.75, -1.0}},
        {"truncated.wav", {0.0, 0.5, -0.5}},
    };
    for (const Case& c : cases) {
        YDoubleVec v;
        double rate = 0.0;
        ASSERT_TRUE(YWaveFileStimulus::ReadFirstChannel(kData / c.file, v, rate)) << c.file;
        EXPECT_GT(rate, 0.0);
        ASSERT_EQ(v.Size(), int(c.values.size())) << c.file;
        for (int i = 0; i < v.Size(); ++i)
            EXPECT_DOUBLE_EQ(v.Data()[i], c.values[i]) << c.file << " frame " << i;
    }
}

TEST(WaveFileStimulus, RefusesFilesItCannotPlay) {
    YDoubleVec v;
    double rate = 0.0;
    EXPECT_FALSE(YWaveFileStimulus::ReadFirstChannel(kData / "bad_align.wav", v, rate))
        << "block alignment is not channels x bytes";
    EXPECT_FALSE(YWaveFileStimulus::ReadFirstChannel(kData / "missing.wav", v, rate));
    EXPECT_FALSE(YWaveFileStimulus::ReadFirstChannel(kData / "make_wave_fixtures.py", v, rate));

    YWaveFileStimulus w;
    EXPECT_FALSE(Load(w, kData / "bad_align.wav"));
    EXPECT_TRUE(w.GetSamples()->Empty());
    EXPECT_EQ(w.GetPcmBytes(), 0);
}

TEST(WaveFileStimulus, ConvertsTheSampleRate) {
    YWaveFileStimulus w;
    ASSERT_TRUE(Load(w, kData / "float32.wav", false));
    EXPECT_EQ(w.GetSamples()->Size(), 5) << "played as it is";
    ASSERT_TRUE(Load(w, kData / "float32.wav", true));
    EXPECT_EQ(w.GetSamples()->Size(), 5) << "round(5 * 48000 / 44100)";
    EXPECT_FALSE(w.GetSyncPulse());
    EXPECT_EQ(w.GetFrameCount(), 5);
}

TEST(WaveFileStimulus, ReloadsWhenTheFileChanges) {
    const fs::path dir = fs::temp_directory_path() / "sonbex_wavefile_reload";
    fs::create_directories(dir);
    const fs::path lower = dir / "a.wav", upper = dir / "A.wav";
    WriteWave(lower, {16384, 0, 0, 0});
    WriteWave(upper, {-16384, 0, 0, 0});

    YWaveFileStimulus w;
    ASSERT_TRUE(Load(w, lower));
    EXPECT_DOUBLE_EQ(w.GetSamples()->Data()[0], 0.5);
    // Names are compared exactly: the other case is another file.
    ASSERT_TRUE(Load(w, upper));
    EXPECT_DOUBLE_EQ(w.GetSamples()->Data()[0], -0.5);

    // The same name with new contents of the same size.
    WriteWave(upper, {8192, 0, 0, 0});
    fs::last_write_time(upper, fs::last_write_time(upper) + std::chrono::seconds(2));
    ASSERT_TRUE(w.Generate());
    EXPECT_DOUBLE_EQ(w.GetSamples()->Data()[0], 0.25);
    // A longer file.
    WriteWave(upper, {4096, 0, 0, 0, 0, 0});
    ASSERT_TRUE(w.Generate());
    EXPECT_EQ(w.GetSamples()->Size(), 6);
    // A file that went away is not played from what was loaded before.
    fs::remove(upper);
    EXPECT_FALSE(w.Generate());
    EXPECT_TRUE(w.GetSamples()->Empty());
    fs::remove_all(dir);
}

TEST(WaveFileStimulus, OneChannelAnalysisIsTheDevicesResponse) {
    // A file of noise-like content followed by silence, played through a
    // device of two taps: the analysis gives the taps, not the file.
    const fs::path file = fs::temp_directory_path() / "sonbex_wavefile_probe.wav";
    std::vector<std::int16_t> codes(4096, 0);
    std::uint32_t state = 12345;
    for (int i = 0; i < 512; ++i) {
        state = state * 1664525u + 1013904223u;
        codes[i] = std::int16_t(int(state >> 17) - 16384);
    }
    WriteWave(file, codes);
    YWaveFileStimulus w;
    ASSERT_TRUE(Load(w, file));
    const YDoubleVec& period = *w.GetSamples();
    Recording a = Play(
        period, [](double x) { return 0.8 * x; }, 3, 3000, 0, 0);
    Recording b = Play(
        period, [](double x) { return -0.3 * x; }, 3, 3000, 5, 0);
    for (std::size_t i = 0; i < a.measured.size(); ++i)
        a.measured[i] += i < b.measured.size() ? b.measured[i] : 0.0f;
    ResponseList responses;
    ASSERT_TRUE(w.Analyze(a.View(false), responses, 2, 0));
    ASSERT_EQ(responses.size(), 1u);
    const YDoubleVec& ir = responses[0].data;
    ASSERT_EQ(ir.Size(), 4096);
    int peak = 0;
    for (int i = 0; i < ir.Size(); ++i)
        if (std::abs(ir.Data()[i]) > std::abs(ir.Data()[peak])) peak = i;
    const double scale = 0.830807;
    EXPECT_NEAR(ir.Data()[peak], 0.8 * scale, 0.01);
    EXPECT_NEAR(ir.Data()[peak + 5], -0.3 * scale, 0.01);
    EXPECT_NEAR(ir.Data()[peak + 2], 0.0, 0.01);
    fs::remove(file);
}

TEST(WaveFileStimulus, ARateConversionBeyondTheLimitIsRefusedBeforeConverting) {
    // 800 frames at 1 Hz would become 38.4 million frames at 48 kHz, above
    // kMaxFrames. Loaded in a child process under an address-space limit of
    // 512 MB (none under AddressSanitizer, which reserves its shadow memory up
    // front), whose peak resident set shows whether the conversion ran first.
    char name[] = "/tmp/wavefile-stimulus-XXXXXX";
    const fs::path dir = mkdtemp(name);
    const auto write = [&](const char* file, int frames) {
        YWaveWriter writer;
        EXPECT_TRUE(writer.Create(dir / file, YWaveFormat::Pcm(16, 1, 1, false)));
        const std::vector<std::int16_t> codes(static_cast<std::size_t>(frames), 1000);
        EXPECT_TRUE(writer.Append(reinterpret_cast<const std::uint8_t*>(codes.data()), codes.size() * 2));
        EXPECT_TRUE(writer.Finish());
        return dir / file;
    };
    const fs::path tooLong = write("oneHz.wav", 800), fits = write("oneHzShort.wav", 10);

    YWaveFileStimulus small;
    EXPECT_TRUE(Load(small, fits, true)) << "10 frames at 1 Hz: 480000 frames at 48 kHz";
    EXPECT_EQ(small.GetSamples()->Size(), 480000);

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
#if !defined(__SANITIZE_ADDRESS__)
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
#endif
        YWaveFileStimulus w;
        const bool loaded = Load(w, tooLong, true);
        _exit(loaded ? 0 : w.GetSamples()->Empty() ? 3 : 4);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 3) << "refused, with nothing loaded";
    EXPECT_LT(usage.ru_maxrss, 200L * 1024)
        << "kB resident: the conversion ran before the length was checked";
    fs::remove_all(dir);
}
