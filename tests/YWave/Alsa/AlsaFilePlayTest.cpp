// Playing wave files through ALSA to their end, on the test's own JACK server
// (see SoundServers.h), in each mode that plays a file: files shorter than one
// block, of exactly k blocks and of k blocks and one frame.

#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveFile.h"

#include "Platform/MessageLoop.h"

#include "SoundServers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using sound_servers::JackServer;
using sound_servers::kPcm;

namespace {

constexpr int kRate = 48000, kBlock = kRate / 10;  // the play verb's block

// One run of `mode` over `play` to its end; "" when it ended by itself
// without a fault, else what went wrong.
std::string PlayToTheEnd(YWaveMode mode, const std::string& play, const std::string& record) {
    sonbex::platform::MessageLoop loop;
    YAlsaBackend alsa;
    YMemWave wave(loop, alsa);
    const int device = alsa.AddPcm(kPcm, "JACK loop-back");
    bool stopped = false;
    const auto stopHandler = loop.AddHandler([&](const sonbex::platform::Message& m) {
        if (m.id != kWaveDeviceStopped) return;
        stopped = true;
        loop.Quit();
    });
    wave.Create(
        [](const std::uint8_t* in, std::uint8_t* out, int frames) {
            std::memcpy(out, in, static_cast<std::size_t>(frames) * 4);
            return true;
        },
        YWaveNotify{&loop, stopHandler});
    wave.SetDevices(device, device);
    wave.SetBuffers(4, kBlock, -1);
    bool opened = false;
    if (mode == YWaveMode::PlayFile) opened = wave.PlayFile(play, false);
    if (mode == YWaveMode::RecordAndPlayFile) opened = wave.RecordAndPlayFile(record, play, false);
    if (mode == YWaveMode::PlayFileCallback) opened = wave.PlayFileCallback(play, 2, false);
    if (!opened || !wave.Start()) return "cannot start: " + wave.LastError();
    const auto guard = loop.StartTimer(15s, [&] { loop.Quit(); });
    loop.Run();
    loop.StopTimer(guard);
    if (!stopped) return "the run did not end by itself";
    return wave.LastError();
}

}  // namespace

TEST_F(JackServer, EveryFilePlayingModePlaysAFileToItsEndWithoutAFault) {
    struct Mode {
        const char* name;
        YWaveMode mode;
    } modes[] = {{"play file", YWaveMode::PlayFile},
                 {"record and play file", YWaveMode::RecordAndPlayFile},
                 {"play file through the callback", YWaveMode::PlayFileCallback}};
    const std::string play = (dir_ / "play.wav").string(), record = (dir_ / "rec.wav").string();
    for (const int frames : {kBlock / 4, 3 * kBlock, 3 * kBlock + 1}) {
        {
            YWaveWriter writer;
            ASSERT_TRUE(writer.Create(play, YWaveFormat::Pcm(16, 2, kRate, false)));
            std::vector<std::uint8_t> data(static_cast<std::size_t>(frames) * 4);
            for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
            ASSERT_TRUE(writer.Append(data.data(), data.size()));
            ASSERT_TRUE(writer.Finish());
        }
        for (const Mode& m : modes) {
            // A JACK server without real-time scheduling on a busy machine
            // now and then drops a cycle and reports late output; such a run
            // is tried again, up to three times.
            std::string failures;
            bool ok = false;
            for (int attempt = 0; attempt < 3 && !ok; ++attempt) {
                const std::string failure = PlayToTheEnd(m.mode, play, record);
                ok = failure.empty();
                if (!ok) failures += "attempt " + std::to_string(attempt + 1) + ": " + failure + "\n";
            }
            EXPECT_TRUE(ok) << m.name << ", " << frames << " frames:\n" << failures;
            if (!failures.empty()) std::cout << m.name << ", " << frames << " frames:\n" << failures;
            if (ok && m.mode == YWaveMode::RecordAndPlayFile) {
                YWaveFileInfo info;
                ASSERT_TRUE(YReadWaveFileInfo(record, info)) << frames << " frames";
                EXPECT_GE(info.Frames(), static_cast<std::uint32_t>(frames));
            }
        }
    }
}
