// The hot paths of the stimulus analyses: the fast Hadamard correlation of
// one MLS period and the analysis of a long logarithmic sweep.

#include "Waveform/YFastHadamard.h"
#include "Waveform/YLogSweep.h"
#include "Waveform/YMlsSequence.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

void MlsCorrelation(benchmark::State& state) {
    const int order = int(state.range(0));
    YDoubleVec sequence;
    MakeMls(sequence, order, 0);
    YFastHadamard correlator;
    if (!correlator.Init(sequence, order)) {
        state.SkipWithError("Init failed");
        return;
    }
    // A recorded period: the sequence through a short echo.
    YDoubleVec period = sequence;
    for (int i = period.Size() - 1; i >= 7; --i) period[i] += 0.3 * sequence[i - 7];
    YDoubleVec data;
    for (auto _ : state) {
        state.PauseTiming();
        data = period;
        state.ResumeTiming();
        correlator.Correlate(data);
        benchmark::DoNotOptimize(data.Data());
    }
    state.SetItemsProcessed(state.iterations() * sequence.Size());
}
BENCHMARK(MlsCorrelation)->Arg(18)->Arg(22)->Unit(benchmark::kMillisecond);

// A sweep of 2^20 samples (20 Hz - 20 kHz at 48 kHz), recorded after a
// short silence, analysed on a 96 points-per-octave axis.
// Arg: the highest harmonic separated (0: the plain analysis).
void SweepAnalysis(benchmark::State& state) {
    YLogSweep sweep;
    sweep.SetHarmonics(int(state.range(0)));
    sweep.SetFormat(48000.0, 1, 1, 24, 1, 1.0, 1.0);
    sweep.SetStereo(false);
    WaveformParams p;
    sweep.GetParams(p);
    p[2].value = (1 << 20) / (48000.0 * std::log2(1000.0));
    if (!sweep.SetParams(p) || !sweep.Generate()) {
        state.SkipWithError("Generate failed");
        return;
    }
    const YDoubleVec& s = *sweep.GetSamples();
    std::vector<float> recording(2000 + s.Size());
    for (int i = 0; i < s.Size(); ++i) {
        const double x = 0.5 * s[i];
        recording[2000 + i] = float(x + 0.1 * x * x);
    }
    const std::span<const float> channels[] = {recording};
    ResponseList responses;
    // The first analysis builds the transform's twiddle tables and the
    // level reference once per process; the loop measures the ones after.
    sweep.Analyze(channels, responses, 1, 0);
    for (auto _ : state) {
        if (!sweep.Analyze(channels, responses, 1, 0)) state.SkipWithError("Analyze failed");
        benchmark::DoNotOptimize(responses.data());
    }
    state.counters["samples"] = s.Size();
}
BENCHMARK(SweepAnalysis)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace
