#include "Waveform/YMultiTone.h"

#include "YLib/YComplexVec.h"
#include "YLib/YFft.h"
#include "YLib/YFft32.h"
#include "YLib/YFreqVec.h"
#include "YLib/YRandom.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int kRolePoints = 6, kRoleRandom = 15;
constexpr int kMaxAnalysisOrder = 26;
// Reference bins this far below its peak (amplitude) are not divided by.
constexpr double kReferenceFloor = 1e-6;

// The smallest order of at least 9 that holds n samples (8 up to 256).
int OrderFor(long long n) {
    if (n <= 256) return 8;
    int k = 9;
    while ((1LL << k) < n && k < kMaxAnalysisOrder + 1) ++k;
    return k;
}

}  // namespace

YMultiTone::YMultiTone() : YToneStimulus(kId, "Multi-Tone", 2, true, nullptr, "Multi-Tone") {}

bool YMultiTone::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(4, WaveformParam());
    PutFrequencyRange(records, 0, startFrequency_, stopFrequency_, false);
    PutInt(records, 2, "Points per octave", "", pointsPerOctave_, 8192, 1, 1, kRolePoints, false);
    PutInt(records, 3, "Random phase", "", randomPhase_ ? 1 : 0, 1, 0, 1, kRoleRandom, false);
    return true;
}

bool YMultiTone::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 4, [this](WaveformParams& r) { return GetParams(r); })) return false;
    if (!ValidateAll(records, {{1, 0}})) return false;
    startFrequency_ = records[0].value;
    stopFrequency_ = records[1].value;
    pointsPerOctave_ = records[2].intValue;
    randomPhase_ = records[3].intValue != 0;
    return true;
}

bool YMultiTone::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    PutSpectrumAxis(records, axis_);
    return true;
}

bool YMultiTone::SetAnalysisParams(WaveformParams& records) {
    return AdoptRecords(records, 7, [this](WaveformParams& r) { return GetAnalysisParams(r); }) &&
           TakeSpectrumAxis(records, axis_);
}

YMultiTone::Key YMultiTone::CurrentKey() const {
    return {sampleRate_,      startFrequency_, stopFrequency_, axis_.start,
            pointsPerOctave_, axis_.points,    randomPhase_};
}

bool YMultiTone::Build() {
    const double fs = sampleRate_;
    // Long enough for two periods of the lowest frequency (at least 0.2 s),
    // and fine enough to resolve the two lowest tones.
    const double fl = std::min(startFrequency_, axis_.start);
    const int P = std::max(pointsPerOctave_, axis_.points);
    if (!(fl > 0.0) || P < 1) return false;
    const double T = std::max(2.0 / fl, 0.2);
    int k = OrderFor(std::llround(T * fs));
    const int kRefine = fs > 48000.0 ? 16 : 15;
    const double minSpacing = fl * (std::exp2(1.0 / P) - 1.0);
    while (k < kRefine && fs / std::ldexp(1.0, k) > minSpacing) ++k;
    const int order = std::min(k + 1, fs > 48000.0 ? 17 : 16);
    const int N = 1 << order;

    YFreqVec tones;
    if (!StimulusFrequencies(tones, startFrequency_, stopFrequency_, pointsPerOctave_, false, false, false))
        return false;
    std::vector<float> buffer;
    try {
        buffer.assign(2 * std::size_t(N), 0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const double spacing = fs / N;
    YRandom random(kPhaseSeed);
    const double twoPi = 2.0 * std::numbers::pi;
    for (double f : tones) {
        const long long bin = std::max(1LL, std::llround(f / spacing));
        double phase = 0.0;
        if (randomPhase_) phase = std::fmod(random.Next() * twoPi / YRandom::kMax, twoPi) - std::numbers::pi;
        if (bin >= N / 2) continue;  // at or above Nyquist
        buffer[2 * bin] = float(std::cos(phase));
        buffer[2 * bin + 1] = float(std::sin(phase));
    }
    toneBins_ = 0;
    for (int b = 1; b < N / 2; ++b) toneBins_ += buffer[2 * b] != 0.0f || buffer[2 * b + 1] != 0.0f;
    if (!YFft32().Transform32(buffer.data(), order, true) || !samples_.Resize(N, false)) return false;
    double peak = 0.0;
    for (int i = 0; i < N; ++i) {
        samples_.Data()[i] = buffer[2 * std::size_t(i)];
        peak = std::max(peak, std::abs(samples_.Data()[i]));
    }
    if (!(peak > 0.0)) return false;
    samples_ /= peak;
    fftOrder_ = order;
    return true;
}

bool YMultiTone::Generate() {
    pcm_.clear();
    if (!valid_) return false;
    const Key key = CurrentKey();
    if (!generated_ || !(key == generatedKey_)) {
        generated_ = false;
        if (!Build()) {
            samples_.Resize(0);
            return false;
        }
        generated_ = true;
        generatedKey_ = key;
    }
    return Render();
}

bool YMultiTone::Analyze(RecordedChannels recording, ResponseList& responses, int count,
                         std::uint32_t flags) {
    ClearResponses(responses);
    if (!valid_ || samples_.Empty()) return false;
    const int w = int(std::llround(axis_.timeWindow * sampleRate_));
    YDoubleVec a, b;
    if (!ExtractPeriods(a, b, recording, samples_.Size(), count, (flags & kAnalyzeSkipFirst) != 0))
        return false;
    if (!stereo_ && !b.CopyFrom(samples_)) return false;
    const int k = OrderFor(2LL * std::max(a.Size(), b.Size()));
    if (k > kMaxAnalysisOrder) return false;
    YDoubleVec x(1 << k), y(1 << k);
    if (x.Size() != (1 << k) || y.Size() != (1 << k)) return false;
    FillTone(x, a, 0, a.Size());
    FillTone(y, b, 0, b.Size());
    const YFft fft;
    fft.ApplyWindowReal(x, w, axis_.windowType, false, 0);
    fft.ApplyWindowReal(y, w, axis_.windowType, false, 0);
    YComplexVec X, Y;
    if (!fft.TransformReal(x, X) || !fft.TransformReal(y, Y)) return false;

    // The reference, normalised at the geometric middle of the generated
    // range, divides the measured spectrum bin by bin within that range (an
    // interpolated reference would not follow the ripple that the tones'
    // phases give both spectra alike); outside it the measured spectrum
    // stands.
    const int N = Y.Size();
    const long long centre = std::llround(std::sqrt(startFrequency_ * stopFrequency_) / sampleRate_ * N);
    const long long half = std::max(1, N / 512);
    const int first = int(std::clamp<long long>(centre - half, 0, N / 2 - 1));
    const int last = int(std::clamp<long long>(centre + half, 0, N / 2 - 1));
    const double level = Abs(Y.Mean(first, last));
    if (!(level > 0.0) || !std::isfinite(level)) return false;
    Y /= level;
    double peak = 0.0;
    for (int b = 0; b < N / 2; ++b) peak = std::max(peak, Norm(Y.Data()[b]));
    const double floor = peak * kReferenceFloor * kReferenceFloor;
    const double binHz = sampleRate_ / N;
    for (int b = 0; b <= N / 2; ++b) {
        const double f = b * binHz;
        if (f < startFrequency_ || f > stopFrequency_) continue;
        const YComplex y = Y.Data()[b];
        X.Data()[b] = X.Data()[b] * YComplex{y.re, -y.im} / (Norm(y) + floor);
    }

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
