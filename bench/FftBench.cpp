// YFft and YFft32 against FFTW (FFTW_MEASURE, in place, complex double,
// forward) for N = 2^10 .. 2^20.

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YFft32.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

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

}  // namespace

BENCHMARK(BM_YFft)->DenseRange(10, 20, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fftw)->DenseRange(10, 20, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_YFft32)->DenseRange(10, 20, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_YFftReal)->DenseRange(10, 20, 2)->Unit(benchmark::kMicrosecond);
