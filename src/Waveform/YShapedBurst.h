#pragma once
// "Shaped Burst" (id 1002, category 1000): one windowed sine burst of
// "n Cycles" periods per frequency of a stepped sweep (or a sweep table),
// every burst in a slot as long as the burst of the lowest tone, followed by
// a pause. Each burst is cut out of the recording, transformed on its own and
// read at its frequency. The result: tags 100 (Hz), 101 (linear magnitude of
// the transfer, reference normalised at the geometric middle of the range),
// 102 (phase, radians), 103 THD and 104 THD+N (percent, every harmonic below
// Nyquist). Mode 1 gives both channels as magnitude/phase pairs instead.
//
// Burst shapes: 0 rectangular, 1 Bartlett, 2 Hanning, 3 Hamming, 4 Blackman,
// 5 Blackman-Harris: the periodic windows over the burst, without their gain
// correction.
//
// In two-channel work each burst is read from the measured channel where it
// arrived there, and the phase gets back the delay's slope -2π f d / fs.
//
// Parameters: "Burst shape", "n Cycles", "Pause", "Start frequency", "Stop
// frequency", "Points per octave", "Reverse", "Linear scale". Analysis
// parameters: "Window type", "FFT size", then the frequency records (the
// same fields). The sync pulse is always played. At most kMaxTones tones and
// kMaxSamples samples: larger settings are refused with a message.
//
// Threading: as IWaveform.

#include "Waveform/YToneStimulus.h"
#include "YLib/YFreqVec.h"

class YShapedBurst : public YToneStimulus {
public:
    static constexpr int kId = 1002;
    static constexpr const char* kCaption = "Shaped Burst";

    explicit YShapedBurst(sonbex::platform::IPrompt* prompt = nullptr);

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

    // The burst of f: round(cycles · sampleRate / f) samples of w(m) ·
    // sin(2π f m / sampleRate), w the shape. A shape outside 0..5 is silent.
    static bool MakeBurst(YDoubleVec& out, int shape, int cycles, double f, double sampleRate);
    // The transform order of the last analysis.
    int FftOrder() const { return fftOrder_; }

private:
    bool Tones(YFreqVec& tones) const;

    int shape_ = 2;
    int cycles_ = 5;
    double pause_ = 0.1;
    double startFrequency_ = 20.0;
    double stopFrequency_ = 20000.0;
    int pointsPerOctave_ = 12;
    bool reverse_ = false;
    bool linear_ = false;
    int windowType_ = 2;
    int fftSize_ = -1;
    int fftOrder_ = 0;
};
