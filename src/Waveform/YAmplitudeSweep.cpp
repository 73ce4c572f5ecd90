#include "Waveform/YAmplitudeSweep.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kRoleDuration = 7, kRolePause = 8, kRoleFrequency = 1, kRoleStartAmp = 4, kRoleStopAmp = 5;
constexpr int kRolePoints = 6, kRoleLinear = 10;

double FromDb(double db) { return std::pow(10.0, db / 20.0); }

}  // namespace

YAmplitudeSweep::YAmplitudeSweep(sonbex::platform::IPrompt* prompt)
    : YToneStimulus(kId, "Amplitude Sweep", 1, true, prompt, kCaption) {}

bool YAmplitudeSweep::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(7, WaveformParam());
    PutReal(records, 0, "Duration", "s", duration_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0,
            kRoleDuration, false);
    PutReal(records, 1, "Pause", "s", pause_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0, kRolePause,
            false);
    PutReal(records, 2, "Frequency", "Hz", frequency_, WaveformParam::kNyquistPlaceholder, 1.0, -1.0,
            kRoleFrequency, true);
    PutReal(records, 3, "Start amplitude", "dB", startDb_, 0.0, -140.0, -1.0, kRoleStartAmp, true);
    PutReal(records, 4, "Stop amplitude", "dB", stopDb_, 0.0, -140.0, -1.0, kRoleStopAmp, true);
    PutInt(records, 5, "Number of points", "", points_, 1000, 1, 1, kRolePoints, true);
    PutInt(records, 6, "Linear scale", "", linear_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YAmplitudeSweep::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 7, [this](WaveformParams& r) { return GetParams(r); })) return false;
    if (!ValidateAll(records, {{4, 3}})) return false;
    duration_ = records[0].value;
    pause_ = records[1].value;
    frequency_ = records[2].value;
    startDb_ = records[3].value;
    stopDb_ = records[4].value;
    points_ = records[5].intValue;
    linear_ = records[6].intValue != 0;
    return true;
}

bool YAmplitudeSweep::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(7, WaveformParam());
    PutTimeWindow(records, 0, timeWindow_);
    PutWindowAndFftSize(records, 1, windowType_, fftSize_);
    PutReal(records, 3, "Start amplitude", "dB", startDb_, 0.0, -140.0, -1.0, kRoleStartAmp, true);
    PutReal(records, 4, "Stop amplitude", "dB", stopDb_, 0.0, -140.0, -1.0, kRoleStopAmp, true);
    PutInt(records, 5, "Number of points", "", points_, 1000, 1, 1, kRolePoints, true);
    PutInt(records, 6, "Linear scale", "", linear_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YAmplitudeSweep::SetAnalysisParams(WaveformParams& records) {
    if (!AdoptRecords(records, 7, [this](WaveformParams& r) { return GetAnalysisParams(r); })) return false;
    if (!ValidateAll(records, {{4, 3}})) return false;
    timeWindow_ = records[0].value;
    windowType_ = records[1].intValue;
    fftSize_ = records[2].intValue;
    startDb_ = records[3].value;
    stopDb_ = records[4].value;
    points_ = records[5].intValue;
    linear_ = records[6].intValue != 0;
    return true;
}

double YAmplitudeSweep::StepAmplitude(int k) const {
    const double fraction = double(k) / double(std::max(points_, 1));
    if (linear_) return FromDb(startDb_) + fraction * (FromDb(stopDb_) - FromDb(startDb_));
    return FromDb(startDb_ + fraction * (stopDb_ - startDb_));
}

bool YAmplitudeSweep::Generate() {
    samples_.Resize(0);
    pcm_.clear();
    if (!valid_) return false;
    const double fs = sampleRate_;
    const long long d = std::llround(duration_ * fs), p = std::llround(pause_ * fs);
    const long long total = (long long)points_ * (d + p);
    if (total > kMaxSamples) {
        ShowError("The amplitude sweep would last " + std::to_string(std::llround(total / fs)) +
                  " s; at most " + std::to_string(std::llround(kMaxSamples / fs)) +
                  " s are possible. Use fewer points, a shorter duration or a shorter pause ! ");
        return false;
    }
    YDoubleVec tone(int(std::max(d, 0LL)));
    if (d <= 0 || tone.Size() != d || total <= 0 || !samples_.Resize(int(total), true)) return false;
    samples_.Fill(0.0);
    const double w = 2.0 * std::numbers::pi * frequency_ / fs;
    for (long long i = 0; i < d; ++i)
        tone.Data()[i] = std::sin(std::fmod(w * double(i), 2.0 * std::numbers::pi));
    TrimSignTail(tone, false);  // ends at a zero crossing
    for (int k = 0; k < points_; ++k) {
        const double amplitude = StepAmplitude(k);
        double* out = samples_.Data() + (long long)k * (d + p);
        for (int i = 0; i < tone.Size(); ++i) out[i] = amplitude * tone.Data()[i];
    }
    return Render();
}

bool YAmplitudeSweep::Analyze(RecordedChannels, ResponseList& responses, int, std::uint32_t) {
    ClearResponses(responses);
    return false;
}
