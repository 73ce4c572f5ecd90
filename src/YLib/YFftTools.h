#pragma once
// The window, gain, decimation and normalisation tools of IFft, and the window
// values they are built from.
//
// Threading: stateless; safe from any thread.

#include "YLib/IFft.h"

inline constexpr int kWindowTypeCount = 7;

// The type index taken modulo 7 (also for negative indices).
int NormalizeWindowType(int type);

// The value of window type at position m of a window of nominal length F
// (x = 2πm/F, 0 <= m < F), without gain correction. The single-precision
// variant computes in float with the float-rounded constants.
double WindowValue(int type, double m, double F);
float WindowValue32(int type, float m, float F);

// The gain correction a full window receives: 1, 2, 2, 1.840772, 2.3713737,
// 2.7861212, 1.2445146 for types 0..6.
double WindowCorrection(int type);
float WindowCorrection32(int type);

// n divided by the sum of the symmetric window of n points (1 for n < 2 or
// a window that sums to 0).
double WindowGainFactor(int n, int type);

class YFftTools : public IFft {
public:
    void ApplyWindowReal(YDoubleVec& v, int length, int type, bool halfMode, int offset) const override;
    void ApplyWindow(YComplexVec& v, int length, int type, bool halfMode, int offset) const override;
    void ScaleWindowGain(YDoubleVec& v, int n, int type) const override;
    void ScaleWindowGain(YComplexVec& v, int n, int type) const override;
    std::string GetWindowName(int type) const override;
    bool Decimate(YComplexVec& v, int factor) const override;
    bool DecimateAndTransform(YComplexVec& v, int factor) const override;
    bool NormalizeAt(YComplexVec& spectrum, double sampleRate, double frequency) const override;
};

// The bins NormalizeAt averages for a spectrum of n bins: the centre
// round(n·frequency/sampleRate) ± round(0.1·frequency/(sampleRate/n)) (at
// least 1), clipped to the spectrum. False when no bin remains.
bool NormalizationBins(int n, double sampleRate, double frequency, int& first, int& last);

// The element range ApplyWindow multiplies and the window's nominal length and
// start: elements first..last get WindowValue(type, i - start, F); all others
// become 0. False when the vector is empty.
struct WindowSpan {
    int first = 0;
    int last = -1;
    double F = 0.0;
    double start = 0.0;
};
WindowSpan WindowSpanFor(int size, int length, bool halfMode, int offset);
