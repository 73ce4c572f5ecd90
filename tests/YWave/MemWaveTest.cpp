// The wave engine in every mode on the simulated card, in virtual time.

#include "YWave/Sim/YSimCard.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveSample.h"

#include "Platform/IClock.h"
#include "Platform/MessageLoop.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using sonbex::platform::Message;
using sonbex::platform::MessageLoop;
using sonbex::platform::VirtualClock;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A distinct 16-bit code for frame `n` of a stream (never silence).
std::int16_t CodeOf(long n) { return static_cast<std::int16_t>(n % 30011 + 1); }

void PutFrame16(std::uint8_t* p, int channels, std::int16_t v) {
    for (int c = 0; c < channels; ++c) {
        p[2 * c] = static_cast<std::uint8_t>(v);
        p[2 * c + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
    }
}
std::int16_t Sample16(const std::uint8_t* block, int channels, int frame, int channel) {
    const std::uint8_t* p = block + 2 * (frame * channels + channel);
    return static_cast<std::int16_t>(p[0] | p[1] << 8);
}

class MemWaveTest : public ::testing::Test {
protected:
    MemWaveTest() {
        stopHandler = loop.AddHandler([this](const Message& m) {
            if (m.id == kWaveDeviceStopped) ++stops;
        });
        char name[] = "/tmp/ywave-engine-XXXXXX";
        dir = mkdtemp(name);
    }
    ~MemWaveTest() override {
        wave.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    YMemWave& Wave() {
        if (!wave) {
            wave = std::make_unique<YMemWave>(loop, card, true);
            EXPECT_TRUE(wave->Create([this](const std::uint8_t* in, std::uint8_t* out,
                                            int frames) { return callback(in, out, frames); },
                                     YWaveNotify{&loop, stopHandler}));
        }
        return *wave;
    }
    // Fast clock: runs until the engine stops by itself (bounded).
    void RunToEnd() {
        for (int i = 0; i < 1000 && wave->IsRunning(); ++i) loop.RunUntilIdle();
        loop.RunUntilIdle();
    }
    fs::path WriteWave16(const std::string& name, int channels, int rate,
                         const std::vector<std::int16_t>& frames) {
        const fs::path p = dir / name;
        YWaveWriter w;
        EXPECT_TRUE(w.Create(p, YWaveFormat::Pcm(16, channels, rate, false)));
        Bytes b(frames.size() * 2 * static_cast<std::size_t>(channels));
        for (std::size_t i = 0; i < frames.size(); ++i) PutFrame16(&b[i * 2 * channels], channels, frames[i]);
        EXPECT_TRUE(w.Append(b.data(), b.size()));
        EXPECT_TRUE(w.Finish());
        return p;
    }
    Bytes ReadData(const fs::path& p, YWaveFileInfo& info) {
        YWaveReader r;
        EXPECT_TRUE(r.Open(p));
        info = r.Info();
        Bytes b(info.dataBytes);
        EXPECT_EQ(r.ReadFrames(b.data(), info.Frames()), static_cast<long>(info.Frames()));
        return b;
    }

    VirtualClock clock;
    MessageLoop loop{clock};
    YSimCard card;
    sonbex::platform::HandlerId stopHandler = 0;
    int stops = 0;
    std::function<bool(const std::uint8_t*, std::uint8_t*, int)> callback =
        [](const std::uint8_t*, std::uint8_t*, int) { return true; };
    std::unique_ptr<YMemWave> wave;
    fs::path dir;
};

}  // namespace

TEST_F(MemWaveTest, DuplexPlaysEachFilledBlockTwoBlocksLaterAtTheCardsLatency) {
    constexpr int kFrames = 480, kLatency = 37, kBlocks = 12;
    card.Config().latencySamples = kLatency;
    std::vector<Bytes> recorded;
    int calls = 0;
    callback = [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
        EXPECT_EQ(frames, kFrames);
        recorded.emplace_back(in, in + frames * 4);
        for (int f = 0; f < frames; ++f) PutFrame16(out + 4 * f, 2, CodeOf(calls * kFrames + f));
        return ++calls < kBlocks;
    };
    Wave().SetBuffers(4, kFrames, -1);
    ASSERT_TRUE(Wave().OpenDuplex(16, 2, 2, 48000));
    ASSERT_TRUE(Wave().Start());
    RunToEnd();
    EXPECT_FALSE(Wave().IsRunning());
    EXPECT_EQ(calls, kBlocks);
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(Wave().LastError(), "");
    // Input 2 is the loop-back: frame n holds what was played at n - latency,
    // and block j filled by the callback was played as block j + 2.
    for (int n = 0; n < kBlocks * kFrames; ++n) {
        const long played = n - kLatency;
        const long filledBy = played / kFrames - 2;
        const std::int16_t expected =
            played < 0 || filledBy < 0 ? 0 : CodeOf(filledBy * kFrames + played % kFrames);
        ASSERT_EQ(Sample16(recorded[n / kFrames].data(), 2, n % kFrames, 1), expected) << "frame " << n;
        ASSERT_EQ(Sample16(recorded[n / kFrames].data(), 2, n % kFrames, 0), expected) << "frame " << n;
    }
}

TEST_F(MemWaveTest, ARestartedDuplexLeadsWithSilence) {
    constexpr int kFrames = 64;
    std::vector<Bytes> played;
    card.Config().onOutputBlock = [&](const std::uint8_t* b, int frames) {
        played.emplace_back(b, b + frames * 4);
    };
    int calls = 0;
    callback = [&](const std::uint8_t*, std::uint8_t* out, int frames) {
        std::memset(out, 0x5A, static_cast<std::size_t>(frames) * 4);
        return ++calls % 6 != 0;
    };
    Wave().SetBuffers(4, kFrames, -1);
    ASSERT_TRUE(Wave().OpenDuplex(16, 2, 2, 48000));
    for (int run = 0; run < 2; ++run) {
        played.clear();
        ASSERT_TRUE(Wave().Start());
        RunToEnd();
        ASSERT_GE(played.size(), 3u);
        EXPECT_EQ(played[0], Bytes(kFrames * 4, 0)) << "run " << run;
        EXPECT_EQ(played[1], Bytes(kFrames * 4, 0)) << "run " << run;
        EXPECT_EQ(played[2], Bytes(kFrames * 4, 0x5A)) << "run " << run;
    }
}

TEST_F(MemWaveTest, OpeningRules) {
    Wave().SetBuffers(16, 9600, -1);
    ASSERT_TRUE(Wave().RecordCallback(16, 2, 48000));
    EXPECT_EQ(Wave().InFrames(), 9600);
    EXPECT_EQ(Wave().OutFrames(), 9600);
    EXPECT_EQ(Wave().InFrames() * Wave().InFormat().blockAlign, 38400);

    ASSERT_TRUE(Wave().OpenDuplex(24, 2, 2, 48000));
    EXPECT_EQ(Wave().InFormat().tag, YWaveFormat::kTagExtensible);
    EXPECT_EQ(Wave().InFormat().validBits, 24);
    EXPECT_EQ(Wave().InFormat().channelMask, 0x3u);
    ASSERT_TRUE(Wave().OpenDuplex(16, 2, 2, 48000));
    EXPECT_EQ(Wave().OutFormat().tag, YWaveFormat::kTagPcm);
    ASSERT_TRUE(Wave().RecordCallback(32, 2, 48000));
    EXPECT_EQ(Wave().InFormat().validBits, 24);

    Wave().SetBuffers(4, 1000, 500);
    EXPECT_FALSE(Wave().OpenDuplex(16, 2, 2, 48000)) << "duplex with unequal block lengths";
    EXPECT_EQ(Wave().Mode(), YWaveMode::None);
    EXPECT_FALSE(Wave().Start()) << "starting after a refused opening";
    Wave().SetBuffers(4, 1000, -1);
    EXPECT_FALSE(Wave().OpenDuplex(12, 2, 2, 48000)) << "unsupported width";
    Wave().SetCallback({});
    EXPECT_FALSE(Wave().OpenDuplex(16, 2, 2, 48000)) << "callback mode without callback";
    Wave().SetCallback([](const std::uint8_t*, std::uint8_t*, int) { return true; });
    ASSERT_TRUE(Wave().RecordCallback(16, 2, 48000));
    ASSERT_TRUE(Wave().Start());
    EXPECT_FALSE(Wave().RecordCallback(16, 2, 48000)) << "opening while running";
    EXPECT_FALSE(Wave().Start()) << "starting twice";
    Wave().Stop();

    YMemWave notCreated(loop, card);
    EXPECT_FALSE(notCreated.RecordCallback(16, 2, 48000));
    EXPECT_FALSE(notCreated.Start());
}

TEST_F(MemWaveTest, FormatQueriesFollowTheCapabilityMatrix) {
    card.Config().rates = {44100, 48000};
    card.Config().widths = {16, 24};
    card.Config().maxInChannels = 2;
    card.Config().maxOutChannels = 1;
    struct Case {
        bool record;
        int device, rate, bits, channels;
        bool ok;
    } cases[] = {
        {true, -1, 48000, 16, 2, true},  {true, 0, 44100, 24, 1, true},  {true, 0, 96000, 16, 2, false},
        {true, 0, 48000, 32, 2, false},  {true, 0, 48000, 16, 3, false}, {false, 0, 48000, 16, 1, true},
        {false, 0, 48000, 16, 2, false}, {true, 1, 48000, 16, 2, false}, {true, 0, 48000, 12, 2, false},
    };
    for (const Case& c : cases) {
        const bool ok = c.record ? Wave().CanRecord(c.device, c.rate, c.bits, c.channels)
                                 : Wave().CanPlay(c.device, c.rate, c.bits, c.channels);
        EXPECT_EQ(ok, c.ok) << (c.record ? "record " : "play ") << c.device << " " << c.rate << " " << c.bits
                            << " " << c.channels;
    }
    EXPECT_EQ(card.BlocksRun(), 0) << "a query opens nothing";
    card.Config().maxOutChannels = 2;
    EXPECT_FALSE(Wave().RecordCallback(16, 2, 96000) && Wave().Start()) << "a rate the card refuses";
    EXPECT_EQ(stops, 0);
}

TEST_F(MemWaveTest, RecordAndPlayCallbackModes) {
    constexpr int kFrames = 100;
    struct Case {
        const char* name;
        YWaveMode mode;
        bool wantIn, wantOut;
    } cases[] = {
        {"record callback", YWaveMode::RecordCallback, true, false},
        {"play callback", YWaveMode::PlayCallback, false, true},
        {"record while playing a buffer", YWaveMode::RecordPlayBuffer, true, false},
    };
    const Bytes buffer(kFrames * 4, 0x11);
    for (const Case& c : cases) {
        stops = 0;
        int calls = 0;
        callback = [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
            EXPECT_EQ(in != nullptr, c.wantIn) << c.name;
            EXPECT_EQ(out != nullptr, c.wantOut) << c.name;
            EXPECT_EQ(frames, kFrames) << c.name;
            if (c.mode == YWaveMode::RecordPlayBuffer) {
                EXPECT_EQ(Sample16(in, 2, kFrames - 1, 1), 0x1111) << c.name;
            }
            return ++calls < 6;
        };
        Wave().SetBuffers(4, kFrames, -1);
        bool opened = false;
        if (c.mode == YWaveMode::RecordCallback) opened = Wave().RecordCallback(16, 2, 44100);
        if (c.mode == YWaveMode::PlayCallback) opened = Wave().PlayCallback(16, 2, 44100);
        if (c.mode == YWaveMode::RecordPlayBuffer)
            opened = Wave().RecordPlayBuffer(16, 2, 2, 44100, buffer.data(), kFrames, true);
        ASSERT_TRUE(opened) << c.name;
        EXPECT_EQ(Wave().Mode(), c.mode) << c.name;
        ASSERT_TRUE(Wave().Start()) << c.name;
        RunToEnd();
        EXPECT_EQ(calls, 6) << c.name;
        EXPECT_EQ(stops, 1) << c.name;
    }
}

TEST_F(MemWaveTest, PlayBufferLoopsOrEndsAfterOnePass) {
    const Bytes buffer(300 * 2, 0x22);
    std::vector<int> seen;
    card.Config().onOutputBlock = [&](const std::uint8_t*, int frames) { seen.push_back(frames); };
    card.Config().realTime = true;
    ASSERT_TRUE(Wave().PlayBuffer(16, 1, 48000, buffer.data(), 300, false));
    ASSERT_TRUE(Wave().Start());
    loop.AdvanceVirtualTime(clock, 100ms);
    EXPECT_FALSE(Wave().IsRunning());
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(stops, 1);

    seen.clear();
    ASSERT_TRUE(Wave().PlayBuffer(16, 1, 48000, buffer.data(), 300, true));
    ASSERT_TRUE(Wave().Start());
    loop.AdvanceVirtualTime(clock, 100ms);  // 16 blocks of 6.25 ms
    EXPECT_TRUE(Wave().IsRunning());
    EXPECT_EQ(seen.size(), 16u);
    Wave().Stop();
    Wave().Stop();
    loop.RunUntilIdle();
    EXPECT_EQ(stops, 2) << "stopping twice posts once";
}

TEST_F(MemWaveTest, ShortPlayFileIsPaddedAndEndsAfterAllButOneBufferEnded) {
    const fs::path file = WriteWave16("short.wav", 1, 48000, {100, 200, 300});
    std::vector<Bytes> played;
    card.Config().onOutputBlock = [&](const std::uint8_t* b, int frames) {
        played.emplace_back(b, b + frames * 2);
    };
    Wave().SetBuffers(4, 8, -1);
    ASSERT_TRUE(Wave().PlayFile(file.string(), false));
    ASSERT_TRUE(Wave().Start());
    RunToEnd();
    EXPECT_EQ(stops, 1);
    ASSERT_EQ(played.size(), 3u) << "ends once bufferCount - 1 buffers have met the end";
    EXPECT_EQ(Sample16(played[0].data(), 1, 2, 0), 300);
    for (int f = 3; f < 8; ++f) EXPECT_EQ(Sample16(played[0].data(), 1, f, 0), 0) << "padding frame " << f;
    for (std::size_t b = 1; b < played.size(); ++b) EXPECT_EQ(played[b], Bytes(16, 0)) << "block " << b;
}

TEST_F(MemWaveTest, PlayFilePlaysToItsLastFrame) {
    std::vector<std::int16_t> source(8 * 4 + 3);  // four full buffers and a short fifth
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::int16_t>(i + 1);
    const fs::path file = WriteWave16("long.wav", 1, 48000, source);
    std::vector<std::int16_t> played;
    card.Config().onOutputBlock = [&](const std::uint8_t* b, int frames) {
        for (int f = 0; f < frames; ++f) played.push_back(Sample16(b, 1, f, 0));
    };
    Wave().SetBuffers(4, 8, -1);
    ASSERT_TRUE(Wave().PlayFile(file.string(), false));
    ASSERT_TRUE(Wave().Start());
    RunToEnd();
    EXPECT_EQ(stops, 1);
    ASSERT_GE(played.size(), 40u);
    for (std::size_t i = 0; i < 40; ++i) EXPECT_EQ(played[i], i < source.size() ? source[i] : 0) << i;
}

TEST_F(MemWaveTest, RecordAndPlayFileRecordsThePlayFileSeamlesslyWhenLooping) {
    constexpr int kFrames = 8;
    const fs::path rec = dir / "rec.wav";
    // Longer than one buffer, and shorter.
    for (const std::size_t length : {13u, 3u}) {
        std::vector<std::int16_t> source(length);
        for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::int16_t>(1000 + i);
        const fs::path play = WriteWave16("play.wav", 2, 48000, source);

        for (bool loopIt : {false, true}) {
            stops = 0;
            card.Config().realTime = loopIt;
            Wave().SetBuffers(4, kFrames, -1);
            ASSERT_TRUE(Wave().RecordAndPlayFile(rec.string(), play.string(), loopIt));
            ASSERT_TRUE(Wave().Start());
            if (loopIt) {
                loop.AdvanceVirtualTime(clock, std::chrono::microseconds(kFrames * 20 * 1000000 / 48000));
                EXPECT_TRUE(Wave().IsRunning());
                Wave().Stop();
            } else {
                RunToEnd();
            }
            loop.RunUntilIdle();
            EXPECT_EQ(stops, 1);
            YWaveFileInfo info;
            const Bytes data = ReadData(rec, info);
            EXPECT_EQ(info.format.channels, 2);
            EXPECT_EQ(info.format.sampleRate, 48000u);
            const int frames = static_cast<int>(info.Frames());
            EXPECT_EQ(frames % kFrames, 0);
            EXPECT_GE(frames, loopIt ? 19 * kFrames : 2 * kFrames) << "loop " << loopIt;
            for (int n = 0; n < frames; ++n) {
                const auto len = static_cast<int>(length);
                const std::int16_t want = loopIt || n < len ? source[static_cast<std::size_t>(n % len)] : 0;
                ASSERT_EQ(Sample16(data.data(), 2, n, 1), want)
                    << length << " frames, loop " << loopIt << ", frame " << n;
            }
        }
    }
}

TEST_F(MemWaveTest, RecordFileIsFinalisedWhenTheRunEndsNormally) {
    constexpr int kFrames = 64;
    struct Case {
        const char* name;
        int xrunAfter;
        bool stopByHand;
        int blocks;
    } cases[] = {
        {"stopped by the caller", -1, true, 10},
        // A fault in the run: see AFailedRecordFileLeavesTheTargetAsItWasAndAPartialRecordingBeside.
    };
    for (const Case& c : cases) {
        card.Config().realTime = true;
        card.Config().xrunAfterBlocks = c.xrunAfter;
        const fs::path rec = dir / "r.wav";
        Wave().SetBuffers(4, kFrames, -1);
        ASSERT_TRUE(Wave().RecordFile(rec.string(), 24, 1, 48000)) << c.name;
        ASSERT_TRUE(Wave().Start()) << c.name;
        const auto block = std::chrono::nanoseconds(1000000000LL * kFrames / 48000);
        loop.AdvanceVirtualTime(clock, block * 10 + block / 2);
        if (c.stopByHand) Wave().Stop();
        EXPECT_FALSE(Wave().IsRunning()) << c.name;
        YWaveFileInfo info;
        ReadData(rec, info);
        EXPECT_EQ(info.Frames(), static_cast<std::uint32_t>(c.blocks * kFrames)) << c.name;
        EXPECT_EQ(info.format.tag, YWaveFormat::kTagExtensible) << c.name;
        EXPECT_FALSE(fs::exists(dir / "r.wav.part")) << c.name;
    }
    // An engine destroyed while it records leaves a complete file too.
    card.Config().xrunAfterBlocks = -1;
    const fs::path rec = dir / "closed.wav";
    ASSERT_TRUE(Wave().RecordFile(rec.string(), 16, 2, 48000));
    ASSERT_TRUE(Wave().Start());
    loop.AdvanceVirtualTime(clock, std::chrono::nanoseconds(1000000000LL * kFrames * 3 / 48000));
    wave.reset();
    YWaveFileInfo info;
    ReadData(rec, info);
    EXPECT_EQ(info.Frames(), 3u * kFrames);
}

TEST_F(MemWaveTest, PlayFileCallbackStartsWithShortWholeFrameBlocks) {
    std::vector<std::int16_t> source(40);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::int16_t>(i + 1);
    // 44100 / 400 = 110 bytes: 18 whole frames of three 16-bit channels, not 18 1/3.
    const fs::path file = WriteWave16("cb.wav", 2, 44100, source);
    std::vector<int> played;
    card.Config().onOutputBlock = [&](const std::uint8_t*, int frames) { played.push_back(frames); };
    std::vector<std::int16_t> got;
    callback = [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
        EXPECT_EQ(frames, 64);
        for (int f = 0; f < frames; ++f) {
            got.push_back(Sample16(in, 2, f, 0));
            PutFrame16(out + 6 * f, 3, Sample16(in, 2, f, 1));
        }
        return true;
    };
    Wave().SetBuffers(4, 64, -1);
    card.Config().maxOutChannels = 3;
    ASSERT_TRUE(Wave().PlayFileCallback(file.string(), 3, false));
    ASSERT_TRUE(Wave().Start());
    RunToEnd();
    EXPECT_EQ(stops, 1);
    ASSERT_GE(played.size(), 5u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(played[k], 18) << "short first block " << k;
    EXPECT_EQ(played[4], 64);
    ASSERT_EQ(got.size(), 64u);
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], i < 40 ? static_cast<int>(i + 1) : 0) << i;
}

TEST_F(MemWaveTest, FaultsEndTheRunWithTheErrorAndNoCallbackAfterTheStop) {
    struct Case {
        const char* name;
        void (*inject)(YSimCardConfig&);
        bool starts;
        int calls;
        int stops;
        const char* error;
    } cases[] = {
        {"open failure", [](YSimCardConfig& c) { c.failOpen = true; }, false, 0, 0, "could not be opened"},
        {"start failure", [](YSimCardConfig& c) { c.failStart = true; }, false, 0, 1, "failed to start"},
        {"xrun", [](YSimCardConfig& c) { c.xrunAfterBlocks = 3; }, true, 3, 1, "xrun"},
        {"device lost", [](YSimCardConfig& c) { c.lostAfterBlocks = 5; }, true, 5, 1, "removed"},
        {"late output", [](YSimCardConfig& c) { c.lateAfterBlocks = 2; }, true, 2, 1, "too late"},
    };
    for (const Case& c : cases) {
        card.Config() = YSimCardConfig{};
        c.inject(card.Config());
        stops = 0;
        int calls = 0;
        callback = [&](const std::uint8_t*, std::uint8_t*, int) { return ++calls < 1000; };
        Wave().SetBuffers(4, 32, -1);
        ASSERT_TRUE(Wave().OpenDuplex(16, 2, 2, 48000)) << c.name;
        EXPECT_EQ(Wave().Start(), c.starts) << c.name;
        RunToEnd();
        EXPECT_FALSE(Wave().IsRunning()) << c.name;
        EXPECT_EQ(calls, c.calls) << c.name;
        EXPECT_EQ(stops, c.stops) << c.name;
        EXPECT_NE(Wave().LastError().find(c.error), std::string::npos)
            << c.name << ": " << Wave().LastError();
    }
}

TEST_F(MemWaveTest, NoCallbackRunsAfterAStopWithMessagesStillQueued) {
    // Each input block of 1000 frames consumes ten 100-frame output buffers:
    // the first output completion stops the run (no loop) while nine more
    // completions and the input block are already queued.
    const Bytes buffer(100 * 4, 0x33);
    int calls = 0;
    callback = [&](const std::uint8_t*, std::uint8_t*, int) { return ++calls > 0; };
    Wave().SetBuffers(16, 1000, -1);
    ASSERT_TRUE(Wave().RecordPlayBuffer(16, 2, 2, 48000, buffer.data(), 100, false));
    ASSERT_TRUE(Wave().Start());
    RunToEnd();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(stops, 1);

    // A callback that stops the engine itself gets no further call.
    calls = 0;
    callback = [&](const std::uint8_t*, std::uint8_t*, int) {
        if (++calls == 3) wave->Stop();
        return true;
    };
    Wave().SetBuffers(4, 100, -1);
    ASSERT_TRUE(Wave().OpenDuplex(16, 2, 2, 48000));
    ASSERT_TRUE(Wave().Start());
    RunToEnd();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(stops, 2);
}

TEST_F(MemWaveTest, ProcessFilePassesEveryBlockThroughTheCallback) {
    std::vector<std::int16_t> source(20000);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::int16_t>(i % 1000);
    const fs::path in = WriteWave16("in.wav", 2, 44100, source);
    const fs::path out = dir / "out.wav";
    std::vector<int> blockFrames;
    callback = [&](const std::uint8_t* i, std::uint8_t* o, int frames) {
        blockFrames.push_back(frames);
        for (int f = 0; f < frames; ++f)
            PutFrame16(o + 2 * f, 1, static_cast<std::int16_t>(-Sample16(i, 2, f, 0)));
        return true;
    };
    ASSERT_TRUE(Wave().PlayCallback(16, 1, 44100));  // one output channel
    ASSERT_TRUE(Wave().ProcessFile(in.string(), out.string()));
    EXPECT_EQ(blockFrames, (std::vector<int>{8000, 8000, 4000}));
    YWaveFileInfo info;
    const Bytes data = ReadData(out, info);
    ASSERT_EQ(info.Frames(), 20000u);
    EXPECT_EQ(info.format.channels, 1);
    for (int n = 0; n < 20000; n += 997) EXPECT_EQ(Sample16(data.data(), 1, n, 0), -(n % 1000)) << n;

    callback = [](const std::uint8_t*, std::uint8_t*, int) { return false; };
    EXPECT_FALSE(Wave().ProcessFile(in.string(), (dir / "failed.wav").string()));
    EXPECT_FALSE(fs::exists(dir / "failed.wav"));
    EXPECT_FALSE(fs::exists(dir / "failed.wav.part"));
}

TEST_F(MemWaveTest, WaveFileQueries) {
    const fs::path file = WriteWave16("q.wav", 2, 22050, std::vector<std::int16_t>(77, 5));
    int tag, bits, channels, rate;
    std::uint32_t frames;
    ASSERT_TRUE(Wave().GetWaveInfo(file.string(), tag, bits, channels, rate, frames));
    EXPECT_EQ(tag, 1);
    EXPECT_EQ(bits, 16);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(frames, 77u);
    EXPECT_TRUE(Wave().IsWaveFile(file.string()));
    EXPECT_FALSE(Wave().IsWaveFile((dir / "none.wav").string()));
    EXPECT_FALSE(Wave().GetWaveInfo((dir / "none.wav").string(), tag, bits, channels, rate, frames));
    EXPECT_EQ(frames, 0u);

    std::FILE* f = std::fopen(file.c_str(), "rb");
    YWaveFormat format;
    EXPECT_EQ(Wave().ParseWaveHeader(f, format), 77u * 4);
    EXPECT_EQ(format.sampleRate, 22050u);
    std::fclose(f);
}

TEST_F(MemWaveTest, AFailedRecordFileLeavesTheTargetAsItWasAndAPartialRecordingBeside) {
    // A refused opening or a failed start writes nothing; a fault in the run
    // keeps the old target and finishes what was recorded beside it, under
    // the target's name with ".partial" before the extension.
    constexpr int kFrames = 64;
    const Bytes precious{'p', 'r', 'e', 'c', 'i', 'o', 'u', 's', '\n'};
    struct Case {
        const char* name;
        void (*inject)(YSimCardConfig&);
        int bits;
        bool opens, starts;
        int partialBlocks;  // 0: no partial recording
    } cases[] = {
        {"refused width", [](YSimCardConfig&) {}, 12, false, false, 0},
        {"open failure", [](YSimCardConfig& c) { c.failOpen = true; }, 16, true, false, 0},
        {"start failure", [](YSimCardConfig& c) { c.failStart = true; }, 16, true, false, 0},
        {"rate the card refuses", [](YSimCardConfig& c) { c.rates = {44100}; }, 16, true, false, 0},
        {"xrun after four blocks", [](YSimCardConfig& c) { c.xrunAfterBlocks = 4; }, 16, true, true, 4},
        {"device lost after two blocks", [](YSimCardConfig& c) { c.lostAfterBlocks = 2; }, 16, true, true, 2},
    };
    const fs::path target = dir / "keep.wav", partial = dir / "keep.partial.wav";
    EXPECT_EQ(YPartialRecordingPath(target), partial);
    for (const Case& c : cases) {
        card.Config() = YSimCardConfig{};
        card.Config().realTime = true;
        c.inject(card.Config());
        std::ofstream(target, std::ios::binary)
            .write(reinterpret_cast<const char*>(precious.data()),
                   static_cast<std::streamsize>(precious.size()));
        Wave().SetBuffers(4, kFrames, -1);
        ASSERT_EQ(Wave().RecordFile(target.string(), c.bits, 2, 48000), c.opens) << c.name;
        if (c.opens) {
            ASSERT_EQ(Wave().Start(), c.starts) << c.name;
            loop.AdvanceVirtualTime(clock, std::chrono::nanoseconds(1000000000LL * kFrames * 10 / 48000));
        }
        EXPECT_FALSE(Wave().IsRunning()) << c.name;
        EXPECT_NE(Wave().LastError(), "") << c.name;
        std::ifstream in(target, std::ios::binary);
        const Bytes now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(now, precious) << c.name << ": the target was replaced";
        EXPECT_FALSE(fs::exists(dir / "keep.wav.part")) << c.name << ": a temporary file was left";
        EXPECT_EQ(fs::exists(partial), c.partialBlocks > 0) << c.name;
        if (c.partialBlocks > 0) {
            YWaveFileInfo info;
            ReadData(partial, info);
            EXPECT_EQ(info.Frames(), static_cast<std::uint32_t>(c.partialBlocks * kFrames)) << c.name;
        }
        std::error_code ec;
        fs::remove(partial, ec);
    }
}

TEST_F(MemWaveTest, FilePlayingModesPlayTheWholeFileAndEndWithoutAFault) {
    // The card reports a block done only once the next one plays, so every
    // mode must keep its ring filled (with silence after the file's end)
    // until the run ends.
    constexpr int kFrames = 48;
    struct Mode {
        const char* name;
        YWaveMode mode;
    } modes[] = {{"play file", YWaveMode::PlayFile},
                 {"record and play file", YWaveMode::RecordAndPlayFile},
                 {"play file through the callback", YWaveMode::PlayFileCallback}};
    const fs::path rec = dir / "rec.wav";
    callback = [](const std::uint8_t* in, std::uint8_t* out, int frames) {
        std::memcpy(out, in, static_cast<std::size_t>(frames) * 2);
        return true;
    };
    for (const Mode& m : modes)
        for (const int length : {20, 3 * kFrames, 3 * kFrames + 1}) {
            const std::string what = std::string(m.name) + ", " + std::to_string(length) + " frames";
            card.Config() = YSimCardConfig{};
            std::vector<std::int16_t> played;
            card.Config().onOutputBlock = [&](const std::uint8_t* b, int frames) {
                for (int f = 0; f < frames; ++f) played.push_back(Sample16(b, 1, f, 0));
            };
            std::vector<std::int16_t> source(static_cast<std::size_t>(length));
            for (std::size_t i = 0; i < source.size(); ++i) source[i] = CodeOf(static_cast<long>(i));
            const fs::path file = WriteWave16("play.wav", 1, 48000, source);
            stops = 0;
            Wave().SetBuffers(4, kFrames, -1);
            bool opened = false;
            if (m.mode == YWaveMode::PlayFile) opened = Wave().PlayFile(file.string(), false);
            if (m.mode == YWaveMode::RecordAndPlayFile)
                opened = Wave().RecordAndPlayFile(rec.string(), file.string(), false);
            if (m.mode == YWaveMode::PlayFileCallback)
                opened = Wave().PlayFileCallback(file.string(), 1, false);
            ASSERT_TRUE(opened) << what;
            ASSERT_TRUE(Wave().Start()) << what;
            RunToEnd();
            EXPECT_FALSE(Wave().IsRunning()) << what;
            EXPECT_EQ(Wave().LastError(), "") << what;
            EXPECT_EQ(stops, 1) << what;
            // The file's frames in order after any leading silence, then silence.
            const auto first =
                std::find_if(played.begin(), played.end(), [](std::int16_t v) { return v != 0; });
            const auto lead = static_cast<std::size_t>(first - played.begin());
            ASSERT_GE(played.size(), lead + source.size()) << what;
            for (std::size_t i = 0; i < source.size(); ++i)
                ASSERT_EQ(played[lead + i], source[i]) << what << ": frame " << i;
            for (std::size_t i = lead + source.size(); i < played.size(); ++i)
                ASSERT_EQ(played[i], 0) << what << ": played frame " << i << " after the file";
            if (m.mode == YWaveMode::RecordAndPlayFile) {
                YWaveFileInfo info;
                const Bytes data = ReadData(rec, info);
                ASSERT_GE(info.Frames(), source.size()) << what;
                for (std::size_t i = 0; i < source.size(); ++i)
                    ASSERT_EQ(Sample16(data.data(), 1, static_cast<int>(i), 0), source[i])
                        << what << ": recorded frame " << i;
            }
        }
}

TEST_F(MemWaveTest, OpeningRefusesRatesAndBlocksBeyondTheLimits) {
    struct Case {
        int rate, bits, channels, frames;
        bool ok;
        const char* error;
    } cases[] = {
        {0, 16, 2, 8000, false, "sample rate"},
        {-48000, 16, 2, 8000, false, "sample rate"},
        {768001, 16, 2, 8000, false, "sample rate"},
        {2147483647, 16, 2, 8000, false, "sample rate"},
        {2147483647, 32, 8, 214748364, false, "sample rate"},
        {768000, 32, 8, 76800, true, ""},
        {1, 16, 1, 1, true, ""},
        {48000, 32, 8, 1 << 26, false, "block"},  // 2 GiB a block
        {48000, 32, 20000, 8, false, "channel"},  // 80000 bytes a frame
    };
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.rate) + " Hz, " + std::to_string(c.bits) + " bits, " +
                                 std::to_string(c.channels) + " channels, blocks of " +
                                 std::to_string(c.frames);
        Wave().SetBuffers(4, c.frames, -1);
        EXPECT_EQ(Wave().PlayCallback(c.bits, c.channels, c.rate), c.ok) << what;
        EXPECT_EQ(Wave().RecordCallback(c.bits, c.channels, c.rate), c.ok) << what;
        if (!c.ok) {
            EXPECT_NE(Wave().LastError().find(c.error), std::string::npos)
                << what << ": " << Wave().LastError();
            EXPECT_EQ(Wave().Mode(), YWaveMode::None) << what;
        }
    }
}
