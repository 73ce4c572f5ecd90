#pragma once
// "IM Distortion" (id 1004, category 1000): two tones at once (frequency 1
// with the weight g = 1 / (1 + a), frequency 2 with 1 - g, a the level of
// frequency 2 relative to frequency 1), frequency 1 optionally a band-limited
// square wave (its odd harmonics up to Nyquist, then no filter, or a
// first-order low-pass at 30 kHz or 100 kHz where the rate allows). The
// analysis gives the windowed spectrum of the recording on the analysis axis
// (tags 100, 101 linear magnitude, 102 phase): no reference division.
//
// The period is rebuilt whenever the rate, a tone parameter, the time window
// (its length) or the sync pulse (its zero-crossing trim) changes.
//
// Parameters: "Frequency 1", "Frequency 2", "Freq. 2 level" (%), "Frequency 1
// Waveform" (0 sine, 1 square to 30 kHz, 2 square to 100 kHz, 3 square).
// Analysis parameters: "Time window", "Window type", "FFT size", "Start
// frequency", "Stop frequency", "Points per octave", "Linear scale". The
// user may switch the sync pulse. The analysis is always one-channel.
//
// Threading: as IWaveform.

#include "Waveform/YToneStimulus.h"

class YIMD : public YToneStimulus {
public:
    static constexpr int kId = 1004;

    YIMD();

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

private:
    struct Key {
        double rate = 0.0, f1 = 0.0, f2 = 0.0, level = 0.0, window = 0.0;
        int waveform = 0;
        bool syncPulse = false;
        friend bool operator==(const Key&, const Key&) = default;
    };
    Key CurrentKey() const;
    bool Build();

    double frequency1_ = 1000.0;
    double frequency2_ = 1100.0;
    double level2_ = 100.0;
    int waveform_ = 0;
    SpectrumAxis axis_{0.05, 2, -1, 20.0, 20000.0, 96, false};

    Key builtKey_;
};
