// The native curve files and the curve sets: writing and reading a
// frequency curve file of 255 sets x 4096 points (to and from a file in the
// temporary folder, saved atomically), and SetCurves on a magnitude-only
// result (minimum phase, group delays, excess phase and group delay filled
// in) of 480 and of 100k points.

#include "Sonbex/Curves/CurveFiles.h"
#include "Sonbex/Curves/FreqCurveList.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace sonbex::curves;

struct Curve {
    YDoubleVec f, mag, phase;
    explicit Curve(int n) : f(n), mag(n), phase(n) {
        for (int i = 0; i < n; ++i) {
            f[i] = 10.0 * std::pow(2000.0, i / (n - 1.0));  // 10 Hz .. 20 kHz
            mag[i] = 85.0 - 12.0 * std::log10(1.0 + std::pow(60.0 / f[i], 4.0)) + std::sin(i * 0.01);
            phase[i] = std::remainder(-2.0 * M_PI * f[i] * 2e-4, 2.0 * M_PI);
        }
    }
    CurveInput Input(bool withPhase) const {
        CurveInput in;
        in.frequency = &f;
        in.magnitude = &mag;
        if (withPhase) in.phase = &phase;
        return in;
    }
};

const std::vector<std::unique_ptr<YFreqGraphCurve>>& Sets255() {
    static const auto sets = [] {
        std::vector<std::unique_ptr<YFreqGraphCurve>> s;
        const Curve c(4096);
        SettingsBlock settings;
        settings.SetSampleRate(48000.0);
        for (int i = 0; i < 255; ++i) {
            auto set = std::make_unique<YFreqGraphCurve>();
            set->SetCurves("Set " + std::to_string(i), nullptr, c.Input(true), &settings, i, true);
            s.push_back(std::move(set));
        }
        return s;
    }();
    return sets;
}

std::filesystem::path BenchFile() {
    return std::filesystem::temp_directory_path() / ("sonbex-bench-" + std::to_string(::getpid()) + ".sxf");
}

void BM_WriteSxf255x4096(benchmark::State& state) {
    std::vector<const YFreqGraphCurve*> list;
    for (const auto& s : Sets255()) list.push_back(s.get());
    const auto file = BenchFile();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto data = EncodeSxf(list);
        if (!data || !SaveWholeFile(file, *data)) state.SkipWithError("save failed");
        bytes = data ? data->size() : 0;
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    std::filesystem::remove(file);
}
BENCHMARK(BM_WriteSxf255x4096)->Unit(benchmark::kMillisecond);

void BM_ReadSxf255x4096(benchmark::State& state) {
    std::vector<const YFreqGraphCurve*> list;
    for (const auto& s : Sets255()) list.push_back(s.get());
    const auto file = BenchFile();
    SaveWholeFile(file, *EncodeSxf(list));
    for (auto _ : state) {
        std::string bytes;
        std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
        if (!ReadWholeFile(file, bytes) || DecodeSxf(bytes, sets) != DecodeStatus::Ok || sets.size() != 255)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(sets.data());
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_ReadSxf255x4096)->Unit(benchmark::kMillisecond);

void BM_SetCurvesMagnitudeOnly(benchmark::State& state) {
    const Curve c(static_cast<int>(state.range(0)));
    SettingsBlock settings;
    settings.SetSampleRate(48000.0);
    settings.SetMinPhaseAccuracy(1);
    YFreqGraphCurve set;
    for (auto _ : state)
        if (!set.SetCurves("x", nullptr, c.Input(false), &settings, 0, true))
            state.SkipWithError("SetCurves failed");
}
BENCHMARK(BM_SetCurvesMagnitudeOnly)->Arg(480)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
