#pragma once
// Sound servers an audio test starts and stops itself, and the ALSA
// configuration that reaches them. Used by the tests of the ALSA backend and
// by those of the headless program's sound verbs (which run the program with
// this process's environment).
//
// JackServer: a JACK server with the dummy driver and two loop-back ports,
// reached through the ALSA "jack" PCM plugin ("sonbex_jack") wrapped in a
// "plug" PCM ("sonbex_loop", with the name hint "JACK loop-back"), written to
// a configuration of the test's own (ALSA_CONFIG_PATH points at it).
//
// PulseServer: a PulseAudio server with a null sink in a private
// XDG_RUNTIME_DIR and HOME, reached through the ALSA "pulse" plugin of the
// system's configuration.

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace sound_servers {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The loop-back PCM, its description and the server's period.
inline constexpr const char* kPcm = "sonbex_loop";
inline constexpr const char* kPcmDescription = "JACK loop-back";
inline constexpr int kJackRate = 48000, kJackPeriod = 1024;

// Starts `args` with stdout and stderr to `log`; 0 when it cannot start.
inline pid_t Spawn(std::vector<std::string> args, const fs::path& log) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

// SIGTERM, then SIGKILL after `grace`; reaps the process.
inline void Stop(pid_t& pid, std::chrono::milliseconds grace = 5000ms) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    pid = 0;
}

// Runs `args` to the end; true when it exits with 0.
inline bool RunTool(const std::vector<std::string>& args, const fs::path& log) {
    pid_t pid = Spawn(args, log);
    if (pid <= 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Until `ready` holds, the process has died, or the time is up.
template <class Ready>
bool WaitFor(Ready ready, pid_t& pid, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (ready()) return true;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = 0;
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

inline std::string ReadAll(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline fs::path MakeTempDir(const char* what) {
    std::string name = std::string("/tmp/") + what + "-XXXXXX";
    return mkdtemp(name.data());
}

class JackServer : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempDir("ywave-jack");
        // One fixed name per test: JACK's registry holds few servers and
        // reclaims a dead server's entry only for a new one of the same name.
        server_ = std::string("sonbex-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        server_.resize(std::min<std::size_t>(server_.size(), 60));
        std::ofstream(dir_ / "asound.conf")
            << "</usr/share/alsa/alsa.conf>\n"
               "pcm.sonbex_jack {\n"
               "  type jack\n"
               "  playback_ports { 0 loopback:playback_1 1 loopback:playback_2 }\n"
               "  capture_ports { 0 loopback:capture_1 1 loopback:capture_2 }\n"
               "}\n"
               "pcm."
            << kPcm
            << " {\n  type plug\n  slave.pcm \"sonbex_jack\"\n"
               "  hint { show on description \""
            << kPcmDescription << "\" }\n}\n";
        // Before the first ALSA call: the configuration is read once per process.
        setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
        setenv("JACK_DEFAULT_SERVER", server_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        snd_config_update_free_global();
        ASSERT_TRUE(StartServer()) << "the JACK server did not come up; see " << dir_ / "jackd.log";
    }

    void TearDown() override {
        StopServer();
        if (HasFailure()) std::cout << "jackd's output:\n" << ReadAll(dir_ / "jackd.log") << "\n";
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Ready once the plug PCM opens (bounded wait).
    bool StartServer() {
        pid_ = Spawn({"jackd", "-n", server_, "-r", "-S", "-t", "4000", "-L", "2", "-d", "dummy", "-r",
                      std::to_string(kJackRate), "-p", std::to_string(kJackPeriod)},
                     dir_ / "jackd.log");
        if (pid_ <= 0) return false;
        return WaitFor(
            [] {
                snd_pcm_t* pcm = nullptr;
                if (snd_pcm_open(&pcm, kPcm, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) != 0) return false;
                snd_pcm_close(pcm);
                return true;
            },
            pid_, 15s);
    }

    void StopServer() { Stop(pid_); }

    // The server's own round trip from loopback:playback_1 to
    // loopback:capture_1 as jack_iodelay measures it, in frames; empty when it
    // gives no steady answer (`log` says why). jack_iodelay runs until it is
    // killed and the server may then stall for a while over the client it
    // lost: measure last.
    std::optional<double> MeasureIoDelay(std::string& log) {
        const fs::path out = dir_ / "iodelay.log";
        // Line-buffered, so the figures are there while it runs.
        pid_t meter = Spawn({"stdbuf", "-oL", "jack_iodelay"}, out);
        if (meter <= 0) return log = "cannot start jack_iodelay", std::nullopt;
        const fs::path connectLog = dir_ / "connect.log";
        bool connected = false;
        for (int attempt = 0; attempt < 50 && !connected; ++attempt) {
            std::this_thread::sleep_for(100ms);
            connected = RunTool({"jack_connect", "jack_delay:out", "loopback:playback_1"}, connectLog) &&
                        RunTool({"jack_connect", "loopback:capture_1", "jack_delay:in"}, connectLog);
        }
        // It prints "<frames> frames <ms> ms total roundtrip latency" every
        // half second; three equal figures in a row are the answer.
        std::optional<double> result;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (connected && !result && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(250ms);
            std::istringstream lines(ReadAll(out));
            std::vector<double> figures;
            for (std::string line; std::getline(lines, line);) {
                double frames = 0;
                if (line.find("total roundtrip latency") != std::string::npos &&
                    std::sscanf(line.c_str(), "%lf frames", &frames) == 1)
                    figures.push_back(frames);
            }
            if (figures.size() >= 3 && figures.end()[-1] == figures.end()[-2] &&
                figures.end()[-2] == figures.end()[-3])
                result = figures.back();
        }
        // Disconnected first, so the server never waits on a client that is going.
        RunTool({"jack_disconnect", "jack_delay:out", "loopback:playback_1"}, connectLog);
        RunTool({"jack_disconnect", "loopback:capture_1", "jack_delay:in"}, connectLog);
        Stop(meter);
        if (!result)
            log = (connected ? "" : "cannot connect jack_iodelay: " + ReadAll(connectLog)) + ReadAll(out);
        return result;
    }

    fs::path dir_;
    std::string server_;
    pid_t pid_ = 0;
};

class PulseServer : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeTempDir("ywave-pulse");
        fs::create_directory(dir_ / "run");
        fs::permissions(dir_ / "run", fs::perms::owner_all);
        // The server and every client of this test (the headless program
        // too) meet in the private runtime directory and share the cookie
        // under HOME.
        // No client may start a server of its own when this one is not there.
        for (const char* name : kVariables)
            if (const char* v = std::getenv(name)) saved_.emplace_back(name, v);
        std::ofstream(dir_ / "client.conf") << "autospawn = no\n";
        setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
        setenv("HOME", dir_.c_str(), 1);
        setenv("PULSE_CLIENTCONFIG", (dir_ / "client.conf").c_str(), 1);
        unsetenv("ALSA_CONFIG_PATH");
        unsetenv("PULSE_SERVER");
        snd_config_update_free_global();
        ASSERT_TRUE(StartServer()) << "the PulseAudio server did not come up:\n"
                                   << ReadAll(dir_ / "pulse.log");
    }

    void TearDown() override {
        StopServer();
        if (HasFailure()) std::cout << "pulseaudio's output:\n" << ReadAll(dir_ / "pulse.log") << "\n";
        for (const char* name : kVariables) unsetenv(name);
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Ready once the pulse PCM opens (bounded wait).
    bool StartServer() {
        pid_ = Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "-L",
                      "module-native-protocol-unix", "-L", "module-null-sink"},
                     dir_ / "pulse.log");
        if (pid_ <= 0) return false;
        return WaitFor(
            [] {
                snd_pcm_t* pcm = nullptr;
                if (snd_pcm_open(&pcm, "pulse", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) != 0) return false;
                snd_pcm_close(pcm);
                return true;
            },
            pid_, 15s);
    }

    void StopServer() { Stop(pid_); }

    static constexpr const char* kVariables[] = {"XDG_RUNTIME_DIR", "HOME", "PULSE_CLIENTCONFIG"};
    fs::path dir_;
    pid_t pid_ = 0;
    std::vector<std::pair<std::string, std::string>> saved_;
};

}  // namespace sound_servers
