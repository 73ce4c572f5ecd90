#pragma once
// What the tone-sequence stimuli share (gated sine, shaped burst, multitone,
// IM distortion, amplitude sweep): their tone list, their error boxes, the
// bounds that keep a stimulus within reasonable time and memory, and the
// evaluation of one windowed tone into its fundamental, harmonic distortion
// and distortion plus noise.
//
// Threading: as IWaveform (one thread at a time). The prompt handed in must
// outlive the module and be callable from the thread that runs it.

#include "Waveform/YWaveformBase.h"
#include "YLib/YComplex.h"

#include <initializer_list>
#include <string>
#include <utility>

class YComplexVec;
namespace sonbex::platform {
class IPrompt;
}

class YToneStimulus : public YWaveformBase {
public:
    // Longest stimulus a tone module generates: 2^25 samples (about 11
    // minutes at 48 kHz, 256 MB of samples before rendering).
    static constexpr long long kMaxSamples = 1LL << 25;
    // Most tones a gated sine or a shaped burst plays in one run.
    static constexpr int kMaxTones = 2048;

    // The distortion figures of one tone, in percent, never below the floor
    // of the sample width.
    struct ToneFigures {
        YComplex measured;   // the measured channel's bin at the tone
        YComplex reference;  // the reference channel's bin at the tone
        double thd = 0.0;    // harmonics counted below, against the fundamental
        double thdN = 0.0;   // the harmonics and the A-weighted rest of the spectrum
        double h2 = 0.0;
        double h3 = 0.0;
    };
    // How a tone is evaluated.
    struct ToneRules {
        int windowType = 5;
        int windowLength = 0;       // samples the window spans
        double notchQ = 8.0;        // of the notch that removes the fundamental
        int lastHarmonic = 3;       // harmonics 2 .. lastHarmonic (below Nyquist) make THD
        bool snapHarmonics = true;  // read harmonics at whole samples per period
    };

    // The analysis settings of the modules that read a windowed spectrum on
    // an axis of their own (multitone, IM distortion): the records "Time
    // window", "Window type", "FFT size", "Start frequency", "Stop
    // frequency", "Points per octave", "Linear scale".
    struct SpectrumAxis {
        double timeWindow = 0.05;
        int windowType = 2;
        int fftSize = -1;
        double start = 20.0;
        double stop = 20000.0;
        int points = 64;
        bool linear = false;
    };

    // The floor of every distortion figure: 100 / 2^min(bits - 1, 23) percent.
    double DistortionFloor() const;

protected:
    // caption: the caption of the module's error boxes; prompt may be null
    // (no box is shown).
    YToneStimulus(int id, const char* name, int syncPulseMode, bool syncPulse,
                  sonbex::platform::IPrompt* prompt, const char* caption);

    // The tone list: from the sweep table named by the base's file name when
    // useTable is set and a name is given, else f1..f2 with n points per
    // octave (or n linear points); reversed with descending. False when no
    // list could be made.
    bool StimulusFrequencies(YFreqVec& out, double f1, double f2, int n, bool linear, bool descending,
                             bool useTable) const;
    // The tones a gated sine or a shaped burst plays (`noun` names it in the
    // message): StimulusFrequencies from the table or the range, refused with
    // a message when there are more than kMaxTones.
    bool PlayedTones(YFreqVec& out, double f1, double f2, int n, bool linear, bool descending,
                     const char* noun) const;
    // The records the tone modules share: "Start frequency" and "Stop
    // frequency" (Hz, 1 to just below Nyquist) at i and i + 1; "Time window"
    // (s, one sample to 1 s); "Window type" (0..6) and "FFT size" (-1 for
    // automatic, up to 21) at i and i + 1.
    static void PutFrequencyRange(WaveformParams& records, int i, double start, double stop, bool dedicated);
    static void PutTimeWindow(WaveformParams& records, int i, double seconds);
    static void PutWindowAndFftSize(WaveformParams& records, int i, int windowType, int fftSize);
    // The seven records of a SpectrumAxis; Take validates them (false and
    // nothing stored when one needed correcting) and stores them in axis.
    static void PutSpectrumAxis(WaveformParams& records, const SpectrumAxis& axis);
    bool TakeSpectrumAxis(WaveformParams& records, SpectrumAxis& axis) const;
    // Validates every record by its kind (real or int values forced into
    // their limits), then each (stop, start) pair with the range check.
    // True when nothing had to be corrected.
    bool ValidateAll(WaveformParams& records, std::initializer_list<std::pair<int, int>> stopStart) const;
    // Shows text in an error box with the module's caption.
    void ShowError(const std::string& text) const;

    // The result list of a tone analysis: `entries` entries of one value per
    // tone, tagged 100, 101, ... in order, the tones in entry 0. False (list
    // cleared) when an entry cannot be sized.
    bool SizeResponses(ResponseList& responses, const YFreqVec& tones, int entries);
    // Entries 1..4 of mode 1: the measured and the reference channel's
    // magnitude (divided by 2^order) and phase, tagged 101, 102, 101, 102.
    static void ChannelResponses(ResponseList& responses, const YComplexVec& measured,
                                 const YComplexVec& reference, int order);
    // The tone the reference is normalised at: the first at or above the
    // geometric middle of start and stop, else the last.
    static int NormalisingTone(const YFreqVec& tones, double start, double stop);
    // Reverses every entry when the tones descend, so the axis ascends.
    static void AscendingAxis(ResponseList& responses);

    // Where the played loop begins in each channel that ExtractPeriods
    // returned: two extracted channels both begin at the earlier start, so
    // the later one's loop begins that many samples in. The reference is the
    // generated stimulus (offset 0) when stereo is off.
    void LoopOffsets(RecordedChannels recording, long long& measured, long long& reference) const;
    // x cleared, then `count` samples of v from index `from` (silence where
    // that lies outside v), as far as x holds them.
    static void FillTone(YDoubleVec& x, const YDoubleVec& v, long long from, long long count);

    // Evaluates one tone of frequency f: x (measured) and y (reference) hold
    // the tone's samples from index 0, zero padded to a power of two. Both are
    // windowed in place (gain corrected) and transformed; the bins nearest the
    // tone go to figures.measured / figures.reference. Unless measureOnly, a
    // copy of x is windowed, notched at f and transformed. Every component is measured
    // as the energy of its window's main lobe (at most half the tone's
    // frequency wide each side), so no figure depends on where a frequency
    // falls between bins: the fundamental in X, the harmonics 2f ..
    // lastHarmonic·f in the notched copy (corrected for the notch's own
    // attenuation there) give THD, H2 and H3; every other A-weighted bin
    // outside the lobes of DC, the fundamental and those harmonics is the
    // noise of THD+N, so each harmonic counts once. A silent tone gives the
    // floor. False when a transform fails.
    bool EvaluateTone(YDoubleVec& x, YDoubleVec& y, double f, const ToneRules& rules, bool measureOnly,
                      ToneFigures& figures) const;

private:
    sonbex::platform::IPrompt* errorPrompt_;
    std::string caption_;
};
