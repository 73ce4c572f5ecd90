#include "Waveform/YSin2.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kRolePulse = 19, kRoleTotal = 20;

}  // namespace

YSin2::YSin2() : YPulseStimulus(kId, "Sin\262 Pulse", 2, true) {}

bool YSin2::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(2, WaveformParam());
    PutReal(records, 0, "Pulse length", "s", pulseLength_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0,
            kRolePulse, false);
    PutReal(records, 1, "Total length", "s", totalLength_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0,
            kRoleTotal, false);
    return true;
}

bool YSin2::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 2, [this](WaveformParams& r) { return GetParams(r); })) return false;
    bool ok = ValidateReal(records, 0);
    ok = ValidateReal(records, 1) && ok;
    if (!ok) return false;
    pulseLength_ = records[0].value;
    totalLength_ = records[1].value;
    return true;
}

bool YSin2::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.clear();
    return true;
}

bool YSin2::SetAnalysisParams(WaveformParams& records) {
    return AdoptRecords(records, 0, [this](WaveformParams& r) { return GetAnalysisParams(r); });
}

bool YSin2::Generate() {
    samples_.Resize(0);
    pcm_.clear();
    if (!valid_) return false;
    // The pulse starts at a zero, so it needs three samples to sound at all.
    const double width = std::max(pulseLength_ * sampleRate_, double(kMinPulseSamples));
    const long long p = std::max<long long>(kMinPulseSamples, std::llround(pulseLength_ * sampleRate_));
    const long long t = std::llround(totalLength_ * sampleRate_);
    const long long n = std::max(p, t);
    if (n > (1LL << 28) || !samples_.Resize(int(n), true)) return false;
    std::fill(samples_.begin(), samples_.end(), 0.0);
    const double step = std::numbers::pi / width;
    for (long long i = 0; i < p; ++i) {
        const double s = std::sin(step * double(i));
        samples_.Data()[i] = s * s;
    }
    return Render();
}

bool YSin2::Analyze(RecordedChannels recording, ResponseList& responses, int count, std::uint32_t flags) {
    ImpulseRules rules;
    rules.removeTailMean = true;
    return AnalyzeImpulse(recording, responses, count, flags, rules);
}
