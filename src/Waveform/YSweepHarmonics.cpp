#include "Waveform/YSweepHarmonics.h"

#include "YLib/YFftKernel.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// The transfer is kept on [f1, f2] and faded to nothing over a twelfth of an
// octave beyond each end: outside the sweep the division by its spectrum is
// noise, which would otherwise spread into every window.
constexpr double kBandEdgeOctaves = 1.0 / 12.0;

int OrderAtLeast(long long n) {
    int k = 4;
    while ((1LL << k) < n) ++k;
    return k;
}

// Multiplies the N-bin spectrum (both halves) by the band taper of [f1, f2].
void TaperToBand(std::vector<YComplex>& x, double fs, double f1, double f2) {
    const long long N = static_cast<long long>(x.size());
    const double edge = std::exp2(kBandEdgeOctaves);
    const auto weight = [&](double f) {
        if (f >= f1 && f <= f2) return 1.0;
        const double out = f < f1 ? std::log2(f1 / f) : std::log2(f / f2);
        return out >= kBandEdgeOctaves ? 0.0
                                       : 0.5 * (1.0 + std::cos(std::numbers::pi * out / kBandEdgeOctaves));
    };
    const auto bin = [&](double f) { return std::clamp<long long>(std::llround(f / fs * N), 0, N / 2); };
    const long long lowZero = bin(f1 / edge), lowOne = bin(f1) + 1, highOne = bin(f2),
                    highZero = bin(f2 * edge) + 1;
    for (long long j = 0; j <= N / 2; ++j) {
        double w;
        if (j < lowZero || j >= highZero)
            w = 0.0;
        else if (j >= lowOne && j < highOne)
            continue;
        else
            w = weight(double(j) / double(N) * fs);
        x[j] *= w;
        if (j > 0 && j < N / 2) x[N - j] *= w;
    }
}

// One window of the circular impulse response h, relative to the peak p:
// samples p + r for r in [begin, end), raised-cosine fades of fadeIn and
// fadeOut samples at its ends. Transformed as if delayed by `delay` samples
// (a harmonic's arrival back at time 0), into a spectrum of 2^order bins.
bool WindowSpectrum(const std::vector<YComplex>& h, long long p, long long begin, long long end,
                    long long fadeIn, long long fadeOut, double delay, std::vector<YComplex>& out) {
    const long long N = static_cast<long long>(h.size());
    const long long length = end - begin;
    const int order = std::min(OrderAtLeast(2 * length), fftkernel::OrderOf(N));
    const long long M = 1LL << order;
    try {
        out.assign(M, YComplex());
    } catch (const std::bad_alloc&) {
        return false;
    }
    double* samples = reinterpret_cast<double*>(out.data());
    const long long shift = std::llround(delay);
    const auto ramp = [](long long i, long long n) {
        return n <= 0 ? 1.0 : 0.5 * (1.0 - std::cos(std::numbers::pi * (double(i) + 0.5) / double(n)));
    };
    for (long long r = begin; r < end; ++r) {
        const long long i = r - begin;
        double w = 1.0;
        if (i < fadeIn) w = ramp(i, fadeIn);
        if (end - 1 - r < fadeOut) w = std::min(w, ramp(end - 1 - r, fadeOut));
        const long long t = p + r;  // signed time in h
        const double v = h[((t % N) + N) % N].re;
        samples[(((t + shift) % M) + M) % M] += w * v;
    }
    if (!fftkernel::TransformReal(samples, order)) return false;
    // The rest of the delay, a fraction of a sample, as a phase: exact phasors
    // every 1024 bins, a rotation in between; the upper half stays the mirror.
    const double fraction = delay - double(shift);
    if (fraction != 0.0) {
        const YComplex step = Polar(1.0, -kTwoPi * fraction / double(M));
        YComplex turn;
        for (long long j = 0; j <= M / 2; ++j) {
            turn = j % 1024 == 0 ? Polar(1.0, -kTwoPi * fraction * double(j) / double(M)) : turn * step;
            out[j] *= turn;
            if (j > 0 && j < M / 2) out[M - j] = Conj(out[j]);
        }
    }
    return true;
}

}  // namespace

double YSweepHarmonics::Advance(const Sweep& sweep, int k) {
    return std::log(double(k)) * double(sweep.samples) / std::log(sweep.stopFrequency / sweep.startFrequency);
}

bool YSweepHarmonics::Separate(std::span<const YComplex> transfer, const Sweep& sweep, int highest,
                               Result& out) {
    out.firstLeftOut = 0;
    const long long N = static_cast<long long>(transfer.size());
    const int order = fftkernel::OrderOf(N);
    const double fs = sweep.sampleRate, f1 = sweep.startFrequency, f2 = sweep.stopFrequency;
    if (order < 4 || highest < 2 || !(fs > 0.0) || !(f1 > 0.0) || !(f2 > f1) || !std::isfinite(f2) ||
        sweep.samples < 2)
        return false;
    highest = std::min(highest, kMaxHarmonic);

    // The impulse response of the band-limited transfer (the real parts).
    std::vector<YComplex>& h = impulse_;
    try {
        h.assign(transfer.begin(), transfer.end());
    } catch (const std::bad_alloc&) {
        return false;
    }
    TaperToBand(h, fs, f1, f2);
    if (!fftkernel::Transform(reinterpret_cast<double*>(h.data()), order, true)) return false;
    long long peak = 0;
    for (long long i = 0; i < N; ++i)
        if (std::abs(h[i].re) > std::abs(h[peak].re)) peak = i;

    // Arrivals d[k] before the linear response; harmonic k's window runs from
    // halfway to k + 1 to halfway to k - 1.
    std::vector<double> d(highest + 2);
    for (int k = 1; k <= highest + 1; ++k) d[k] = Advance(sweep, k);
    int kept = 1;
    for (int k = 2; k <= highest; ++k) {
        const double after = 0.5 * (d[k] - d[k - 1]);
        const bool separates = after >= kMinPeriods * fs / (k * f1) && 0.5 * (d[k] + d[k + 1]) < 0.5 * N;
        if (!separates) {
            out.firstLeftOut = k;
            break;
        }
        kept = k;
    }

    try {
        out.spectra.resize(kept);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The linear window is what the harmonic windows leave of the circle.
    const long long linearBegin = -std::llround(0.5 * d[2]);
    const long long linearEnd = N - std::llround(0.5 * (d[kept] + d[kept + 1]));
    if (!WindowSpectrum(h, peak, linearBegin, linearEnd, -linearBegin / 4, linearEnd / 8, 0.0,
                        out.spectra[0]))
        return false;
    for (int k = 2; k <= kept; ++k) {
        const long long begin = -std::llround(0.5 * (d[k] + d[k + 1]));
        const long long end = -std::llround(0.5 * (d[k] + d[k - 1]));
        const long long arrival = -std::llround(d[k]);
        if (!WindowSpectrum(h, peak, begin, end, (arrival - begin) / 4, (end - arrival) / 4, d[k],
                            out.spectra[k - 1]))
            return false;
    }
    return true;
}
