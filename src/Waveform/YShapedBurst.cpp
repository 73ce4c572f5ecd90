#include "Waveform/YShapedBurst.h"

#include "YLib/YComplexVec.h"
#include "YLib/YMath.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {

constexpr int kRoleShape = 17, kRoleCycles = 9, kRolePause = 8;
constexpr int kRolePoints = 6, kRoleReverse = 11, kRoleLinear = 10;
constexpr int kMaxOrder = 26;
constexpr double kNotchQ = 6.0;

// The shape's weight at sample m of a burst of L samples, x the shape angle.
double ShapeWeight(int shape, long long m, long long L, double x) {
    switch (shape) {
        case 0:
            return 1.0;
        case 1:
            return m < L / 2 ? 2.0 * double(m) / double(L) : 2.0 - 2.0 * double(m) / double(L);
        case 2:
            return 0.5 - 0.5 * std::cos(x);
        case 3:
            return 0.54 - 0.46 * std::cos(x);
        case 4:
            return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
        case 5:
            return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2.0 * x) -
                   0.01168 * std::cos(3.0 * x);
        default:
            return 0.0;
    }
}

}  // namespace

YShapedBurst::YShapedBurst(sonbex::platform::IPrompt* prompt)
    : YToneStimulus(kId, "Shaped Burst", 0, true, prompt, kCaption) {}

bool YShapedBurst::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(8, WaveformParam());
    PutInt(records, 0, "Burst shape", "", shape_, 5, 0, 1, kRoleShape, false);
    PutInt(records, 1, "n Cycles", "", cycles_, 1000, 1, 1, kRoleCycles, false);
    PutReal(records, 2, "Pause", "s", pause_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0, kRolePause,
            false);
    PutFrequencyRange(records, 3, startFrequency_, stopFrequency_, true);
    PutInt(records, 5, "Points per octave", "", pointsPerOctave_, 8192, 1, 1, kRolePoints, true);
    PutInt(records, 6, "Reverse", "", reverse_ ? 1 : 0, 1, 0, 1, kRoleReverse, true);
    PutInt(records, 7, "Linear scale", "", linear_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YShapedBurst::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 8, [this](WaveformParams& r) { return GetParams(r); })) return false;
    if (!ValidateAll(records, {{4, 3}})) return false;
    shape_ = records[0].intValue;
    cycles_ = records[1].intValue;
    pause_ = records[2].value;
    startFrequency_ = records[3].value;
    stopFrequency_ = records[4].value;
    pointsPerOctave_ = records[5].intValue;
    reverse_ = records[6].intValue != 0;
    linear_ = records[7].intValue != 0;
    return true;
}

bool YShapedBurst::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(7, WaveformParam());
    PutWindowAndFftSize(records, 0, windowType_, fftSize_);
    PutFrequencyRange(records, 2, startFrequency_, stopFrequency_, true);
    PutInt(records, 4, "Points per octave", "", pointsPerOctave_, 8192, 1, 1, kRolePoints, true);
    PutInt(records, 5, "Reverse", "", reverse_ ? 1 : 0, 1, 0, 1, kRoleReverse, true);
    PutInt(records, 6, "Linear scale", "", linear_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YShapedBurst::SetAnalysisParams(WaveformParams& records) {
    if (!AdoptRecords(records, 7, [this](WaveformParams& r) { return GetAnalysisParams(r); })) return false;
    if (!ValidateAll(records, {{3, 2}})) return false;
    windowType_ = records[0].intValue;
    fftSize_ = records[1].intValue;
    startFrequency_ = records[2].value;
    stopFrequency_ = records[3].value;
    pointsPerOctave_ = records[4].intValue;
    reverse_ = records[5].intValue != 0;
    linear_ = records[6].intValue != 0;
    return true;
}

bool YShapedBurst::MakeBurst(YDoubleVec& out, int shape, int cycles, double f, double sampleRate) {
    if (!(f > 0.0) || !(sampleRate > 0.0) || cycles < 1) return false;
    const double length = std::round(cycles * sampleRate / f);
    if (!(length >= 1.0 && length <= double(kMaxSamples)) || !out.Resize(int(length), false)) return false;
    const long long L = out.Size();
    // One period of the shape over the burst, n periods of the tone.
    const double step = 2.0 * std::numbers::pi * f / (cycles * sampleRate);
    for (long long m = 0; m < L; ++m) {
        const double x = step * double(m);
        out.Data()[m] = ShapeWeight(shape, m, L, x) * std::sin(cycles * x);
    }
    return true;
}

bool YShapedBurst::Tones(YFreqVec& tones) const {
    return PlayedTones(tones, startFrequency_, stopFrequency_, pointsPerOctave_, linear_, reverse_,
                       "shaped burst");
}

bool YShapedBurst::Generate() {
    samples_.Resize(0);
    pcm_.clear();
    if (!valid_) return false;
    const double fs = sampleRate_;
    YFreqVec tones;
    if (!Tones(tones)) return false;
    // Every slot holds the burst of the lowest tone played, wherever the
    // list came from.
    const long long S = std::llround(cycles_ * fs / tones.Min());
    const long long G = std::llround(pause_ * fs);
    const long long total = (long long)tones.Size() * (S + G);
    if (!(S > 0) || total > kMaxSamples) {
        ShowError("The shaped burst would last " + std::to_string(std::llround(total / fs)) + " s; at most " +
                  std::to_string(std::llround(kMaxSamples / fs)) +
                  " s are possible. Use fewer cycles, a shorter pause, fewer points or a higher start "
                  "frequency ! ");
        return false;
    }
    if (!samples_.Resize(int(total), true)) return false;
    samples_.Fill(0.0);
    YDoubleVec burst;
    for (int i = 0; i < tones.Size(); ++i) {
        if (!MakeBurst(burst, shape_, cycles_, tones.Data()[i], fs)) {
            samples_.Resize(0);
            return false;
        }
        std::copy_n(burst.begin(), std::min<long long>(burst.Size(), S), samples_.begin() + i * (S + G));
    }
    return Render();
}

bool YShapedBurst::Analyze(RecordedChannels recording, ResponseList& responses, int count,
                           std::uint32_t flags) {
    ClearResponses(responses);
    if (!valid_ || samples_.Empty()) return false;
    const double fs = sampleRate_;
    YDoubleVec a, b;
    if (!ExtractPeriods(a, b, recording, samples_.Size(), count, (flags & kAnalyzeSkipFirst) != 0))
        return false;
    long long offsetA = 0, offsetB = 0;
    LoopOffsets(recording, offsetA, offsetB);
    if (!stereo_ && !b.CopyFrom(samples_)) return false;
    const long long delay = stereo_ ? offsetA - offsetB : 0;

    YFreqVec tones;
    if (!Tones(tones)) return false;
    const int toneCount = tones.Size();
    const long long S = std::llround(cycles_ * fs / tones.Min());
    const long long G = std::llround(pause_ * fs);
    if (toneCount * (S + G) != samples_.Size()) return false;  // not the stimulus that was generated
    int c = 8;
    if (2 * S > 256)
        for (c = 9; (1LL << c) < 2 * S && c < kMaxOrder; ++c) {}
    while (std::llround(std::ldexp(startFrequency_, c) / fs) < 1 && c < kMaxOrder) ++c;
    const int k = fftOrder_ = std::max(fftSize_, c + 1);
    if (k > kMaxOrder) return false;
    YDoubleVec X(1 << k), Y(1 << k);
    YComplexVec P(toneCount), Q(toneCount);
    std::vector<double> thd, thdN;
    try {
        thd.resize(mode_ == 1 ? 0 : toneCount);
        thdN.resize(mode_ == 1 ? 0 : toneCount);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (X.Size() != (1 << k) || Y.Size() != (1 << k) || P.Size() != toneCount || Q.Size() != toneCount)
        return false;

    ToneRules rules;
    rules.windowType = windowType_;
    rules.notchQ = kNotchQ;
    rules.lastHarmonic = INT_MAX;
    rules.snapHarmonics = false;
    long long p = 0;
    for (int i = 0; i < toneCount; ++i, p += S + G) {
        const double f = tones.Data()[i];
        const long long L = std::llround(cycles_ / f * fs);
        FillTone(X, a, p + offsetA, L);
        FillTone(Y, b, p + offsetB, L);
        rules.windowLength = int(L);
        ToneFigures figures;
        if (!EvaluateTone(X, Y, f, rules, mode_ == 1, figures)) {
            ShowError("Error 5");
            return false;
        }
        P.Data()[i] = figures.measured;
        Q.Data()[i] = figures.reference;
        if (mode_ != 1) {
            thd[i] = figures.thd;
            thdN[i] = figures.thdN;
        }
    }

    if (!SizeResponses(responses, tones, 5)) return false;
    if (mode_ == 1) {
        ChannelResponses(responses, P, Q, 0);
    } else {
        double* col[5];
        for (int e = 0; e < 5; ++e) col[e] = responses[e].data.Data();
        const int j = NormalisingTone(tones, startFrequency_, stopFrequency_);
        const double qj = Abs(Q.Data()[j]);
        if (!(qj > 0.0) || !std::isfinite(qj)) {
            ClearResponses(responses);
            return false;
        }
        Q /= qj;
        for (int i = 0; i < toneCount; ++i) {
            const double f = tones.Data()[i];
            const YComplex H = P.Data()[i] / Q.Data()[i];
            col[1][i] = Abs(H);
            col[2][i] = WrapPhase(Arg(H) - 2.0 * std::numbers::pi * f * double(delay) / fs);
            col[3][i] = thd[i];
            col[4][i] = thdN[i];
        }
    }
    AscendingAxis(responses);
    return true;
}
