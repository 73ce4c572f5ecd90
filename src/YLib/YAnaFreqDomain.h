#pragma once
// Phase information from frequency curves and spectra: phase unwrapping, group
// delay, and the minimum phase belonging to a magnitude curve.
//
// Curves are vectors of equal length: frequencies in Hz (positive, ascending),
// magnitudes (linear or dB), phases in radians, group delays in seconds.
//
// Threading: the class holds no state; every operation may run on any thread,
// also on one object from several threads at once (with different outputs).

class YComplexVec;
class YDoubleVec;

// True when every frequency is finite and positive and none is below the one
// before it (an empty axis included).
bool IsFrequencyAxis(const YDoubleVec& freqs);

class YAnaFreqDomain {
public:
    virtual ~YAnaFreqDomain() = default;

    // Unwraps a phase curve: wherever two neighbours differ by more than π,
    // whole turns are added so that they differ by at most π (the same result
    // as numpy.unwrap). The first point is kept. out may be phase itself.
    // pointsPerOctave describes the axis; the threshold is π at every
    // resolution. False only when out cannot be resized.
    bool UnwrapPhase(YDoubleVec& out, const YDoubleVec& phase, int pointsPerOctave) const;
    // The same over the arguments of the bins of a spectrum.
    bool UnwrapSpectrumPhase(YDoubleVec& out, const YComplexVec& spectrum, int pointsPerOctave) const;

    // Minimum phase (wrapped, radians) of a magnitude curve at the curve's own
    // frequencies. The low frequencies come from a finely resolved spectrum,
    // the high ones from a wide one, spliced at the geometric mean of the
    // curve's ends; extraOrder (0 .. 8) doubles both resolutions per step. A
    // curve whose frequencies are all equal has the phase 0. False on unequal
    // lengths, an empty curve, frequencies that are not positive and
    // ascending, non-finite values or an allocation failure.
    bool MinimumPhase(YDoubleVec& outPhase, const YDoubleVec& freqs, const YDoubleVec& mags, bool magsInDb,
                      int extraOrder) const;

    // Group delay -dφ/dω in seconds by central differences of an unwrapped
    // phase. Points with equal frequencies on both sides are interpolated from
    // their neighbours; the end points repeat their neighbours. One point
    // gives 0, two points their one difference. False on unequal lengths or an
    // allocation failure.
    bool GroupDelay(YDoubleVec& out, const YDoubleVec& freqs, const YDoubleVec& unwrappedPhase) const;

    // Group delay of bins 0 .. N/2-1 of a spectrum of N bins (N even, at least
    // 8) taken at sampleRate, lightly smoothed by neighbour averages. False for
    // other sizes, a sample rate not above 0, or an allocation failure.
    bool SpectrumGroupDelay(YDoubleVec& out, const YComplexVec& spectrum, double sampleRate) const;
};
