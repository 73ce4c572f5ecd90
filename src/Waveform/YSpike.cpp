#include "Waveform/YSpike.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRolePulse = 19, kRoleTotal = 20, kRoleAutomatic = 21;

}  // namespace

YSpike::YSpike() : YPulseStimulus(kId, "Spike", 0, true) {}

bool YSpike::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(3, WaveformParam());
    PutReal(records, 0, "Pulse length", "s", pulseLength_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0,
            kRolePulse, false);
    PutReal(records, 1, "Total length", "s", totalLength_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0,
            kRoleTotal, false);
    PutInt(records, 2, "Automatic length", "", automatic_ ? 1 : 0, 1, 0, 1, kRoleAutomatic, false);
    return true;
}

bool YSpike::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 3, [this](WaveformParams& r) { return GetParams(r); })) return false;
    if (records[2].intValue != 0) records[0].value = 1.0 / sampleRate_;
    bool ok = ValidateReal(records, 0);
    ok = ValidateReal(records, 1) && ok;
    ok = ValidateInt(records, 2) && ok;
    if (!ok) return false;
    automatic_ = records[2].intValue != 0;
    // An automatic pulse is kept as the negative length that means one
    // sample, so that the records read back are the ones stored.
    pulseLength_ = automatic_ ? -1.0 : records[0].value;
    totalLength_ = records[1].value;
    return true;
}

bool YSpike::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.clear();
    return true;
}

bool YSpike::SetAnalysisParams(WaveformParams& records) {
    return AdoptRecords(records, 0, [this](WaveformParams& r) { return GetAnalysisParams(r); });
}

bool YSpike::Generate() {
    samples_.Resize(0);
    pcm_.clear();
    if (!valid_) return false;
    syncPulse_ = false;
    const long long p = std::max(1LL, std::llround(pulseLength_ * sampleRate_));
    const long long t = std::llround(totalLength_ * sampleRate_);
    const long long n = std::max(p, t);
    if (n > (1LL << 28) || !samples_.Resize(int(n), true)) return false;
    std::fill(samples_.begin(), samples_.end(), 0.0);
    std::fill_n(samples_.begin(), p, 1.0);
    return Render();
}

bool YSpike::Analyze(RecordedChannels recording, ResponseList& responses, int count, std::uint32_t flags) {
    syncPulse_ = false;
    ImpulseRules rules;
    rules.compensate = true;
    // A one-sample spike is the unit impulse: its recording is the response.
    rules.deconvolve = samples_.Size() > 1 && samples_.Data()[1] != 0.0;
    rules.scale = kLevel * levelLeft_;
    return AnalyzeImpulse(recording, responses, count, flags, rules);
}
