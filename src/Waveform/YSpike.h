#pragma once
// "Spike" (id 2003, category 2000): a rectangular pulse of p samples at full
// scale followed by silence up to the total length, analysed into an
// impulse response (see YPulseStimulus) scaled by 0.7704154791011159 (the
// level constant, -2.2655 dB) and the left output level. A compensation from
// the calibration source is applied when one is offered.
//
// Parameters: "Pulse length" (s; a negative length is one sample), "Total
// length" (s), "Automatic length" (when on the pulse is one sample). The
// sync pulse is never played.
//
// Threading: as IWaveform.

#include "Waveform/YPulseStimulus.h"

class YSpike : public YPulseStimulus {
public:
    static constexpr int kId = 2003;
    static constexpr double kLevel = 0.7704154791011159;

    YSpike();

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

private:
    double pulseLength_ = -1.0;
    double totalLength_ = 0.2;
    bool automatic_ = true;
};
