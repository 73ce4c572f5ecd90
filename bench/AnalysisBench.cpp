// The analysis hot paths: the minimum phase of a 48-points-per-octave curve
// from 20 Hz to 20 kHz, the dual-channel transfer of 2^20 samples (against
// the same transfer on FFTW, double precision, real transforms, where it is
// installed) and the envelope of a quarter-million-sample response.

#include "YLib/YAnaFreqDomain.h"
#include "YLib/YAnaTimeDomain.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFreqVec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#ifdef SONBEX_BENCH_FFTW
#include <fftw3.h>
#endif

namespace {

YDoubleVec Noise(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    YDoubleVec v(n);
    for (double& x : v) x = normal(rng);
    return v;
}

// A recorded channel: the reference through a short filter.
YDoubleVec Filtered(const YDoubleVec& x) {
    const double h[] = {0.0, 0.6, 0.3, -0.2, 0.05};
    YDoubleVec y(x.Size());
    for (int i = 0; i < x.Size(); ++i)
        for (int m = 0; m < 5 && m <= i; ++m) y[i] += h[m] * x[i - m];
    return y;
}

void BM_MinimumPhase(benchmark::State& state) {
    YFreqVec f;
    f.Create(20.0, 20000.0, 48, false, false);
    YDoubleVec db(f.Size());
    for (int i = 0; i < f.Size(); ++i) {  // a 2nd-order high-pass at 50 Hz with a treble rise
        const double x = std::pow(f[i] / 50.0, 4);
        db[i] = 10.0 * std::log10(x / (1.0 + x)) + 3.0 * std::tanh(std::log2(f[i] / 5000.0));
    }
    const YAnaFreqDomain ana;
    YDoubleVec phase;
    ana.MinimumPhase(phase, f, db, true, int(state.range(0)));  // builds the transform tables
    for (auto _ : state) {
        ana.MinimumPhase(phase, f, db, true, int(state.range(0)));
        benchmark::DoNotOptimize(phase.Data());
    }
    state.counters["points"] = f.Size();
}
BENCHMARK(BM_MinimumPhase)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DualChannelResponse(benchmark::State& state) {
    const int n = 1 << state.range(0);
    const YDoubleVec reference = Noise(n, 1);
    const YDoubleVec measured = Filtered(reference);
    const YAnaTimeDomain ana;
    YDoubleVec out;
    ana.DualChannelResponse(out, measured, reference, 48000.0, false,
                            nullptr);  // builds the transform tables
    for (auto _ : state) {
        ana.DualChannelResponse(out, measured, reference, 48000.0, false, nullptr);
        benchmark::DoNotOptimize(out.Data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_DualChannelResponse)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);

#ifdef SONBEX_BENCH_FFTW
// The same transfer on FFTW: both channels zero-padded to the same 2^k
// points, real forward transforms, the regularised quotient scaled by the
// 1 kHz level, a real inverse transform. Plans are made once (FFTW_ESTIMATE).
void BM_DualChannelFftw(benchmark::State& state) {
    const int n = 1 << state.range(0);
    int order = 3;
    while ((1 << order) < n) order += 2;
    const int bins = 1 << order;
    const YDoubleVec reference = Noise(n, 1);
    const YDoubleVec measured = Filtered(reference);
    double* r = fftw_alloc_real(bins);
    double* m = fftw_alloc_real(bins);
    fftw_complex* rs = fftw_alloc_complex(bins / 2 + 1);
    fftw_complex* ms = fftw_alloc_complex(bins / 2 + 1);
    const fftw_plan fr = fftw_plan_dft_r2c_1d(bins, r, rs, FFTW_ESTIMATE);
    const fftw_plan fm = fftw_plan_dft_r2c_1d(bins, m, ms, FFTW_ESTIMATE);
    const fftw_plan inv = fftw_plan_dft_c2r_1d(bins, ms, m, FFTW_ESTIMATE);
    std::vector<double> out(n);
    for (auto _ : state) {
        std::fill(r, r + bins, 0.0);
        std::fill(m, m + bins, 0.0);
        std::copy(reference.begin(), reference.end(), r);
        std::copy(measured.begin(), measured.end(), m);
        fftw_execute(fr);
        fftw_execute(fm);
        const double df = 48000.0 / bins;
        const int centre = int(std::lround(1000.0 / df)), width = std::max(1, int(std::lround(100.0 / df)));
        double level = 0.0, peak = 0.0;
        for (int j = centre - width; j <= centre + width; ++j) level += std::hypot(rs[j][0], rs[j][1]);
        level /= 2 * width + 1;
        for (int j = 0; j <= bins / 2; ++j) peak = std::max(peak, rs[j][0] * rs[j][0] + rs[j][1] * rs[j][1]);
        for (int j = 0; j <= bins / 2; ++j) {
            const std::complex<double> x(ms[j][0], ms[j][1]), c(rs[j][0], rs[j][1]);
            const std::complex<double> h =
                level * x * std::conj(c) / std::max(std::norm(c), 1e-10 * peak) / double(bins);
            ms[j][0] = h.real();
            ms[j][1] = h.imag();
        }
        fftw_execute(inv);
        std::copy(m, m + n, out.begin());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
    fftw_destroy_plan(fr);
    fftw_destroy_plan(fm);
    fftw_destroy_plan(inv);
    fftw_free(r);
    fftw_free(m);
    fftw_free(rs);
    fftw_free(ms);
}
BENCHMARK(BM_DualChannelFftw)->Arg(16)->Arg(20)->Unit(benchmark::kMillisecond);
#endif

void BM_EnvelopeDb(benchmark::State& state) {
    const int n = 1 << state.range(0);
    YDoubleVec ir = Noise(n, 3);
    for (int i = 0; i < n; ++i) ir[i] *= std::exp(-i / 2000.0);
    const YAnaTimeDomain ana;
    YDoubleVec out;
    ana.EnvelopeDb(out, ir, 2);  // builds the transform tables
    for (auto _ : state) {
        ana.EnvelopeDb(out, ir, 2);
        benchmark::DoNotOptimize(out.Data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_EnvelopeDb)->Arg(18)->Unit(benchmark::kMillisecond);

}  // namespace
