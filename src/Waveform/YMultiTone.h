#pragma once
// "Multi-Tone" (id 1005, category 1000): all tones of a logarithmic series at
// once, one period of a power-of-two transform (each tone on its own bin, in
// cosine phase or at a random phase from the system's seeded generator),
// scaled to full scale. The analysis windows the recorded period and the
// reference (the second channel in two-channel work, else the generated
// period), divides the two bin by bin within the generated range (the
// reference normalised at the range's geometric middle; outside the range
// the measured spectrum stands) and reads the result on the analysis axis:
// tags 100 (Hz), 101 (linear magnitude), 102 (phase, radians).
//
// The period is rebuilt whenever the sample rate or a parameter it depends
// on changes (the generation range, points and phase switch, and the lower
// analysis start and the higher analysis points that set its length).
//
// Parameters: "Start frequency", "Stop frequency", "Points per octave",
// "Random phase". Analysis parameters: "Time window", "Window type", "FFT
// size", "Start frequency", "Stop frequency", "Points per octave", "Linear
// scale" (an axis of its own). The user may switch the sync pulse.
//
// Threading: as IWaveform.

#include "Waveform/YToneStimulus.h"

class YMultiTone : public YToneStimulus {
public:
    static constexpr int kId = 1005;
    // The seed of the random phases: the same settings give the same period.
    static constexpr std::uint32_t kPhaseSeed = 1;

    YMultiTone();

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

    // The transform order of the period last generated.
    int FftOrder() const { return fftOrder_; }
    // The bins that carry a tone in the period last generated.
    int ToneBins() const { return toneBins_; }

private:
    struct Key {
        double rate = 0.0, start = 0.0, stop = 0.0, analysisStart = 0.0;
        int points = 0, analysisPoints = 0;
        bool random = false;
        friend bool operator==(const Key&, const Key&) = default;
    };
    Key CurrentKey() const;
    bool Build();

    double startFrequency_ = 20.0;
    double stopFrequency_ = 20000.0;
    int pointsPerOctave_ = 16;
    bool randomPhase_ = true;
    SpectrumAxis axis_{0.05, 2, -1, 20.0, 20000.0, 64, false};

    int fftOrder_ = 0;
    int toneBins_ = 0;
    bool generated_ = false;
    Key generatedKey_;
};
