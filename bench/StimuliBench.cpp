// The distortion analyses: a default gated sine (100 Hz to 20 kHz, six
// points per octave, 48 kHz, one channel) and a default shaped burst (20 Hz
// to 20 kHz, twelve points per octave, Hanning bursts of five cycles), each
// analysing one averaged period of a recording through y = x + 0.1 x².

#include "Waveform/YGatedSine.h"
#include "Waveform/YShapedBurst.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr double kRate = 48000.0;

// Two loops of the played period (with its sync block) after silence,
// through the nonlinearity.
std::vector<float> Record(const IWaveform& m) {
    const YDoubleVec& period = *m.GetSamples();
    const int sync = m.GetSyncPulse() ? 4800 : 0;
    const int silence = 3000, loop = sync + period.Size();
    std::vector<float> out(silence + 2 * loop, 0.0f);
    for (int k = 0; k < 2; ++k) {
        float* at = out.data() + silence + k * loop;
        if (sync) at[0] = 1.0f;
        for (int i = 0; i < period.Size(); ++i) {
            const double x = period.Data()[i];
            at[sync + i] = float(x + 0.1 * x * x);
        }
    }
    return out;
}

template <class Module>
void Analysis(benchmark::State& state) {
    Module m;
    if (!m.SetFormat(kRate, 1, 2, 16, 1, 1.0, 1.0) || !m.Generate()) {
        state.SkipWithError("Generate failed");
        return;
    }
    const std::vector<float> recording = Record(m);
    const std::span<const float> channels[] = {recording};
    ResponseList responses;
    for (auto _ : state) {
        if (!m.Analyze(channels, responses, 1, 0)) {
            state.SkipWithError("Analyze failed");
            return;
        }
        benchmark::DoNotOptimize(responses.data());
    }
    state.SetItemsProcessed(state.iterations() * (responses.empty() ? 0 : responses[0].data.Size()));
}

void GatedSineAnalysis(benchmark::State& state) { Analysis<YGatedSine>(state); }
void ShapedBurstAnalysis(benchmark::State& state) { Analysis<YShapedBurst>(state); }

}  // namespace

BENCHMARK(GatedSineAnalysis)->Unit(benchmark::kMillisecond);
BENCHMARK(ShapedBurstAnalysis)->Unit(benchmark::kMillisecond);
