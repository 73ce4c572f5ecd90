#pragma once
// The level test of the "Level's" window: plays a maximum-length sequence in
// a loop, checks the input peaks of every recorded block through the mixer
// (the meters follow), and in "Auto" steps the playback volume up from the
// bottom until the loop-back input reads between 0 and 3.01 dB peak to peak.
//
// "Auto" never raises the output above a ceiling (the output level in force
// when the test started, at most the calibration's reference) without asking
// the user first; declined, the test ends at the last level below it.
//
// Threads: construct, start and stop on the thread running `loop`; the
// engine's callbacks come from there too.

#include "Platform/IPrompt.h"
#include "Platform/MessageLoop.h"
#include "YWave/IWaveBackend.h"
#include "YWave/YMemWave.h"
#include "YWave/YMixer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

inline constexpr const char* kLevelTestCantStart =
    "Can't start level test !\n\nCheck your soundcard settings... ";
inline constexpr const char* kLevelTestNoMemory = "Out of memory !";
inline constexpr const char* kLevelTestFailed =
    "Failed to set the levels !\n\nTry increasing the input gain...";

struct YLevelTestSetup {
    int inputDevice = -1, outputDevice = -1;  // wave device numbers, -1 the default
    double sampleRate = 48000;
    int bits = 16;
    int inChannels = 2, outChannels = 2;
    int bufferCount = 4;
    bool reverseChannels = false;
    double amplitude = 0.9;   // of the sequence, full scale 1
    double ceilingVolts = 0;  // 0: the calibration's reference voltage
};

class YLevelTest {
public:
    enum Mode { kPlay = 0, kAuto = 1 };
    enum class Outcome { Running, Stopped, Set, Failed, Declined, CantStart };

    YLevelTest(YMixer& mixer, sonbex::platform::MessageLoop& loop, IWaveBackend& backend,
               YLevelTestSetup setup, int mode, sonbex::platform::IPrompt& prompt);
    ~YLevelTest();
    YLevelTest(const YLevelTest&) = delete;
    YLevelTest& operator=(const YLevelTest&) = delete;

    // The order of the test's sequence: the smallest e >= 10 with 2^e >= round(rate / 3).
    static int MlsOrder(double sampleRate);

    // Starts the engine (the messages of a failure go to the prompt); in
    // "Auto" the output first drops to the lowest step.
    bool Start();
    // Ends the test: the engine stops and the mixer saves its preset; `onEnd`
    // hears the outcome (once).
    void End(Outcome outcome = Outcome::Stopped);
    void SetOnEnd(std::function<void(Outcome)> onEnd) { onEnd_ = std::move(onEnd); }

    Outcome Result() const { return outcome_; }
    int MasterStep() const { return ko_; }
    int WaveStep() const { return kw_; }
    int Order() const { return order_; }
    long Blocks() const { return blocks_; }

private:
    bool OnBlock(const std::uint8_t* input, int frames);
    void Adjust();
    void SetStep(YMixerRole role, int k);
    bool RaiseAllowed(YMixerRole role, int& k);

    YMixer& mixer_;
    sonbex::platform::MessageLoop& loop_;
    IWaveBackend& backend_;
    YLevelTestSetup setup_;
    const int mode_;
    sonbex::platform::IPrompt& prompt_;
    int order_ = 0;
    std::vector<std::uint8_t> pcm_;
    std::unique_ptr<YMemWave> wave_;
    int ko_ = 1, kw_ = 1;
    bool waveUsable_ = false, confirmed_ = false;
    double ceiling_ = 0;
    int settle_ = 0;  // blocks recorded before the last change, still to pass
    long blocks_ = 0;
    Outcome outcome_ = Outcome::Running;
    bool ended_ = false;
    std::function<void(Outcome)> onEnd_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
