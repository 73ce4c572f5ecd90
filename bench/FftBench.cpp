// YFft and YFft32 against FFTW (FFTW_MEASURE, in place, forward; complex
// double, complex float and real double) for N = 2^10 .. 2^22. BM_YFftSse2
// runs the SSE2 kernel on a processor that has AVX2 as well. The machine may
// be shared: run with --benchmark_repetitions and read the "min" rows.

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YFft32.h"
#include "YLib/YFftKernel.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double Sample(int i) { return std::sin(0.001 * i * i) + 0.25 * std::cos(0.37 * i); }

void SetItems(benchmark::State& state, int n) {
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["ns/(N log2 N)"] =
        benchmark::Counter(double(state.iterations()) * n * std::log2(double(n)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_YFft(benchmark::State& state) {
    const int n = 1 << state.range(0);
    YComplexVec v(n);
    for (int i = 0; i < n; ++i) v[i] = YComplex(Sample(i), Sample(i + 7));
    const YFft fft;
    fft.Transform(v, false);  // builds the twiddle tables
    for (auto _ : state) {
        fft.Transform(v, false);
        benchmark::DoNotOptimize(v.Data());
        benchmark::ClobberMemory();
    }
    SetItems(state, n);
}

void BM_YFftSse2(benchmark::State& state) {
    const fftkernel::Isa best = fftkernel::BestIsa();
    fftkernel::UseIsa(fftkernel::Isa::Sse2);
    BM_YFft(state);
    fftkernel::UseIsa(best);
}

void BM_YFftReal(benchmark::State& state) {
    const int n = 1 << state.range(0);
    YDoubleVec x(n);
    for (int i = 0; i < n; ++i) x[i] = Sample(i);
    YComplexVec spectrum(n);
    const YFft fft;
    fft.TransformReal(x, spectrum);
    for (auto _ : state) {
        fft.TransformReal(x, spectrum);
        benchmark::DoNotOptimize(spectrum.Data());
        benchmark::ClobberMemory();
    }
    SetItems(state, n);
}

void BM_YFft32(benchmark::State& state) {
    const int k = int(state.range(0));
    const int n = 1 << k;
    std::vector<float> data(2 * std::size_t(n));
    for (int i = 0; i < n; ++i) {
        data[2 * i] = float(Sample(i));
        data[2 * i + 1] = float(Sample(i + 7));
    }
    const YFft32 fft;
    fft.Transform32(data.data(), k, false);
    for (auto _ : state) {
        fft.Transform32(data.data(), k, false);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    SetItems(state, n);
}

void BM_Fftw(benchmark::State& state) {
    const int n = 1 << state.range(0);
    fftw_complex* data = fftw_alloc_complex(std::size_t(n));
    fftw_plan plan = fftw_plan_dft_1d(n, data, data, FFTW_FORWARD, FFTW_MEASURE);
    for (int i = 0; i < n; ++i) {
        data[i][0] = Sample(i);
        data[i][1] = Sample(i + 7);
    }
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(data);
        benchmark::ClobberMemory();
    }
    SetItems(state, n);
    fftw_destroy_plan(plan);
    fftw_free(data);
}

void BM_FftwFloat(benchmark::State& state) {
    const int n = 1 << state.range(0);
    fftwf_complex* data = fftwf_alloc_complex(std::size_t(n));
    fftwf_plan plan = fftwf_plan_dft_1d(n, data, data, FFTW_FORWARD, FFTW_MEASURE);
    for (int i = 0; i < n; ++i) {
        data[i][0] = float(Sample(i));
        data[i][1] = float(Sample(i + 7));
    }
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(data);
        benchmark::ClobberMemory();
    }
    SetItems(state, n);
    fftwf_destroy_plan(plan);
    fftwf_free(data);
}

// Real input, the N/2+1 bins out of place (YFft's TransformReal gives all N).
void BM_FftwReal(benchmark::State& state) {
    const int n = 1 << state.range(0);
    double* in = fftw_alloc_real(std::size_t(n));
    fftw_complex* out = fftw_alloc_complex(std::size_t(n / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    for (int i = 0; i < n; ++i) in[i] = Sample(i);
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    SetItems(state, n);
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

#define SONBEX_FFT_BENCH(fn) \
    BENCHMARK(fn)->DenseRange(10, 22, 2)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Min)

SONBEX_FFT_BENCH(BM_YFft);
SONBEX_FFT_BENCH(BM_YFftSse2);
SONBEX_FFT_BENCH(BM_Fftw);
SONBEX_FFT_BENCH(BM_YFft32);
SONBEX_FFT_BENCH(BM_FftwFloat);
SONBEX_FFT_BENCH(BM_YFftReal);
SONBEX_FFT_BENCH(BM_FftwReal);
