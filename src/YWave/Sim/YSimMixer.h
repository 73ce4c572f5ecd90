#pragma once
// The mixer of the simulated sound card: "Master" (the speakers destination),
// "PCM" (the wave-out source), "Capture" (the wave-in destination) and the
// recording sources ("Mic", "Line" by default), each a stereo volume control
// of a chosen law; the master, the PCM control and every source's monitor
// have a mute switch. At maximum a control passes the signal unchanged.
//
// Attached to a YSimCard, its gains act at the card's hardware stage: the
// card reads them once per period, so a change takes effect from the next
// block the card runs, never on blocks already recorded.
//
// Threads: the mixer may be changed from any thread while the card runs
// (one mutex guards its state).

#include "YWave/IMixerBackend.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class YSimCard;

struct YSimMixerConfig {
    YMixerLaw law = YMixerLaw::Linear;
    double dbPerUnit = 0.5;  // Db law
    std::uint32_t outputMaximum = 100, inputMaximum = 100;
    std::uint32_t waveMaximum = 0;  // 0: the same as the master
    bool hasWave = true;            // a PCM control below the master
    std::vector<std::string> inputs{"Mic", "Line"};
    bool failOpen = false;
};

class YSimMixer : public IMixerBackend {
public:
    static constexpr const char* kName = "Simulated sound card";

    explicit YSimMixer(YSimMixerConfig config = {});
    ~YSimMixer() override;

    std::vector<YMixerInfo> Mixers() override;
    std::unique_ptr<IMixerDevice> OpenMixer(int index, std::string& error) override;

    // The gains the card applies now: output channel 1 and 2, input 1 and 2.
    std::array<double, 2> OutputGain() const;
    std::array<double, 2> InputGain() const;
    // The card's streams opened from now on apply this mixer's gains.
    void Attach(YSimCard& card);

    // For tests: a control's value and a switch's state by element name.
    std::array<std::uint32_t, 2> Volume(const std::string& element) const;
    void SetVolume(const std::string& element, std::uint32_t left, std::uint32_t right);
    bool MonitorMuted(const std::string& input) const;
    int SelectedInput() const;
    // Counts control writes (volume, mute, selection) made through the mixer.
    long Writes() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};
