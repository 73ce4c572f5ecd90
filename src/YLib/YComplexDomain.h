#pragma once
// Conversion between a curve given as points (frequency, magnitude, phase) and
// a complex spectrum of 2^k bins, sampling of spectra at any frequency, and the
// cepstral minimum-phase construction.
//
// Spectra are full transforms of real signals: for N bins, bin i stands for
// i·fs/N and bin N-i is the complex conjugate of bin i (bins 0 and N/2 are
// their own mirror images and real).
//
// Curves are three vectors of equal length: frequencies in Hz, positive and
// ascending (equal neighbours allowed), magnitudes (linear or dB) and phases in
// radians.
//
// Threading: the class holds no state; every operation may run on any thread,
// also on one object from several threads at once (with different outputs).

#include "YLib/YComplex.h"

class YComplexVec;
class YDoubleVec;

struct YMagPhase {
    double magnitude = 0.0;
    double phase = 0.0;  // radians, in [-π, π]
};

class YComplexDomain {
public:
    virtual ~YComplexDomain() = default;

    // Spectrum of 2^k bins (2 <= k <= 26) from a curve. A sampleRate not above
    // 0 means twice the highest curve frequency. The phase is unwrapped along
    // the curve and interpolated together with the dB magnitude, linear in
    // log f between the points; outside the curve both follow the slopes of its
    // outer third octaves (the magnitude never rises beyond either end). The
    // magnitude is limited to 1e-37 .. 1e37; bin 0 is 1e-37, bin N/2 is the
    // real part of the value at fs/2. False (out untouched) on unequal
    // lengths, an empty curve, a frequency that is not positive and
    // ascending, a non-finite value, or an allocation failure.
    bool MakeSpectrum(YComplexVec& out, int k, const YDoubleVec& freqs, const YDoubleVec& mags,
                      const YDoubleVec& phases, bool magsInDb, double sampleRate) const;

    // Replaces a spectrum by the minimum-phase spectrum of its magnitude,
    // computed through the folded real cepstrum. Bins 0 and N/2 take the
    // magnitude of their neighbour (a measured curve says nothing about them).
    // False (spectrum untouched) unless the size is a power of two of at
    // least 4.
    bool MinimumPhaseSpectrum(YComplexVec& spectrum) const;

    // The value at frequency f of a spectrum taken at sampleRate: the nearest
    // bin within 1 .. M/2-1, where M is the spectrum size (twice that with
    // doubled, for a vector that holds only the lower half). With interpolate,
    // real and imaginary parts are interpolated linearly in log f between the
    // two bins around f. 0 for a spectrum of fewer than 4 bins (2 doubled) or
    // a sample rate not above 0.
    YComplex SpectrumAt(const YComplexVec& spectrum, double f, double sampleRate, bool interpolate,
                        bool doubled) const;
    YMagPhase MagPhaseAt(const YComplexVec& spectrum, double f, double sampleRate, bool interpolate,
                         bool doubled) const;
};
