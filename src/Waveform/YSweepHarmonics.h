#pragma once
// Harmonic responses from one exponential sweep. Deconvolving the recording of
// the sweep sin(2π(A·e^(K·t) - 1)) puts the response of harmonic k ln(k)/K
// seconds before the linear one; the sweep's constant makes the shift of each
// harmonic's own sweep a whole number of turns, so the harmonic responses are
// coherent in phase with the linear one. Separate() cuts the circular impulse
// response of a transfer into one window per harmonic (each ends halfway to
// its neighbours, with short raised-cosine fades at both ends) and transforms
// each with its time origin at the harmonic's exact (fractional) arrival.
//
// The linear response is windowed alike: halfway to the second harmonic on
// either side. Spectrum k then holds, at output frequency F, the complex response of
// harmonic k for the sweep at F / k, with the same delay as the linear
// response at F: dividing the recording by the sweep's own spectrum leaves no
// spectral tilt to correct.
//
// Separate() keeps its working memory (and the result's) from one call to the
// next, so a run of analyses at one size allocates once.
//
// Threading: one thread at a time per object.

#include "YLib/YComplex.h"

#include <span>
#include <vector>

class YSweepHarmonics {
public:
    // The highest harmonic Separate() looks for.
    static constexpr int kMaxHarmonic = 5;
    // A harmonic is kept only when its window holds at least this many periods
    // of its lowest frequency (k·f1) after its arrival.
    static constexpr double kMinPeriods = 2.0;

    struct Sweep {
        double sampleRate = 0.0;
        double startFrequency = 0.0;  // f1
        double stopFrequency = 0.0;   // f2
        long long samples = 0;        // the played sweep's length
    };

    struct Result {
        // spectra[0] the linear response, spectra[k - 1] harmonic k, up to the
        // highest separated harmonic. Each is the M-bin spectrum (Hermitian) of
        // its window at the sweep's rate, M a power of two of its own.
        std::vector<std::vector<YComplex>> spectra;
        // The highest harmonic asked for that could not be separated (0: all
        // could); it and every higher one are left out.
        int firstLeftOut = 0;
    };

    // The arrival of harmonic k before the linear response, in samples:
    // ln(k)·n / ln(f2/f1).
    static double Advance(const Sweep& sweep, int k);

    // Separates harmonics 2..highest (at most kMaxHarmonic) of `transfer`, the
    // N-bin transfer spectrum (N a power of two) of a deconvolved recording,
    // into `out` (whose memory is reused). The windows follow the linear
    // response's peak, so a delay of the device moves all responses alike.
    // False for an invalid sweep, highest < 2 or a transfer that is not a
    // power of two of at least 16 bins.
    bool Separate(std::span<const YComplex> transfer, const Sweep& sweep, int highest, Result& out);

private:
    std::vector<YComplex> impulse_;  // the band-limited impulse response (real parts)
};
