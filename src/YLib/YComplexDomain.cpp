#include "YLib/YComplexDomain.h"

#include "YLib/YAnaFreqDomain.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YMath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTiny = 1e-37;
constexpr double kHuge = 1e37;

bool IsPowerOfTwo(int n) { return n >= 4 && (n & (n - 1)) == 0; }

// Slope per octave between points a and b of a curve, 0 when they share a
// frequency.
double SlopePerOctave(const double* f, const double* v, int a, int b) {
    return f[b] > f[a] ? (v[b] - v[a]) / std::log2(f[b] / f[a]) : 0.0;
}

}  // namespace

bool YComplexDomain::MakeSpectrum(YComplexVec& out, int k, const YDoubleVec& freqs, const YDoubleVec& mags,
                                  const YDoubleVec& phases, bool magsInDb, double sampleRate) const {
    const int n = freqs.Size();
    if (n < 1 || mags.Size() != n || phases.Size() != n || k < 2 || k > 26) return false;
    if (!IsFrequencyAxis(freqs)) return false;
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(mags.Data()[i]) || !std::isfinite(phases.Data()[i])) return false;
    const double* f = freqs.Data();

    YDoubleVec db;
    YDoubleVec phase;
    if (!db.Resize(n, true) || !YAnaFreqDomain().UnwrapPhase(phase, phases, 0)) return false;
    for (int i = 0; i < n; ++i) {
        const double m = mags.Data()[i];
        db[i] = magsInDb ? m : 20.0 * std::clamp(m > 0.0 ? std::log10(m) : -38.0, -38.0, 38.0);
    }
    const double* v = db.Data();
    const double* p = phase.Data();

    // End slopes over the outer third octaves. Beyond either end the curve may
    // fall but never rise: a rising extrapolation would invent response where
    // nothing was measured.
    const double third = std::cbrt(2.0);
    int lowEnd = 0;
    while (lowEnd < n - 1 && f[lowEnd] < f[0] * third) ++lowEnd;
    int highStart = n - 1;
    while (highStart > 0 && !(f[highStart] < f[n - 1] / third)) --highStart;
    const double lowDb = std::max(SlopePerOctave(f, v, 0, lowEnd), 0.0);
    const double lowPhase = SlopePerOctave(f, p, 0, lowEnd);
    const double highDb = std::min(SlopePerOctave(f, v, highStart, n - 1), 0.0);
    const double highPhase = SlopePerOctave(f, p, highStart, n - 1);

    const int bins = 1 << k;
    YComplexVec spectrum;
    if (!spectrum.Resize(bins, true)) return false;
    const double fs = sampleRate > 0.0 ? sampleRate : 2.0 * f[n - 1];
    const double df = fs / bins;
    int j = 0;  // f[j] <= frequency < f[j + 1] inside the curve
    for (int i = 1; i <= bins / 2; ++i) {
        const double x = i * df;
        double level, angle;
        if (x < f[0]) {
            const double octaves = std::log2(x / f[0]);
            level = v[0] + lowDb * octaves;
            angle = p[0] + lowPhase * octaves;
        } else if (x >= f[n - 1]) {
            const double octaves = std::log2(x / f[n - 1]);
            level = v[n - 1] + highDb * octaves;
            angle = p[n - 1] + highPhase * octaves;
        } else {
            while (f[j + 1] <= x) ++j;
            level = InterpolateLog(x, f[j], v[j], f[j + 1], v[j + 1]);
            angle = InterpolateLog(x, f[j], p[j], f[j + 1], p[j + 1]);
        }
        const YComplex value = Polar(std::clamp(std::pow(10.0, level / 20.0), kTiny, kHuge), angle);
        if (i < bins / 2) {
            spectrum[i] = value;
            spectrum[bins - i] = Conj(value);
        } else {
            spectrum[i] = YComplex(value.re);
        }
    }
    spectrum[0] = YComplex(kTiny);
    out = std::move(spectrum);
    return true;
}

bool YComplexDomain::MinimumPhaseSpectrum(YComplexVec& x) const {
    const int n = x.Size();
    if (!IsPowerOfTwo(n)) return false;
    const int half = n / 2;
    YComplexVec c;
    if (!c.Resize(n, true)) return false;
    for (int i = 1; i < half; ++i) {
        const double logMag = SafeLn(Abs(x[i]));
        c[i] = YComplex(logMag);
        c[n - i] = YComplex(logMag);
    }
    // Bin 0 stands for the band up to df/2, where a measured curve says
    // nothing. Where the level falls towards it, bin 0 gets that band's mean
    // log magnitude under the power law through bins 1 and 2, the level at
    // df/(2e): a high-pass keeps the notch it has. Otherwise, as for a flat
    // curve, and always at N/2, a bin takes its neighbour's level.
    const double slope = std::max(0.0, (c[2].re - c[1].re) / std::log(2.0));
    c[0] = YComplex(c[1].re - slope * (1.0 + std::log(2.0)));
    c[half] = c[half - 1];

    // Real cepstrum, folded onto positive quefrencies: the log spectrum of
    // the minimum-phase signal with the same magnitude.
    const YFft fft;
    if (!fft.InverseTransform(c)) return false;
    c[0].im = 0.0;
    c[half].im = 0.0;
    for (int i = 1; i < half; ++i) c[i] = YComplex(2.0 * c[i].re);
    for (int i = half + 1; i < n; ++i) c[i] = YComplex();
    if (!fft.Transform(c, false)) return false;

    // The folded cepstrum is real, so bins 0 and N/2 of its transform are real.
    x[0] = YComplex(std::exp(c[0].re));
    x[half] = YComplex(std::exp(c[half].re));
    for (int i = 1; i < half; ++i) {
        x[i] = PolarExp(c[i].re, c[i].im);
        x[n - i] = Conj(x[i]);
    }
    return true;
}

YComplex YComplexDomain::SpectrumAt(const YComplexVec& x, double f, double fs, bool interpolate,
                                    bool doubled) const {
    const int m = doubled ? 2 * x.Size() : x.Size();
    if (m < 4 || !(fs > 0.0)) return {};
    const int top = m / 2 - 1;
    const double position = f / fs * m;
    const int bin =
        std::isfinite(position) ? int(std::clamp(std::floor(position + 0.5), 1.0, double(top))) : 1;
    if (!interpolate) return x[bin];
    const double fb = bin * fs / m;
    int a = bin, b = bin;
    if (fb < f && bin < top)
        b = bin + 1;
    else if (fb > f && bin > 1)
        a = bin - 1;
    if (a == b) return x[bin];
    const double fa = a * fs / m, fB = b * fs / m;
    return {InterpolateLog(f, fa, x[a].re, fB, x[b].re), InterpolateLog(f, fa, x[a].im, fB, x[b].im)};
}

YMagPhase YComplexDomain::MagPhaseAt(const YComplexVec& x, double f, double fs, bool interpolate,
                                     bool doubled) const {
    const YComplex z = SpectrumAt(x, f, fs, interpolate, doubled);
    return {Abs(z), Arg(z)};
}
