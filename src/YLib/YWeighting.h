#pragma once
// Frequency weightings of sound levels: A and C (IEC 61672-1), B (IEC 60651),
// D (IEC 60537), a high-cut weighting and the A weighting combined with it.
//
// Threading: the class holds no state; every operation may run on any thread.

class YComplexVec;

class YWeighting {
public:
    enum Type { kA = 0, kB = 1, kC = 2, kD = 3, kHighCut = 4, kAHighCut = 5 };

    virtual ~YWeighting() = default;

    // Magnitude |H(iω)| of the weighting's transfer function at f Hz, without
    // its gain constant (divide by Value(1000, type) for the level relative to
    // 1 kHz). -1 for an unknown type.
    static double Value(double f, int type);
    // Value(f, type) / Value(1000, type): 1 at 1 kHz. -1 for an unknown type.
    static double Relative(double f, int type);

    // Multiplies bins 1 .. N/2-1 of a spectrum of N bins taken at sampleRate,
    // and their mirror bins N-1 .. N/2+1, by Relative(bin frequency). Bins 0
    // and N/2 are left as they are. False (spectrum untouched) for an empty or
    // odd-sized spectrum, a sample rate not above 0, or an unknown type.
    bool Apply(YComplexVec& spectrum, double sampleRate, int type) const;
};
