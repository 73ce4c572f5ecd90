#include "YLib/YAnaFreqDomain.h"

#include "YLib/YComplexDomain.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YMath.h"
#include "YLib/YSmooth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Unwraps n phases read through get(i) into out (which may hold the input):
// each step of the input is taken into [-π, π] by whole turns, as
// numpy.unwrap does (a step of exactly ±π is kept). The turns are counted and
// added once per point, so long curves gather no rounding.
template <class Get>
bool Unwrap(YDoubleVec& out, int n, Get get) {
    if (!out.Resize(n, false)) return false;
    if (n == 0) return true;
    double previous = get(0);
    double turns = 0.0;
    out[0] = previous;
    for (int i = 1; i < n; ++i) {
        const double current = get(i);
        const double step = current - previous;
        if (std::fabs(step) > kPi) {
            double wrapped = step - 2.0 * kPi * std::floor((step + kPi) / (2.0 * kPi));
            if (wrapped == -kPi && step > 0.0) wrapped = kPi;
            turns += std::round((wrapped - step) / (2.0 * kPi));
        }
        out[i] = current + 2.0 * kPi * turns;
        previous = current;
    }
    return true;
}

}  // namespace

bool IsFrequencyAxis(const YDoubleVec& freqs) {
    const double* f = freqs.Data();
    for (int i = 0; i < freqs.Size(); ++i)
        if (!(std::isfinite(f[i]) && f[i] > 0.0) || (i > 0 && f[i] < f[i - 1])) return false;
    return true;
}

bool YAnaFreqDomain::UnwrapPhase(YDoubleVec& out, const YDoubleVec& phase, int /*pointsPerOctave*/) const {
    if (&out == &phase) return Unwrap(out, phase.Size(), [&](int i) { return out.Data()[i]; });
    return Unwrap(out, phase.Size(), [&](int i) { return phase.Data()[i]; });
}

bool YAnaFreqDomain::UnwrapSpectrumPhase(YDoubleVec& out, const YComplexVec& spectrum,
                                         int /*pointsPerOctave*/) const {
    return Unwrap(out, spectrum.Size(), [&](int i) { return Arg(spectrum.Data()[i]); });
}

bool YAnaFreqDomain::MinimumPhase(YDoubleVec& outPhase, const YDoubleVec& freqs, const YDoubleVec& mags,
                                  bool magsInDb, int extraOrder) const {
    const int n = freqs.Size();
    if (n < 1 || mags.Size() != n || extraOrder < 0 || extraOrder > 8 || !IsFrequencyAxis(freqs))
        return false;
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(mags.Data()[i])) return false;
    YDoubleVec out;
    if (!out.Resize(n, true)) return false;
    const double* f = freqs.Data();
    const double fmin = f[0], fmax = f[n - 1];
    if (!(fmax > fmin)) {  // a single frequency carries no slope, so no phase
        outPhase = std::move(out);
        return true;
    }
    const double fgm = std::sqrt(fmin * fmax);

    // A: fine resolution up to a few times the splice point; B: the whole
    // curve with room above it.
    const YComplexDomain complexDomain;
    const double rateA = std::min(2.0 * fmax, 8.0 * fgm);
    const double rateB = 8.0 * fmax * (extraOrder != 0 ? 2.0 : 1.0);
    YComplexVec a, b;
    if (!complexDomain.MakeSpectrum(a, 15 + extraOrder, freqs, mags, out, magsInDb, rateA) ||
        !complexDomain.MakeSpectrum(b, 14 + extraOrder, freqs, mags, out, magsInDb, rateB) ||
        !complexDomain.MinimumPhaseSpectrum(a) || !complexDomain.MinimumPhaseSpectrum(b))
        return false;

    // From the top down, B above the splice point, then A shifted onto B at
    // the first point at or below it.
    int i = n - 1;
    for (; i >= 0 && f[i] > fgm; --i) out[i] = complexDomain.MagPhaseAt(b, f[i], rateB, true, false).phase;
    if (i >= 0) {
        const double offset = WrapPhase(complexDomain.MagPhaseAt(b, f[i], rateB, true, false).phase -
                                        complexDomain.MagPhaseAt(a, f[i], rateA, true, false).phase);
        for (; i >= 0; --i) out[i] = complexDomain.MagPhaseAt(a, f[i], rateA, true, false).phase + offset;
    }

    const int ppo = int(std::lround(n / std::log2(fmax / fmin)));
    if (!UnwrapPhase(out, out, ppo) ||
        !YSmooth().Smooth(freqs, out, std::clamp(ppo / 2, 1, 12), YSmooth::kMedian, true))
        return false;
    for (double& x : out) x = WrapPhase(x);
    outPhase = std::move(out);
    return true;
}

bool YAnaFreqDomain::GroupDelay(YDoubleVec& out, const YDoubleVec& freqs, const YDoubleVec& phase) const {
    const int n = freqs.Size();
    if (phase.Size() != n) return false;
    YDoubleVec gd;
    if (!gd.Resize(n, true)) return false;
    const double* f = freqs.Data();
    const double* p = phase.Data();
    const auto difference = [&](int a, int b) { return -(p[b] - p[a]) / (2.0 * kPi * (f[b] - f[a])); };
    if (n == 2 && f[1] != f[0]) {
        gd[0] = gd[1] = difference(0, 1);
    } else if (n >= 3) {
        // Central differences at 1 .. n-2; where both neighbours share a
        // frequency there is none, and the gap is bridged linearly.
        int last = -1;  // latest point with a value
        for (int i = 1; i <= n - 2; ++i) {
            if (f[i + 1] == f[i - 1]) continue;
            gd[i] = difference(i - 1, i + 1);
            if (last < 0) {
                for (int g = 1; g < i; ++g) gd[g] = gd[i];
            } else {
                for (int g = last + 1; g < i; ++g)
                    gd[g] = gd[last] + (gd[i] - gd[last]) * (g - last) / (i - last);
            }
            last = i;
        }
        if (last > 0)
            for (int g = last + 1; g <= n - 2; ++g) gd[g] = gd[last];
        gd[0] = gd[1];
        gd[n - 1] = gd[n - 2];
    }
    out = std::move(gd);
    return true;
}

bool YAnaFreqDomain::SpectrumGroupDelay(YDoubleVec& out, const YComplexVec& spectrum,
                                        double sampleRate) const {
    const int n = spectrum.Size();
    if (n < 8 || n % 2 != 0 || !(sampleRate > 0.0)) return false;
    const int m = n / 2;
    YDoubleVec p;
    YDoubleVec gd;
    if (!gd.Resize(m, true) || !Unwrap(p, m, [&](int i) { return Arg(spectrum.Data()[i]); })) return false;
    const double df = sampleRate / n;
    for (int i = 2; i < m; ++i) gd[i] = -(p[i] - p[i - 1]) / (2.0 * kPi * df);
    gd[1] = gd[2];
    gd[0] = gd[1];
    // Each difference belongs half-way between two bins: neighbour means put
    // the values back onto the bins and calm the alternation of noisy bins.
    for (int i = 1; i + 1 < m; i += 2) gd[i] = 0.5 * (gd[i - 1] + gd[i + 1]);
    for (int i = 2; i + 1 < m; i += 2) gd[i] = 0.5 * (gd[i - 1] + gd[i + 1]);
    out = std::move(gd);
    return true;
}
