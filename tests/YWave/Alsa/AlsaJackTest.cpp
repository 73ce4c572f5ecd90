// The ALSA path without sound hardware: the test starts its own JACK server
// with the dummy driver and two loop-back ports, reaches it through the ALSA
// "jack" PCM plugin wrapped in a "plug" PCM (SoundServers.h writes the
// configuration), and runs the engine's simultaneous mode.

#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveSample.h"

#include "Platform/MessageLoop.h"

#include "SoundServers.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using sound_servers::JackServer;
using sound_servers::kJackPeriod;
using sound_servers::kPcm;

namespace {

constexpr int kRate = 48000, kBlock = 9600, kBlocks = 12;

// One click per block at an offset that changes from block to block, with a
// height of its own, so each recorded click names the block it came from.
int ClickAt(int block) { return 100 + (block * 397) % 3000; }
double ClickHeight(int block) { return 0.25 + block / 64.0; }  // exact in 16 bits

// One duplex run of the click train; "" when every block's click came back
// unchanged at one latency (set in `latency`), else what went wrong.
//
// A JACK server without real-time scheduling on a busy machine now and then
// loses, repeats or skips a whole cycle of its loop-back port without telling
// its clients. That moves a click by whole server periods or loses it, which
// the check forgives for a few clicks (and reports in `slips`); any other
// shift, a lost or doubled engine block or a changed sample is a fault of the
// engine.
std::string RunClickTrain(YAlsaBackend& alsa, int device, long& latency, std::string& slips) {
    sonbex::platform::MessageLoop loop;
    YMemWave wave(loop, alsa);
    std::vector<double> recorded;
    int calls = 0;
    wave.Create(
        [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
            for (int f = 0; f < frames; ++f) {
                double v = 0;
                YSampleToReal(in + 4 * f, 16, v);
                recorded.push_back(v);
                const double click = f == ClickAt(calls) ? ClickHeight(calls) : 0.0;
                YRealToSample(click, 16, out + 4 * f);
                YRealToSample(-click, 16, out + 4 * f + 2);
            }
            if (++calls == kBlocks) loop.Quit();
            return calls < kBlocks;
        },
        YWaveNotify{});
    wave.SetDevices(device, device);
    wave.SetBuffers(4, kBlock, -1);
    if (!wave.OpenDuplex(16, 2, 2, kRate) || !wave.Start()) return "cannot start: " + wave.LastError();
    const auto guard = loop.StartTimer(20s, [&] { loop.Quit(); });
    loop.Run();
    loop.StopTimer(guard);
    const std::string error = wave.LastError();
    wave.Stop();
    if (calls != kBlocks) return "the run ended after " + std::to_string(calls) + " blocks: " + error;
    if (!error.empty()) return error;

    // Block j's click is played as block j + 2; the two last never come back.
    struct Click {
        int block;
        long offset;
    };
    std::vector<Click> found;
    for (std::size_t n = 0; n < recorded.size(); ++n) {
        if (recorded[n] == 0.0) continue;
        const double block = (recorded[n] - 0.25) * 64.0;
        if (block < 0 || block >= kBlocks || block != std::floor(block))
            return "a sample of " + std::to_string(recorded[n]) + " at " + std::to_string(n) +
                   " was never played";
        const int j = static_cast<int>(block);
        found.push_back({j, static_cast<long>(n) - ((j + 2L) * kBlock + ClickAt(j))});
    }
    std::string slipped;
    int missing = 0;
    for (int j = 0; j < kBlocks - 2; ++j)
        if (std::none_of(found.begin(), found.end(), [j](const Click& c) { return c.block == j; })) {
            slipped += "the click of block " + std::to_string(j) + " was lost\n";
            ++missing;
        }
    if (missing > 2) return std::to_string(missing) + " clicks missing";

    // The latency most clicks show; the others may sit whole server periods off.
    std::vector<long> offsets;
    for (const Click& c : found) offsets.push_back(c.offset);
    long best = offsets[0];
    std::size_t bestCount = 0;
    for (long o : offsets) {
        const auto count = static_cast<std::size_t>(std::count(offsets.begin(), offsets.end(), o));
        if (count > bestCount) best = o, bestCount = count;
    }
    if (best < 0 || best >= kBlock) return "latency " + std::to_string(best) + " out of range";
    for (const Click& c : found) {
        const long shift = c.offset - best;
        if (shift % kJackPeriod != 0)
            return "the click of block " + std::to_string(c.block) + " is " + std::to_string(shift) +
                   " samples off the latency";
        if (shift != 0)
            slipped += "block " + std::to_string(c.block) + " came back " +
                       std::to_string(shift / kJackPeriod) + " server period(s) off\n";
    }
    latency = best;
    slips += slipped;
    return "";
}

}  // namespace

TEST_F(JackServer, DuplexStimulusComesBackAtAConstantLatency) {
    YAlsaBackend alsa;
    const int device = alsa.AddPcm(kPcm, "JACK loop-back");
    ASSERT_TRUE(alsa.CanOpen(YWaveDirection::Play, device, kRate, 16, 2));
    ASSERT_TRUE(alsa.CanOpen(YWaveDirection::Record, device, kRate, 24, 2));
    EXPECT_FALSE(alsa.CanOpen(YWaveDirection::Play, device, 44100, 16, 2)) << "no silent resampling";

    // The same server may also report late output now and then; such a run
    // is tried again, up to five times.
    std::string failures, slips;
    long latency = -1;
    for (int attempt = 0; attempt < 5 && latency < 0; ++attempt) {
        const std::string failure = RunClickTrain(alsa, device, latency, slips);
        if (!failure.empty()) failures += "attempt " + std::to_string(attempt + 1) + ": " + failure + "\n";
    }
    ASSERT_GE(latency, 0) << failures;
    std::cout << failures << slips << "round-trip latency beyond the two-block lead: " << latency
              << " samples\n";
}

namespace {

struct FaultRun {
    int calls = 0;         // callbacks in all
    int callsAtStop = -1;  // callbacks when the stop message came
    std::string error;
};

// Runs the simultaneous mode on the loop-back until a fault ends it; `onBlock`
// sees each callback's number. The loop goes on serving for a while after the
// stop message, so a callback after the stop would be seen.
FaultRun RunDuplexUntilItEnds(const std::function<void(int)>& onBlock) {
    sonbex::platform::MessageLoop loop;
    YAlsaBackend alsa;
    YMemWave wave(loop, alsa);
    FaultRun run;
    const int device = alsa.AddPcm(kPcm, "JACK loop-back");
    const sonbex::platform::HandlerId stopped = loop.AddHandler([&](const sonbex::platform::Message& m) {
        if (m.id != kWaveDeviceStopped) return;
        run.callsAtStop = run.calls;
        loop.StartTimer(300ms, [&] { loop.Quit(); });
    });
    wave.Create(
        [&](const std::uint8_t*, std::uint8_t* out, int frames) {
            std::memset(out, 0, static_cast<std::size_t>(frames) * 4);
            onBlock(++run.calls);
            return run.calls < 1000;
        },
        YWaveNotify{&loop, stopped});
    wave.SetDevices(device, device);
    wave.SetBuffers(4, 9600, -1);
    EXPECT_TRUE(wave.OpenDuplex(16, 2, 2, 48000));
    EXPECT_TRUE(wave.Start()) << wave.LastError();
    const auto guard = loop.StartTimer(20s, [&] { loop.Quit(); });
    loop.Run();
    loop.StopTimer(guard);
    run.error = wave.LastError();
    EXPECT_FALSE(wave.IsRunning()) << "the fault did not end the run";
    return run;
}

}  // namespace

TEST_F(JackServer, ALateOutputBlockEndsTheRunWithAnError) {
    const FaultRun run = RunDuplexUntilItEnds([](int call) {
        if (call == 5) std::this_thread::sleep_for(800ms);  // four blocks late
    });
    EXPECT_LT(run.calls, 20);
    EXPECT_EQ(run.calls, run.callsAtStop) << "a callback after the stop";
    EXPECT_NE(run.error, "") << "a late block must not pass as silence";
    std::cout << "reported: " << run.error << "\n";
}

TEST_F(JackServer, ALostDeviceEndsTheRunAndNoCallbackFollows) {
    // The server dies under the stream. (Its registry entry is reclaimed by
    // the next server of the same name.)
    const FaultRun run = RunDuplexUntilItEnds([this](int call) {
        if (call == 5 && pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    });
    EXPECT_LT(run.calls, 60);
    EXPECT_EQ(run.calls, run.callsAtStop) << "a callback after the stop";
    EXPECT_NE(run.error, "");
    std::cout << "reported: " << run.error << "\n";
}
