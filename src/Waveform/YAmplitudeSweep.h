#pragma once
// "Amplitude Sweep" (id 1006, category 1000): one tone at a sequence of
// levels, each step the tone (cut back to its last zero crossing) followed
// by a pause. Step k of N plays at start + k · (stop - start) / N: in dB, or
// with "Linear scale" in linear amplitude. The measurement system evaluates
// the recording itself: Analyze always returns false.
//
// Parameters: "Duration", "Pause", "Frequency", "Start amplitude", "Stop
// amplitude" (dB), "Number of points", "Linear scale". Analysis parameters:
// "Time window", "Window type", "FFT size", then the amplitude records again
// (the same fields). The sync pulse is always played. A sweep longer than
// kMaxSamples samples is refused with a message.
//
// Threading: as IWaveform.

#include "Waveform/YToneStimulus.h"

class YAmplitudeSweep : public YToneStimulus {
public:
    static constexpr int kId = 1006;
    static constexpr const char* kCaption = "Amplitude Sweep";

    explicit YAmplitudeSweep(sonbex::platform::IPrompt* prompt = nullptr);

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels, ResponseList& responses, int, std::uint32_t) override;

    // The linear amplitude of step k (0 .. points - 1).
    double StepAmplitude(int k) const;

private:
    double duration_ = 0.05;
    double pause_ = 0.1;
    double frequency_ = 1000.0;
    double startDb_ = -40.0;
    double stopDb_ = 0.0;
    int points_ = 10;
    bool linear_ = false;
    double timeWindow_ = 0.05;
    int windowType_ = 2;
    int fftSize_ = -1;
};
