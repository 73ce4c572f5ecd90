#pragma once
// The transform and window tools every analysis uses. YFftTools implements
// the window, gain, decimation and normalisation operations, YFft adds the
// transforms.
//
// Window types (the index is stored in settings and parameter records):
// 0 "Rectangular", 1 "Bartlett", 2 "Hanning (Cos)", 3 "Hamming", 4 "Blackman",
// 5 "Blackman-Harris", 6 "Ext. Cosine Bell". A type outside 0..6 is taken
// modulo 7.
//
// Threading: the implementations hold no data; every operation may be called
// from several threads at once on different vectors.

#include <string>

class YComplexVec;
class YDoubleVec;

class IFft {
public:
    // Multiplies v by a window of length elements (below 1: the whole vector;
    // limited to the vector) starting at offset (limited to 0..size-1); the
    // elements before and after the window become 0. Full mode spans the whole
    // window and applies its gain correction; halfMode applies only the falling
    // half of a window twice as long, without correction.
    virtual void ApplyWindowReal(YDoubleVec& v, int length, int type, bool halfMode, int offset) const = 0;
    virtual void ApplyWindow(YComplexVec& v, int length, int type, bool halfMode, int offset) const = 0;
    // Multiplies every element by WindowGainFactor(n, type).
    virtual void ScaleWindowGain(YDoubleVec& v, int n, int type) const = 0;
    virtual void ScaleWindowGain(YComplexVec& v, int n, int type) const = 0;
    virtual std::string GetWindowName(int type) const = 0;
    // In place; the size must be a power of two of at least 4 (false, vector
    // unchanged, otherwise). Forward X[k] = Σ x[n]·e^(-i2πnk/N) unscaled; the
    // inverse is scaled by 1/N, so forward then inverse gives the input back.
    virtual bool Transform(YComplexVec& v, bool inverse) const = 0;
    virtual bool InverseTransform(YComplexVec& v) const = 0;
    // Low-pass (tenth order at 0.496/factor of the rate, on the real parts;
    // imaginary parts become 0) and keeps every factor-th element from the
    // first. Factor 1 does nothing. False for a factor below 1 or when the
    // shortened vector cannot be allocated.
    virtual bool Decimate(YComplexVec& v, int factor) const = 0;
    // Decimate, then the forward transform; the factor must be a power of two.
    virtual bool DecimateAndTransform(YComplexVec& v, int factor) const = 0;
    // Divides the spectrum by the magnitude of its complex mean over the bins
    // around frequency (±10 % of it, at least one bin each side). False, the
    // spectrum unchanged, when the mean is zero or not finite or no bin lies
    // in the spectrum.
    virtual bool NormalizeAt(YComplexVec& spectrum, double sampleRate, double frequency) const = 0;
    virtual ~IFft() = default;
};
