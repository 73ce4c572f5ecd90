#include "Cli/SoundCard.h"

#include "Cli/CliVerb.h"

#include <atomic>
#include <chrono>
#include <csignal>

namespace sonbex::cli {

namespace {
std::atomic<bool> interrupted{false};
extern "C" void OnInterrupt(int) { interrupted = true; }
}  // namespace

SoundCard::SoundCard() : sim_(YSimCardConfig::Plain()), devices_({&alsa_, &sim_}) {
    stopHandler_ = loop_.AddHandler([this](const platform::Message& m) {
        if (m.id == kWaveDeviceStopped) loop_.Quit();
    });
}

int SoundCard::Device(const std::string& name) {
    std::string why;
    const int index = devices_.Find(name, why);
    if (index == -2 && !why.empty()) throw VerbFailure("no sound device '" + name + "': " + why);
    if (index == -2)
        throw VerbFailure("no sound device '" + name +
                          "'; 'sonbex3-cli devices' lists them, and 'alsa:NAME' names any ALSA PCM");
    return index;
}

void SoundCard::Run(YMemWave& wave) {
    interrupted = false;
    struct sigaction action {
    }, previous{};
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, &previous);
    const platform::TimerId watch = loop_.StartTimer(
        std::chrono::milliseconds(50),
        [&wave] {
            if (interrupted) wave.Stop();
        },
        true);
    const bool started = wave.Start();
    if (started) loop_.Run();
    loop_.StopTimer(watch);
    sigaction(SIGINT, &previous, nullptr);
    if (!started) throw VerbFailure("cannot start the sound device: " + wave.LastError());
    if (!wave.LastError().empty()) throw VerbFailure("the sound device stopped: " + wave.LastError());
}

}  // namespace sonbex::cli
