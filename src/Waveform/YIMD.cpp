#include "Waveform/YIMD.h"

#include "YLib/YBiquad.h"
#include "YLib/YComplexVec.h"
#include "YLib/YFft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kRoleF1 = 12, kRoleF2 = 13, kRoleLevel2 = 14, kRoleWaveform = 27;
constexpr int kMaxOrder = 26;

}  // namespace

YIMD::YIMD() : YToneStimulus(kId, "IM Distortion", 2, true, nullptr, "IM Distortion") {}

bool YIMD::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(4, WaveformParam());
    PutReal(records, 0, "Frequency 1", "Hz", frequency1_, WaveformParam::kNyquistPlaceholder, 1.0, -1.0,
            kRoleF1, false);
    PutReal(records, 1, "Frequency 2", "Hz", frequency2_, WaveformParam::kNyquistPlaceholder, 1.0, -1.0,
            kRoleF2, false);
    PutReal(records, 2, "Freq. 2 level", "%", level2_, 100.0, 0.0, -1.0, kRoleLevel2, false);
    PutInt(records, 3, "Frequency 1 Waveform", "", waveform_, 3, 0, 1, kRoleWaveform, false);
    return true;
}

bool YIMD::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 4, [this](WaveformParams& r) { return GetParams(r); })) return false;
    if (!ValidateAll(records, {})) return false;
    frequency1_ = records[0].value;
    frequency2_ = records[1].value;
    level2_ = records[2].value;
    waveform_ = records[3].intValue;
    return true;
}

bool YIMD::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    PutSpectrumAxis(records, axis_);
    return true;
}

bool YIMD::SetAnalysisParams(WaveformParams& records) {
    return AdoptRecords(records, 7, [this](WaveformParams& r) { return GetAnalysisParams(r); }) &&
           TakeSpectrumAxis(records, axis_);
}

YIMD::Key YIMD::CurrentKey() const {
    return {sampleRate_, frequency1_, frequency2_, level2_, axis_.timeWindow, waveform_, syncPulse_};
}

bool YIMD::Build() {
    const double fs = sampleRate_;
    const long long n = std::llround(std::max(axis_.timeWindow, 0.1) * fs);
    if (n <= 0 || n > kMaxSamples || !samples_.Resize(int(n), false)) return false;
    const double a = std::min(level2_ * 0.01, 1.0);
    const double g = 1.0 / (1.0 + a);
    const double w1 = 2.0 * std::numbers::pi * frequency1_ / fs;
    const double w2 = 2.0 * std::numbers::pi * frequency2_ / fs;
    // The last odd harmonic of frequency 1 below Nyquist for the square waves.
    long long lastHarmonic = 1;
    if (waveform_ != 0) lastHarmonic = std::max(1LL, (long long)std::floor(fs / 2.0 / frequency1_));
    double* s = samples_.Data();
    for (long long i = 0; i < n; ++i) {
        const double phi = w1 * double(i);
        double v = g * std::sin(phi) + (1.0 - g) * std::sin(w2 * double(i));
        // sin(hφ) by the recurrence sin((h+2)φ) = 2cos(2φ)·sin(hφ) - sin((h-2)φ).
        const double c2 = 2.0 * std::cos(2.0 * phi);
        double below = -std::sin(phi), current = std::sin(phi);
        for (long long h = 3; h <= lastHarmonic; h += 2) {
            const double next = c2 * current - below;
            below = current;
            current = next;
            v += g * current / double(h);
        }
        s[i] = v;
    }
    const double corner = waveform_ == 1 ? 30000.0 : waveform_ == 2 ? 100000.0 : 0.0;
    if (corner > 0.0 && fs / 2.0 > corner) {
        YBiquad lowPass;
        if (lowPass.Setup(YBiquad::kLowPass1, fs, corner, 0.0, 0.7071, false))
            lowPass.FilterBlock(samples_, true);
    }
    double lo = 0.0, hi = 0.0;
    samples_.MinMax(lo, hi);
    const double peak = std::max(std::abs(lo), std::abs(hi));
    if (!(peak > 0.0)) return false;
    samples_ /= peak;
    if (!syncPulse_) TrimSignTail(samples_, true);
    return !samples_.Empty();
}

bool YIMD::Generate() {
    pcm_.clear();
    if (!valid_) return false;
    const Key key = CurrentKey();
    if (samples_.Empty() || !(key == builtKey_)) {
        builtKey_ = Key{};
        if (!Build()) {
            samples_.Resize(0);
            return false;
        }
        builtKey_ = key;
    }
    return Render();
}

bool YIMD::Analyze(RecordedChannels recording, ResponseList& responses, int count, std::uint32_t flags) {
    ClearResponses(responses);
    if (!valid_ || samples_.Empty()) return false;
    const int w = int(std::llround(axis_.timeWindow * sampleRate_));
    stereo_ = false;
    YDoubleVec a, unused;
    if (!ExtractPeriods(a, unused, recording, samples_.Size(), count, (flags & kAnalyzeSkipFirst) != 0))
        return false;
    int k = 12;
    if (2LL * a.Size() > 4096)
        for (k = 13; (1LL << k) < 2LL * a.Size() && k < kMaxOrder; ++k) {}
    YDoubleVec x(1 << k);
    if (x.Size() != (1 << k) || (1LL << k) < a.Size()) return false;
    FillTone(x, a, 0, a.Size());
    const YFft fft;
    fft.ApplyWindowReal(x, w, axis_.windowType, false, 0);
    YComplexVec X;
    if (!fft.TransformReal(x, X)) return false;
    responses.resize(3);
    responses[0].tag = ResponseEntry::kFrequency;
    responses[1].tag = ResponseEntry::kMagnitude;
    responses[2].tag = ResponseEntry::kPhase;
    if (!ResponseOnAxis(X, responses[0].data, responses[1].data, responses[2].data, axis_.start, axis_.stop,
                        axis_.points, axis_.linear, false)) {
        ClearResponses(responses);
        return false;
    }
    return true;
}
