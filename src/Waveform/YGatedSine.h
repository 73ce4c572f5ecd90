#pragma once
// "Gated Sine Wave" (id 1001, category 1000): one sine burst per frequency of
// a stepped sweep (or a sweep table), each followed by a pause, every tone
// cut out of the recording where it was played, transformed on its own and
// read at its frequency. The result is a frequency response with four
// distortion curves: tags 100 (Hz), 101 (linear magnitude), 102 (phase,
// radians), 103 THD, 104 THD+N, 105 H2, 106 H3 (percent). Mode 1 gives the
// measured and the reference channel as two magnitude/phase pairs instead.
//
// Structure: the base duration T = 4 / start frequency; tones below four times
// the lowest tone play 4T, the others T, each in a slot of its burst plus the
// pause. The first burst is a cosine 1.25 times as long (its first quarter
// period of the lowest tone is skipped by the analysis), the others sines.
//
// The magnitude is the transfer times the level constant of the rate and
// the left output level, the same for every start frequency and transform
// size (0.6505 at 48 kHz for a unit transfer).
//
// In two-channel work the channels keep their delay: each tone is read from
// the measured channel where it arrived there, and the phase gets back the
// delay's slope -2π f d / fs (d > 0 when the measured channel is later).
//
// Parameters: "Pause", "Start frequency", "Stop frequency", "Points per
// octave", "Linear scale". Analysis parameters: "Window type", "FFT size"
// (-1 automatic, else the smallest transform order), then the frequency
// records again (the same fields). The sync pulse is never used. At most
// kMaxTones tones and kMaxSamples samples: larger settings are refused with
// a message.
//
// Threading: as IWaveform.

#include "Waveform/YToneStimulus.h"
#include "YLib/YFreqVec.h"

class YGatedSine : public YToneStimulus {
public:
    static constexpr int kId = 1001;
    static constexpr const char* kCaption = "Gated Sine Wave";

    explicit YGatedSine(sonbex::platform::IPrompt* prompt = nullptr);

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

    double BaseDuration() const { return baseDuration_; }
    double BurstDuration() const { return burstDuration_; }
    int FftOrder() const { return fftOrder_; }
    int MinFftOrder() const { return minFftOrder_; }
    // The transform order tone `index` had in the last analysis; 0 when it
    // had none.
    int OrderOfTone(int index) const;

private:
    // The tone list of Generate and Analyze; false (with a message when the
    // list is too long) when none can be made.
    bool Tones(YFreqVec& tones) const;

    double pause_ = 0.1;
    double startFrequency_ = 100.0;
    double stopFrequency_ = 20000.0;
    int pointsPerOctave_ = 6;
    bool linear_ = false;
    int windowType_ = 5;
    int fftSize_ = -1;

    double baseDuration_ = 0.0;
    double burstDuration_ = 0.0;
    int fftOrder_ = 0;
    int minFftOrder_ = 0;
    std::vector<int> toneOrders_;
};
