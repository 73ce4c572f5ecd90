#pragma once
// "Sin² Pulse" (id 2004, category 2000): a sin² pulse of the given length
// (at least 3 samples: the first sample of the pulse is always 0) followed
// by silence up to the total length, analysed into an impulse response (see
// YPulseStimulus) after both channels lose the mean of their tail. No level
// constant and no compensation are applied.
//
// Parameters: "Pulse length" (s), "Total length" (s). The user may switch the
// sync pulse.
//
// Threading: as IWaveform.

#include "Waveform/YPulseStimulus.h"

class YSin2 : public YPulseStimulus {
public:
    static constexpr int kId = 2004;
    static constexpr int kMinPulseSamples = 3;

    YSin2();

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

private:
    double pulseLength_ = 0.001;
    double totalLength_ = 0.2;
};
