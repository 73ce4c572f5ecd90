#pragma once
// What the single-shot stimuli share (spike, sin² pulse, wave file): each
// plays one stimulus per period and turns the recorded period into an
// impulse response, like a period of an MLS.
//
//   - mode 1: both recorded channels, unprocessed;
//   - two-channel work: the dual-channel transfer of the measured channel
//     over the reference channel;
//   - one-channel work: the recorded period deconvolved by the stimulus that
//     was played, so the response is the device's, whatever the pulse's
//     length or the file's content. The division is regularised (bins where
//     the stimulus is more than 60 dB below its peak fade out instead of
//     being amplified), which limits the response to the stimulus's band.
//
// The deconvolution treats the period as a linear convolution: exact when the
// stimulus ends in silence at least as long as the device's response (a
// pulse within its total length, a file with a silent tail).
//
// Threading: as IWaveform.

#include "Waveform/YWaveformBase.h"

class YPulseStimulus : public YWaveformBase {
public:
    // Bins where the stimulus is this far below its peak (amplitude) are
    // not amplified by the deconvolution.
    static constexpr double kRegularisation = 1e-3;

    // out (recorded.Size() samples) = recorded deconvolved by stimulus: both
    // zero padded to a power of two at least twice the longer, divided with
    // the regularisation above. False when the stimulus is silent or a
    // vector cannot be allocated.
    static bool Deconvolve(YDoubleVec& out, const YDoubleVec& recorded, const YDoubleVec& stimulus);

protected:
    using YWaveformBase::YWaveformBase;

    struct ImpulseRules {
        bool removeTailMean = false;  // both channels lose the mean of their tail first
        bool compensate = false;      // ask the calibration source for a compensation
        bool deconvolve = true;       // one-channel work divides by the stimulus
        double scale = 1.0;           // the response is multiplied by this
    };
    // The analysis described above over one period of samples_.Size().
    bool AnalyzeImpulse(RecordedChannels recording, ResponseList& responses, int count, std::uint32_t flags,
                        const ImpulseRules& rules);
};
