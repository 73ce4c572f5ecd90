#pragma once
// A JACK server of the test's own: the dummy driver with two loop-back ports,
// reached through the ALSA "jack" PCM plugin wrapped in a "plug" PCM named
// kPcm (a configuration written here, ALSA_CONFIG_PATH pointing at it). Each
// test of the fixture starts the server in SetUp and stops it in TearDown.

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace jack_test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline constexpr const char* kPcm = "sonbex_loop";

class JackServer : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/ywave-jack-XXXXXX";
        dir_ = mkdtemp(name);
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
            << kPcm << " {\n  type plug\n  slave.pcm \"sonbex_jack\"\n}\n";
        // Before the first ALSA call: the configuration is read once per process.
        setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
        setenv("JACK_DEFAULT_SERVER", server_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        snd_config_update_free_global();

        const std::string log = (dir_ / "jackd.log").string();
        std::vector<std::string> args = {"jackd", "-n", server_, "-r", "-S",    "-t", "4000", "-L",
                                         "2",     "-d", "dummy", "-r", "48000", "-p", "1024"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc = posix_spawnp(&pid_, "jackd", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(rc, 0) << "cannot start jackd";

        // Ready once the plug PCM opens (bounded wait).
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            snd_pcm_t* pcm = nullptr;
            if (snd_pcm_open(&pcm, kPcm, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) == 0) {
                snd_pcm_close(pcm);
                ready_ = true;
                break;
            }
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                break;
            }
            std::this_thread::sleep_for(100ms);
        }
        ASSERT_TRUE(ready_) << "the JACK server did not come up; see " << log;
    }

    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            const auto deadline = std::chrono::steady_clock::now() + 5s;
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
            std::ifstream log(dir_ / "jackd.log");
            std::cout << "jackd's output:\n" << log.rdbuf() << "\n";
        }
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
    std::string server_;
    pid_t pid_ = 0;
    bool ready_ = false;
};

}  // namespace jack_test
