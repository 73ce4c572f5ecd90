#include "Waveform/YGatedSine.h"

#include "YLib/YComplexVec.h"
#include "YLib/YMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kRolePause = 8, kRolePoints = 6, kRoleLinear = 10;
constexpr int kCompensationFlags = 0;
constexpr int kMaxOrder = 26;

struct LevelRow {
    long rate;
    double db;
};
// The level constant in dB by sample rate; the last row serves every other rate.
constexpr LevelRow kLevels[] = {{11025, 27.44}, {12000, 26.77}, {22050, 27.56}, {24000, 26.83},
                                {44100, 27.66}, {48000, 26.95}, {88200, 27.88}, {0, 27.18}};

double LevelConstantDb(long rate) {
    for (const LevelRow& row : kLevels)
        if (row.rate == rate) return row.db;
    return kLevels[std::size(kLevels) - 1].db;
}

// The start frequency the level constants were set for.
constexpr double kReferenceStart = 100.0;

struct Orders {
    int minimum = 0;  // holds 1.5 times the longest window
    int order = 0;    // the transform of the lowest tones
};

// The transform orders for a start frequency: c0 holds 1.5 times the longest
// window (8 up to 256 samples), c1 resolves the start frequency, one more; the
// "FFT size" record forces a larger order.
Orders OrdersFor(double start, double fs, int fftSize) {
    const long long n = std::llround(16.0 / start * fs);
    const long long half3 = 3 * n / 2;
    int c0 = 8;
    if (half3 > 256)
        for (c0 = 9; (1LL << c0) < half3 && c0 < kMaxOrder; ++c0) {}
    int c1 = c0;
    while (std::ldexp(start, c1) / fs < 1.0 && c1 < kMaxOrder) ++c1;
    return {std::max(fftSize, c0), std::max(fftSize, c1 + 1)};
}

}  // namespace

YGatedSine::YGatedSine(sonbex::platform::IPrompt* prompt)
    : YToneStimulus(kId, "Gated Sine Wave", 0, false, prompt, kCaption) {}

bool YGatedSine::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(5, WaveformParam());
    PutReal(records, 0, "Pause", "s", pause_, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0, kRolePause,
            false);
    PutFrequencyRange(records, 1, startFrequency_, stopFrequency_, true);
    PutInt(records, 3, "Points per octave", "", pointsPerOctave_, 8192, 1, 1, kRolePoints, true);
    PutInt(records, 4, "Linear scale", "", linear_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YGatedSine::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 5, [this](WaveformParams& r) { return GetParams(r); })) return false;
    if (!ValidateAll(records, {{2, 1}})) return false;
    pause_ = records[0].value;
    startFrequency_ = records[1].value;
    stopFrequency_ = records[2].value;
    pointsPerOctave_ = records[3].intValue;
    linear_ = records[4].intValue != 0;
    return true;
}

bool YGatedSine::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(6, WaveformParam());
    PutWindowAndFftSize(records, 0, windowType_, fftSize_);
    PutFrequencyRange(records, 2, startFrequency_, stopFrequency_, true);
    PutInt(records, 4, "Points per octave", "", pointsPerOctave_, 4096, 1, 1, kRolePoints, true);
    PutInt(records, 5, "Linear scale", "", linear_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YGatedSine::SetAnalysisParams(WaveformParams& records) {
    if (!AdoptRecords(records, 6, [this](WaveformParams& r) { return GetAnalysisParams(r); })) return false;
    if (!ValidateAll(records, {{3, 2}})) return false;
    windowType_ = records[0].intValue;
    fftSize_ = records[1].intValue;
    startFrequency_ = records[2].value;
    stopFrequency_ = records[3].value;
    pointsPerOctave_ = records[4].intValue;
    linear_ = records[5].intValue != 0;
    return true;
}

int YGatedSine::OrderOfTone(int index) const {
    return index >= 0 && index < int(toneOrders_.size()) ? toneOrders_[index] : 0;
}

bool YGatedSine::Tones(YFreqVec& tones) const {
    return PlayedTones(tones, startFrequency_, stopFrequency_, pointsPerOctave_, linear_, false,
                       "gated sine");
}

bool YGatedSine::Generate() {
    samples_.Resize(0);
    pcm_.clear();
    if (!valid_ || !(startFrequency_ > 0.0)) return false;
    syncPulse_ = false;
    baseDuration_ = 4.0 / startFrequency_;
    const double T = baseDuration_, fs = sampleRate_;
    YFreqVec tones;
    if (!Tones(tones)) return false;
    const double threshold = 4.0 * tones.Min();
    const long long pause = std::llround(pause_ * fs);
    long long total = 0;
    for (double f : tones) total += std::llround((f < threshold ? 4.0 : 1.0) * T * fs) + pause;
    if (total > kMaxSamples) {
        ShowError("The gated sine would last " + std::to_string(std::llround(total / fs)) + " s; at most " +
                  std::to_string(std::llround(kMaxSamples / fs)) +
                  " s are possible. Use a shorter pause, fewer points or a higher start frequency ! ");
        return false;
    }
    if (total <= 0 || !samples_.Resize(int(total), true)) return false;
    samples_.Fill(0.0);

    double* s = samples_.Data();
    long long slot = 0;
    for (int i = 0; i < tones.Size(); ++i) {
        const double f = tones.Data()[i];
        const double c = f < threshold ? 4.0 : 1.0;
        const double periods = std::ceil(f * T * c);
        const long long length = std::llround(periods / f * fs * (i == 0 ? 1.25 : 1.0));
        const double w = 2.0 * std::numbers::pi * f / fs;
        // The first burst starts at the peak of a cosine; a burst longer than
        // its slot runs on until the next one overwrites it.
        for (long long n = 0; n < length && slot + n < total; ++n)
            s[slot + n] = i == 0 ? std::cos(w * double(n)) : std::sin(w * double(n));
        slot += std::llround(c * T * fs) + pause;
    }
    return Render();
}

bool YGatedSine::Analyze(RecordedChannels recording, ResponseList& responses, int count,
                         std::uint32_t flags) {
    ClearResponses(responses);
    toneOrders_.clear();
    if (!valid_ || samples_.Empty() || !(baseDuration_ > 0.0)) return false;
    const double fs = sampleRate_;
    YDoubleVec a, b;
    if (!ExtractPeriods(a, b, recording, samples_.Size(), count, (flags & kAnalyzeSkipFirst) != 0)) {
        ShowError("Error 1");
        return false;
    }
    // Where each channel's loop begins in the extracted periods (both start
    // at the earlier of the two), so every tone is read where it arrived.
    long long offsetA = 0, offsetB = 0;
    LoopOffsets(recording, offsetA, offsetB);
    if (!stereo_ && !b.CopyFrom(samples_)) return false;
    const long long delay = stereo_ ? offsetA - offsetB : 0;

    burstDuration_ = 4.0 * baseDuration_;
    const long long n = std::llround(burstDuration_ * fs);
    const Orders orders = OrdersFor(startFrequency_, fs, fftSize_);
    minFftOrder_ = orders.minimum;
    const int k = fftOrder_ = orders.order;
    if (k > kMaxOrder) return false;

    YDoubleVec X(1 << k), Y(1 << k);
    if (X.Size() != (1 << k) || Y.Size() != (1 << k)) {
        ShowError("Error 2");
        return false;
    }
    YFreqVec tones;
    if (!Tones(tones)) return false;
    const int toneCount = tones.Size();
    YComplexVec P(toneCount), Q(toneCount);
    if (P.Size() != toneCount || Q.Size() != toneCount) {
        ShowError("Error 3");
        return false;
    }
    std::vector<double> thd, thdN, h2, h3;
    if (mode_ != 1) {
        try {
            thd.resize(toneCount);
            thdN.resize(toneCount);
            h2.resize(toneCount);
            h3.resize(toneCount);
        } catch (const std::bad_alloc&) {
            ShowError("Error 4");
            return false;
        }
    }

    const double fmin = tones.Min();
    const double threshold = 4.0 * fmin;
    const long long quarter = std::llround(0.25 / fmin * fs);
    const long long pause = std::llround(pause_ * fs);
    toneOrders_.assign(toneCount, 0);
    ToneRules rules;
    rules.windowType = windowType_;
    long long p = 0;
    for (int i = 0; i < toneCount; ++i) {
        const double f = tones.Data()[i];
        const double c = f < threshold ? 4.0 : 1.0;
        burstDuration_ = c * baseDuration_;
        int order = k;
        if (f >= 4.0 * startFrequency_)
            order = std::max(k - (c == 4.0 ? 4 : 2), minFftOrder_);
        else if (f >= 2.0 * startFrequency_)
            order = std::max(k - (c == 4.0 ? 3 : 1), minFftOrder_);
        toneOrders_[i] = order;
        if (!X.Resize(1 << order, true) || !Y.Resize(1 << order, true)) {
            ShowError(mode_ == 1 ? "Error 6" : "Error 5");
            return false;
        }
        const long long m = c == 4.0 ? n : n / 4;
        const long long skip = i == 0 ? quarter : 0;
        FillTone(X, a, p + offsetA + skip, m);
        FillTone(Y, b, p + offsetB + skip, m);
        rules.windowLength = int(std::llround(burstDuration_ * fs));
        ToneFigures figures;
        if (!EvaluateTone(X, Y, f, rules, mode_ == 1, figures)) {
            ShowError(mode_ == 1 ? "Error 6" : "Error 5");
            return false;
        }
        P.Data()[i] = figures.measured;
        Q.Data()[i] = figures.reference;
        if (mode_ != 1) {
            thd[i] = figures.thd;
            thdN[i] = figures.thdN;
            h2[i] = figures.h2;
            h3[i] = figures.h3;
        }
        p += std::llround(c * baseDuration_ * fs) + pause;
    }

    if (!SizeResponses(responses, tones, mode_ == 1 ? 5 : 7)) {
        if (mode_ != 1) ShowError("Error 6");
        return false;
    }
    if (mode_ == 1) {
        ChannelResponses(responses, P, Q, k);
    } else {
        double* col[7];
        for (int e = 0; e < 7; ++e) col[e] = responses[e].data.Data();
        const int j = NormalisingTone(tones, startFrequency_, stopFrequency_);
        const double qj = Abs(Q.Data()[j]);
        if (!(qj > 0.0) || !std::isfinite(qj)) {
            ClearResponses(responses);
            return false;
        }
        Q /= qj;
        // The level constants hold for a start of 100 Hz and the automatic
        // transform size. So that a device reads the same whatever the start
        // frequency or transform size, the normalising tone's window gain
        // (|Qj| is half its window length at unit amplitude) is replaced by
        // that of the reference setting.
        const double windowJ = std::llround((tones.Data()[j] < threshold ? 4.0 : 1.0) * baseDuration_ * fs);
        const Orders reference = OrdersFor(kReferenceStart, fs, -1);
        const double referenceWindow = std::llround(4.0 / kReferenceStart * fs);
        const double gainToLevel = referenceWindow / windowJ / std::ldexp(1.0, reference.order);
        YComplexVec compensation;
        const bool compensate = Compensation(k + 1, kCompensationFlags, compensation);
        const double level = std::pow(10.0, LevelConstantDb(std::lround(fs)) / 20.0) * levelLeft_;
        for (int i = 0; i < toneCount; ++i) {
            const double f = tones.Data()[i];
            YComplex H = P.Data()[i];
            if (compensate) H /= SpectrumAt(compensation, f, false);
            H /= Q.Data()[i];
            col[1][i] = Abs(H) * gainToLevel * level;
            col[2][i] = WrapPhase(Arg(H) - 2.0 * std::numbers::pi * f * double(delay) / fs);
            col[3][i] = thd[i];
            col[4][i] = thdN[i];
            col[5][i] = h2[i];
            col[6][i] = h3[i];
        }
    }
    AscendingAxis(responses);
    return true;
}
