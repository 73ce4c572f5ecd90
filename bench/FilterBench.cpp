// The hot paths of the output chains and of loading wave files: one biquad
// section over blocks (double, float, through the chain interface), the
// decimator's tenth-order cascade, noise, and converting a 60 s stereo file
// from 44.1 kHz to 48 kHz (and back, and at an arbitrary ratio).

#include "YLib/IProcess.h"
#include "YLib/YBiquad.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YNoise.h"
#include "YLib/YSampleRateConvert.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 4096;

std::vector<double> Signal(std::size_t n) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = std::sin(0.001 * static_cast<double>(i)) + 0.25 * std::cos(0.37 * static_cast<double>(i));
    return x;
}

// An all-pass keeps the level of a block filtered over and over in place
// (growing or decaying samples would reach infinities or slow denormals);
// every type costs the same.
YBiquad Section() {
    YBiquad s;
    s.Setup(YBiquad::kAllPass, 48000, 1000, 0, 2, false);
    return s;
}

void BM_BiquadBlockDouble(benchmark::State& state) {
    YBiquad s = Section();
    std::vector<double> x = Signal(kBlock);
    for (auto _ : state) {
        s.FilterBlock(x, false);
        benchmark::DoNotOptimize(x.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

void BM_BiquadBlockFloat(benchmark::State& state) {
    YBiquad s = Section();
    const std::vector<double> d = Signal(kBlock);
    std::vector<float> x(d.begin(), d.end());
    for (auto _ : state) {
        s.FilterBlock(x.data(), kBlock, false);
        benchmark::DoNotOptimize(x.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// Out of place through the chain interface, as the output conversion runs.
void BM_BiquadProcessBlock(benchmark::State& state) {
    YBiquad s = Section();
    IProcess& block = s;
    const std::vector<double> in = Signal(kBlock);
    std::vector<double> out(kBlock);
    for (auto _ : state) {
        block.ProcessBlock(in, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

// One virtual Process call per sample.
void BM_BiquadProcessPerSample(benchmark::State& state) {
    YBiquad s = Section();
    IProcess& block = s;
    const std::vector<double> in = Signal(kBlock);
    std::vector<double> out(kBlock);
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i)
            out[static_cast<std::size_t>(i)] = block.Process(in[static_cast<std::size_t>(i)]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}

void BM_LowPassCascade(benchmark::State& state) {
    std::vector<double> x = Signal(1 << 16);
    for (auto _ : state) {
        YSampleRateConvert::LowPassCascade(x, 48000, 0.49 * 44100);
        benchmark::DoNotOptimize(x.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (1 << 16));
}

void BM_PinkGaussian(benchmark::State& state) {
    YNoise noise;
    YDoubleVec v;
    for (auto _ : state) {
        noise.PinkGaussian(v, 1 << 16);
        benchmark::DoNotOptimize(v.Data());
    }
    state.SetItemsProcessed(state.iterations() * (1 << 16));
}

// A 60 s stereo file, both channels; items are output samples.
void Resample(benchmark::State& state, double source, double target) {
    const int frames = static_cast<int>(60 * source);
    const std::vector<double> samples = Signal(static_cast<std::size_t>(frames));
    YDoubleVec left(frames), right(frames);
    for (int i = 0; i < frames; ++i) {
        left[i] = samples[static_cast<std::size_t>(i)];
        right[i] = -samples[static_cast<std::size_t>(i)];
    }
    YDoubleVec outLeft, outRight;
    for (auto _ : state) {
        YSampleRateConvert::Convert(outLeft, left, target, source);
        YSampleRateConvert::Convert(outRight, right, target, source);
        benchmark::DoNotOptimize(outLeft.Data());
        benchmark::DoNotOptimize(outRight.Data());
    }
    state.SetItemsProcessed(state.iterations() * 2 * outLeft.Size());
}

void BM_Resample60sStereo_44100_to_48000(benchmark::State& state) { Resample(state, 44100, 48000); }
void BM_Resample60sStereo_48000_to_44100(benchmark::State& state) { Resample(state, 48000, 44100); }
void BM_Resample60sStereo_44100_5_to_48000(benchmark::State& state) { Resample(state, 44100.5, 48000); }

}  // namespace

BENCHMARK(BM_BiquadBlockDouble);
BENCHMARK(BM_BiquadBlockFloat);
BENCHMARK(BM_BiquadProcessBlock);
BENCHMARK(BM_BiquadProcessPerSample);
BENCHMARK(BM_LowPassCascade);
BENCHMARK(BM_PinkGaussian);
BENCHMARK(BM_Resample60sStereo_44100_to_48000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample60sStereo_48000_to_44100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample60sStereo_44100_5_to_48000)->Unit(benchmark::kMillisecond);
