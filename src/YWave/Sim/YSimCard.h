#pragma once
// The simulated sound card: a backend with one device, "Simulated sound card",
// whose sample clock runs on the owner's message loop: as fast as the owner
// consumes the blocks (the default), or paced by the loop's clock (a virtual
// clock in tests, so no test waits in real time).
//
// Output blocks play one after the other without a gap, as from a device's
// buffer: a block is reported done once the next one has started, and a block
// that ends with none queued after it ends the run with late output.
//
// What the inputs see: input 1 the device under test driven by output 1,
// input 2 the loop-back of output 1 (the reference); both after the round-trip
// latency (whole and fractional samples), plus a DC offset and seeded Gaussian
// noise per input, clipped at the configured limits (one-sided if wanted) and
// quantised at the stream's width. Further inputs carry noise and offset only.
//
// Threads: the owner's thread only (the one running the stream target's loop).

#include "YWave/IWaveBackend.h"
#include "YWave/Sim/YSimDevices.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct YSimCardConfig {
    // What format queries accept.
    std::vector<int> rates{8000, 11025, 22050, 44100, 48000, 88200, 96000, 176400, 192000};
    std::vector<int> widths{8, 16, 20, 24, 32};
    int maxInChannels = 2;
    int maxOutChannels = 2;

    bool realTime = false;        // pace blocks by the loop's clock
    double latencySamples = 0.0;  // round trip, output to input
    std::array<double, 2> dcOffset{0.0, 0.0};
    std::array<double, 2> noiseRms{0.0, 0.0};
    std::uint64_t seed = 1;
    double clipHigh = 1.0, clipLow = -1.0;  // full scale
    bool loopback = true;                   // input 2 carries output 1
    bool swapInputs = false;                // exchange inputs 1 and 2

    // Faults. A count k makes the fault happen at the (k+1)-th block of a run.
    bool failOpen = false;
    bool failStart = false;
    int xrunAfterBlocks = -1;
    int lostAfterBlocks = -1;
    int lateAfterBlocks = -1;  // the owner's output block misses its time

    // Sees each output block as the card starts to play it (tests, meters).
    std::function<void(const std::uint8_t* block, int frames)> onOutputBlock;

    // The mixer's gains at the card's hardware stage (YSimMixer::Attach sets
    // it): read once per period, output gains on the played channels, input
    // gains on the recorded ones before the offset and noise; empty: unity.
    std::function<void(std::array<double, 2>& output, std::array<double, 2>& input)> mixerGains;

    // Builds the device under test for a run at the given rate; empty: a wire.
    std::function<std::unique_ptr<ISimDevice>(double rate)> deviceUnderTest;

    // The card the programs list as "Simulated sound card": it behaves like a
    // plain one, real-time paced, a short round trip, a noise floor near -100 dB.
    static YSimCardConfig Plain() {
        YSimCardConfig c;
        c.realTime = true;
        c.latencySamples = 64;
        c.noiseRms = {1e-5, 1e-5};
        return c;
    }
};

class YSimCard : public IWaveBackend {
public:
    static constexpr const char* kName = "Simulated sound card";

    explicit YSimCard(YSimCardConfig config = {}) : config_(std::move(config)) {}
    // Takes effect with the next stream opened.
    YSimCardConfig& Config() { return config_; }

    std::vector<YWaveDevice> Devices() override;
    bool CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) override;
    std::unique_ptr<IWaveStream> Open(const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
                                      std::string& error) override;

    // Blocks the card has run through since it was made, over all runs.
    long BlocksRun() const { return *blocksRun_; }

private:
    YSimCardConfig config_;
    std::shared_ptr<long> blocksRun_ = std::make_shared<long>(0);
};
