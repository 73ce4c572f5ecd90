// The mixer a designer meets on a Linux desktop: the test starts its own
// PulseAudio server with a null sink (a private XDG_RUNTIME_DIR, the sink's
// monitor as the default source, so what plays comes back on capture) and
// reaches it through ALSA's "pulse" control and PCM plugins. Its 'Master'
// and 'Capture' elements are real simple-mixer elements with 65536 steps and
// PulseAudio's cubic volume law.

#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/Alsa/YAlsaMixer.h"
#include "YWave/YMemWave.h"
#include "YWave/YMixer.h"
#include "YWave/YWaveSample.h"

#include "Platform/MessageLoop.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kSink = "sonbex_null";

pid_t Spawn(std::vector<std::string> args, const std::string& log) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PulseServer : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/ywave-pulse-XXXXXX";
        dir_ = mkdtemp(name);
        chmod(dir_.c_str(), 0700);
        log_ = (dir_ / "pulseaudio.log").string();
        std::ofstream(dir_ / "asound.conf") << "</usr/share/alsa/alsa.conf>\n"
                                               "ctl.pulse { type pulse }\n"
                                               "pcm.pulse { type pulse }\n";
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setenv("HOME", dir_.c_str(), 1);  // the server's cookie and state
        setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
        unsetenv("PULSE_SERVER");
        snd_config_update_free_global();

        pid_ =
            Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes", "-L",
                   "module-native-protocol-unix", "-L", std::string("module-null-sink sink_name=") + kSink},
                  log_);
        ASSERT_GT(pid_, 0) << "cannot start pulseaudio";
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline && !ready_) {
            std::this_thread::sleep_for(100ms);
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                break;
            }
            const pid_t pactl = Spawn({"pactl", "set-default-source", std::string(kSink) + ".monitor"}, log_);
            ready_ = pactl > 0 && Wait(pactl) == 0;
        }
        ASSERT_TRUE(ready_) << "the PulseAudio server did not come up; see " << log_;
    }

    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            int status = 0;
            while (waitpid(pid_, &status, WNOHANG) == 0) {
                if (std::chrono::steady_clock::now() > deadline) {
                    kill(pid_, SIGKILL);
                    waitpid(pid_, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(20ms);
            }
        }
        if (HasFailure()) {
            std::ifstream log(log_);
            std::cout << "pulseaudio's output:\n" << log.rdbuf() << "\n";
        }
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
    std::string log_;
    pid_t pid_ = 0;
    bool ready_ = false;
};

// The amplitude that comes back on capture of a 1 kHz tone of `amplitude`
// played through the server, from the last half second of a run (after the
// server's latency); a negative value with `error` set when the run failed.
double LoopbackRun(YAlsaBackend& alsa, int device, double amplitude, std::string& error) {
    sonbex::platform::MessageLoop loop;
    YMemWave wave(loop, alsa);
    constexpr int kRate = 48000, kBlock = 4800, kBlocks = 20;
    std::vector<double> recorded;
    int calls = 0;
    long n = 0;
    wave.Create(
        [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
            for (int f = 0; f < frames; ++f, ++n) {
                double v = 0;
                YSampleToReal(in + 4 * f, 16, v);
                recorded.push_back(v);
                const double s = amplitude * std::sin(2 * std::numbers::pi * 1000.0 * n / kRate);
                YRealToSample(s, 16, YRealToSample(s, 16, out + 4 * f));
            }
            if (++calls == kBlocks) loop.Quit();
            return calls < kBlocks;
        },
        YWaveNotify{});
    wave.SetDevices(device, device);
    wave.SetBuffers(4, kBlock, -1);
    if (!wave.OpenDuplex(16, 2, 2, kRate) || !wave.Start()) {
        error = "cannot start: " + wave.LastError();
        return -1;
    }
    const auto guard = loop.StartTimer(30s, [&] { loop.Quit(); });
    loop.Run();
    loop.StopTimer(guard);
    wave.Stop();
    if (calls != kBlocks || recorded.size() < static_cast<std::size_t>(kRate)) {
        error = "the run ended after " + std::to_string(calls) + " blocks: " + wave.LastError();
        return -1;
    }
    double sum = 0;
    const std::size_t from = recorded.size() - kRate / 2;
    for (std::size_t i = from; i < recorded.size(); ++i) sum += recorded[i] * recorded[i];
    return std::sqrt(2.0 * sum / static_cast<double>(recorded.size() - from));
}

// A sound server on a busy machine now and then lets a run stall; such a run
// is tried again, up to three times.
double LoopbackAmplitude(YAlsaBackend& alsa, int device, double amplitude) {
    std::string errors;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::string error;
        const double a = LoopbackRun(alsa, device, amplitude, error);
        if (a >= 0) {
            std::cout << errors;
            return a;
        }
        errors += "attempt " + std::to_string(attempt + 1) + ": " + error + "\n";
    }
    ADD_FAILURE() << errors;
    return 0;
}

// Reads the line until it shows `value` (the server reports changes a moment later).
bool WaitForVolume(YMixerApi& api, const MixerLine& line, std::uint32_t value) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    std::uint32_t l = 0, r = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (api.GetVolume(line, l, r) && l == value && r == value) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

struct PulseRig {
    PulseRig() {
        device = alsa.AddPcm("pulse", "PulseAudio");
        mixers.AddCtl("pulse", "PulseAudio");
        level = std::make_unique<YMixer>(std::vector<IMixerBackend*>{&mixers}, &alsa,
                                         YMixer::Folders{dir / "Mixer", dir / "Calibration"});
        YMixerHardware hw;
        hw.inputDevice = hw.outputDevice = device + 1;
        level->SetHardware(hw);
    }
    YAlsaBackend alsa;
    YAlsaMixer mixers;
    int device = -1;
    fs::path dir = fs::path(std::getenv("XDG_RUNTIME_DIR")) / "levels";
    std::unique_ptr<YMixer> level;
};

}  // namespace

TEST_F(PulseServer, MasterAndCaptureAreCubicElementsOfThePulseMixer) {
    PulseRig rig;
    rig.level->SelectLines();
    ASSERT_TRUE(rig.level->OutputMixerOpen());
    EXPECT_EQ(rig.level->OutputMixerName(), "PulseAudio");
    MixerLine master, capture, wave;
    ASSERT_TRUE(rig.level->Line(YMixerRole::MasterOut, master));
    EXPECT_EQ(master.name, "Master");
    EXPECT_EQ(master.maximum, 65536u);
    EXPECT_EQ(master.law, YMixerLaw::Cubic);
    EXPECT_TRUE(master.Usable()) << "settable with an in-range probe";
    ASSERT_TRUE(rig.level->Line(YMixerRole::MasterIn, capture));
    EXPECT_EQ(capture.name, "Capture");
    EXPECT_TRUE(capture.Usable());
    rig.level->Line(YMixerRole::Wave, wave);
    EXPECT_EQ(wave.lineId, 0u) << "PulseAudio has no PCM element";
    EXPECT_TRUE(rig.level->InputLines().empty());

    // Half the slider plays 0.125 = -18.06 dB.
    ASSERT_TRUE(rig.level->SetVolume(YMixerRole::MasterOut, 32768, 32768));
    EXPECT_NEAR(20 * std::log10(rig.level->GetOutputFraction()), -18.0618, 1e-3);
}

TEST_F(PulseServer, RecordedLevelFollowsTheSetVoltage) {
    PulseRig rig;
    rig.level->SelectLines();
    ASSERT_TRUE(rig.level->SetVolume(YMixerRole::MasterIn, 65536, 65536));
    const double vref = rig.level->Hardware().outputVoltageReference;
    for (double v : {2.0, 1.0, 0.5, 0.2}) {
        ASSERT_TRUE(rig.level->SetOutputVoltage(v, false)) << v;
        const double read = rig.level->GetOutputVoltage();
        EXPECT_NEAR(20 * std::log10(read / v), 0.0, 0.01) << v;
        const double amplitude = LoopbackAmplitude(rig.alsa, rig.device, 0.5);
        std::cout << v << " V: recorded " << 20 * std::log10(amplitude / 0.5) << " dB\n";
        EXPECT_NEAR(20 * std::log10(amplitude / 0.5), 20 * std::log10(read / vref), 0.3) << v;
    }
}

TEST_F(PulseServer, SnapshotRestoresAndChangesElsewhereAreNoticed) {
    PulseRig rig;
    rig.level->TakeSnapshot();
    // Master and Capture, of the pulse mixer (and of the default one, when
    // the system's ALSA configuration makes PulseAudio the default).
    EXPECT_GE(rig.level->SnapshotSize(), 2u);
    rig.level->SelectLines();
    int changed = 0;
    rig.level->SetListener([&](std::uint32_t m) { changed += m == kMixerControlChanged; });
    rig.level->OnChangeEvents();  // our own changes so far
    changed = 0;

    // Another program moves the master.
    YMixerApi other({&rig.mixers}, &rig.alsa);
    ASSERT_TRUE(other.Open(0));
    MixerLine master;
    ASSERT_TRUE(other.GetLine(master, kMixerDstSpeakers));
    std::uint32_t l = 20000, r = 20000;
    ASSERT_TRUE(other.SetVolume(master, l, r));
    const std::vector<int> fds = rig.level->ChangeDescriptors();
    ASSERT_FALSE(fds.empty());
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!changed && std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> p;
        for (int fd : fds) p.push_back({fd, POLLIN, 0});
        if (poll(p.data(), p.size(), 200) > 0) rig.level->OnChangeEvents();
    }
    EXPECT_GT(changed, 0);
    std::uint32_t gl = 0, gr = 0;
    ASSERT_TRUE(rig.level->GetVolume(YMixerRole::MasterOut, gl, gr));
    EXPECT_NEAR(gl, 20000.0, 2.0);

    rig.level->RestoreSnapshot();
    EXPECT_TRUE(WaitForVolume(other, master, 65536));
}
