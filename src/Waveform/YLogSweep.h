#pragma once
// "Log Sine Sweep" (id 1003, category 1000): an exponential sine sweep from
// f1 to f2 at a given duration per octave, analysed by spectral division of
// the recorded channel by a reference (the second recorded channel in
// two-channel work, else the generated sweep). The result is magnitude and
// phase on a frequency axis with a chosen number of points per octave (or a
// linear axis, or a sweep table), and the complex transfer for GetResult.
//
// The reported level is the device's transfer times a constant of the sample
// rate and the output level: the level the sweep from 20 Hz to 20 kHz at
// 0.1 s per octave gives, held for every range and duration, so the same
// device reads the same whatever sweep measured it.
//
// Parameters: "Start frequency", "Stop frequency", "Duration per octave" and
// an empty fourth record. Analysis parameters: "Start frequency", "Stop
// frequency", "Points per octave", "Linear scale". The sync pulse is never
// used.
//
// With SetHarmonics(n), n = 2..5, the analysis also separates the responses of
// harmonics 2..n (YSweepHarmonics) and delivers after magnitude and phase the
// distortion on the same axis, in percent as the stepped sine gives it:
// THD (103), H2 (105), H3 (106), H4 (107), H5 (108), each at least the
// distortion floor of the sample width. A harmonic k counts at f only while k·f
// lies within the sweep. Magnitude and phase stay those of the plain analysis.
//
// Threading: as IWaveform.

#include "Waveform/YSweepHarmonics.h"
#include "Waveform/YWaveformBase.h"
#include "YLib/YComplexVec.h"
#include "YLib/YLargeAlloc.h"

#include <vector>

class YLogSweep : public YWaveformBase {
public:
    static constexpr int kId = 1003;

    YLogSweep();

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    // False when the format is not valid, f1 is not below f2, either is not
    // positive and finite, or the duration is zero.
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;
    // The transfer spectrum of the last analysis; false when none is kept
    // (also after an analysis that applied a compensation).
    bool GetResult(YComplexVec* out) override;

    // The highest harmonic the analysis separates: 0 (none) or 2..5; other
    // values are refused. Not a stored parameter: the caller sets it per run.
    bool SetHarmonics(int highest);
    int Harmonics() const { return harmonics_; }
    // After an analysis with harmonics: the lowest harmonic asked for that the
    // sweep was too short to separate (it and those above are left out), else 0.
    int HarmonicsLeftOut() const { return harmonicsLeftOut_; }

    double StartFrequency() const { return startFrequency_; }
    double StopFrequency() const { return stopFrequency_; }
    double DurationPerOctave() const { return durationPerOctave_; }
    int PointsPerOctave() const { return pointsPerOctave_; }
    bool LinearAxis() const { return linearAxis_; }

    // The sweep of f1..f2 at `durationPerOctave` for `sampleRate`:
    // n = round(rate · duration · octaves) + 1 samples,
    // sin(2π(A·e^(K·t) - 1)) at t = i·T/n. False for an invalid range.
    static bool MakeSweep(YDoubleVec& out, double sampleRate, double f1, double f2, double durationPerOctave);

private:
    // The magnitude factor of a unit transfer at this rate (see the class
    // comment), computed once per rate.
    double ReferenceLevel();
    // Spectra of long sweeps fill tens of megabytes: they live in huge pages.
    using Spectra = std::vector<YComplex, YLargeAllocator<YComplex>>;

    // Four empty records, the first two the frequency range.
    void PutRange(WaveformParams& records) const;
    // The forward transform of v zero padded to 2^k points into out (reused
    // from one analysis to the next): all 2^k bins when full, else bins
    // 0..2^(k-1). False when it cannot be sized.
    template <class Vector>
    static bool Spectrum(const YDoubleVec& v, int k, Vector& out, bool full);

    // Appends the distortion entries of the last transfer to responses (whose
    // first entry is the axis).
    bool AppendDistortion(ResponseList& responses);

    double startFrequency_ = 20.0;
    double stopFrequency_ = 20000.0;
    double durationPerOctave_ = 0.1;
    int pointsPerOctave_ = 96;
    bool linearAxis_ = false;
    int harmonics_ = 0;
    int harmonicsLeftOut_ = 0;
    YSweepHarmonics harmonicParts_;
    YSweepHarmonics::Result harmonicSpectra_;
    // The spectra of the last analysis: measured (then the transfer, kept for
    // GetResult when transferKept_) and reference (its lower half only, but
    // in mode 1).
    Spectra transfer_, reference_;
    bool transferKept_ = false;
    double referenceRate_ = 0.0;
    double referenceLevel_ = 0.0;
    // The largest bin of the generated sweep's spectrum at generatedOrder_.
    int generatedOrder_ = -1;
    double generatedPeak_ = 0.0;
};
