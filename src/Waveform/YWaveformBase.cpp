#include "Waveform/YWaveformBase.h"

#include "Platform/IPrompt.h"
#include "Waveform/ICalibration.h"
#include "Waveform/ISweepTableLoader.h"
#include "Waveform/YDither.h"
#include "YLib/YAnaTimeDomain.h"
#include "YLib/YComplexVec.h"
#include "YLib/YMath.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>

namespace {

constexpr double kDbToLn = 0.1151292546497023;  // ln(10) / 20
constexpr double kStartThresholdDb = -20.0;
constexpr int kHanningWindow = 2;

// Dither seeds of the even and the odd output channels: fixed, so that a
// stimulus renders to the same bytes every time.
constexpr std::uint32_t kDitherSeedLeft = 1;
constexpr std::uint32_t kDitherSeedRight = 2;

double LevelFromDb(double db) {
    if (db == 0.0) return 1.0;
    const double e = db * kDbToLn;
    if (e > 30.0) return std::exp(30.0);
    if (!(e >= kLnFloor)) return 1e-38;
    return std::exp(e);
}

}  // namespace

YWaveformBase::YWaveformBase(int id, const char* name, int syncPulseMode, bool syncPulse)
    : id_(id), name_(name), syncPulseMode_(syncPulseMode), syncPulse_(syncPulse) {}

int YWaveformBase::GetCategory() const {
    if (id_ < 0) return -1;
    if (id_ < 1000) return 0;
    return id_ < 2000 ? kCategoryFrequency : kCategoryImpulse;
}

bool YWaveformBase::SetFormat(double sampleRate, int inChannels, int outChannels, int bits, int formatWord,
                              double ampLeft, double ampRight) {
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    changed_ = sampleRate != sampleRate_ || formatWord != formatWord_ || ampLeft != ampLeft_ ||
               ampRight != ampRight_ || bits != bits_ || inChannels != inChannels_ ||
               outChannels != outChannels_;
    sampleRate_ = sampleRate;
    inChannels_ = inChannels;
    outChannels_ = outChannels;
    bits_ = bits;
    formatWord_ = formatWord;
    ampLeft_ = ampLeft;
    ampRight_ = ampRight;
    // A frame of 256 channels of 32 bits is the most any card offers.
    valid_ = std::isfinite(sampleRate) && sampleRate > 0.0 && inChannels > 0 && outChannels > 0 &&
             outChannels <= 256 && ampLeft > 0.0 && ampRight > 0.0 && std::isfinite(ampLeft) &&
             std::isfinite(ampRight) && formatWord != 0;
    blockAlign_ = valid_ ? outChannels * PcmBytesPerSample(bits) : 1;
    if (inChannels < 2) stereo_ = false;  // no reference channel to analyse against
    return valid_;
}

bool YWaveformBase::SetLevelDb(double leftDb, double rightDb) {
    levelLeft_ = LevelFromDb(leftDb);
    levelRight_ = LevelFromDb(rightDb);
    return true;
}

bool YWaveformBase::SetSyncPulse(bool on) {
    if (syncPulseMode_ != 2) return false;
    changed_ = on != syncPulse_;
    syncPulse_ = on;
    return true;
}

bool YWaveformBase::SetStereo(bool on) {
    stereo_ = on && inChannels_ > 1;
    return stereo_ == on;
}

void YWaveformBase::ClearResponses(ResponseList& responses) {
    while (!responses.empty()) responses.pop_back();
}

bool YWaveformBase::SetFileName(const std::string& name) {
    fileName_ = name;
    return !fileName_.empty();
}

// ---------------------------------------------------------------- rendering

bool YWaveformBase::Render() {
    pcm_.clear();
    pcm_.shrink_to_fit();
    if (!valid_) return false;
    const long long pulse = syncPulse_ ? std::llround(0.1 * sampleRate_) : 0;
    const long long frames = pulse + samples_.Size();
    const long long bytes = frames * blockAlign_;
    if (bytes > std::numeric_limits<std::int32_t>::max()) return false;

    // Each channel's stream is scaled first and then requantised, so the
    // dither works on the grid of the codes actually written.
    const double sign = invert_ ? -1.0 : 1.0;
    std::vector<double> left, right;
    try {
        pcm_.resize(std::size_t(bytes));
        left.resize(samples_.Size());
        if (outChannels_ > 1) right.resize(samples_.Size());
    } catch (const std::bad_alloc&) {
        pcm_.clear();
        return false;
    }
    const auto stream = [&](std::vector<double>& out, double amp, std::uint32_t seed) {
        for (int i = 0; i < samples_.Size(); ++i) out[i] = samples_.Data()[i] * amp * sign;
        YDither(bits_, dither_, seed).Process(out, out);
    };
    stream(left, ampLeft_, kDitherSeedLeft);
    if (outChannels_ > 1) stream(right, ampRight_, kDitherSeedRight);

    std::uint8_t* p = pcm_.data();
    for (long long f = 0; f < pulse; ++f)
        for (int c = 0; c < outChannels_; ++c)
            p = EncodePcmSample(f == 0 ? sign * (c % 2 ? ampRight_ : ampLeft_) : 0.0, bits_, p);
    for (int i = 0; i < samples_.Size(); ++i)
        for (int c = 0; c < outChannels_; ++c) p = EncodePcmSample(c % 2 ? right[i] : left[i], bits_, p);
    return true;
}

// ---------------------------------------------------------------- recordings

int YWaveformBase::FindStart(std::span<const float> channel) const {
    const int n = int(std::min<std::size_t>(channel.size(), std::size_t(std::llround(sampleRate_ / 4.0))));
    if (n <= 0) return 0;
    // A 10-bit grid ignores the noise floor; the first-order low-pass at a
    // quarter of the rate is the two-sample average.
    YDoubleVec x(n);
    double prev = 0.0;
    for (int i = 0; i < n; ++i) {
        const double v = std::round(double(channel[i]) * 512.0) / 512.0;
        x.Data()[i] = 0.5 * (v + prev);
        prev = v;
    }
    YDoubleVec env;
    if (!YAnaTimeDomain().EnvelopeDb(env, x, kHanningWindow)) return 0;
    for (int i = 0; i < env.Size(); ++i)
        if (env.Data()[i] > kStartThresholdDb)
            return std::max(0, i - int(std::llround(sampleRate_ / 12000.0)));
    return 0;
}

bool YWaveformBase::AverageBlocks(YDoubleVec& out, std::span<const float> channel, int start, int blockLength,
                                  int blocks, bool skipFirst) const {
    if (blockLength <= 0 || blocks <= 0 || !out.Resize(blockLength, true)) return false;
    out.Fill(0.0);
    long long first = start + (skipFirst ? (long long)blockLength : 0);
    const long long available = (long long)channel.size() - first;
    if (available < 0 || available / blockLength < blocks) {
        ReportNotEnoughData();
        return false;
    }
    double* o = out.Data();
    for (int b = 0; b < blocks; ++b, first += blockLength) {
        const float* in = channel.data() + first;
        for (int i = 0; i < blockLength; ++i) o[i] += in[i];
    }
    out /= double(blocks);
    return true;
}

bool YWaveformBase::ExtractPeriods(YDoubleVec& out1, YDoubleVec& out2, RecordedChannels recording, int period,
                                   int count, bool skipFirst) const {
    const bool two = stereo_ || mode_ == 1;
    if (recording.empty() || (two && recording.size() < 2) || period <= 0) return false;
    const int pulse = syncPulse_ ? int(std::llround(0.1 * sampleRate_)) : 0;
    const int block = period + pulse;
    // The sync block is at the start of the loop; what follows is one period.
    const auto dropPulse = [&](YDoubleVec& v) {
        if (pulse > 0) {
            std::copy(v.begin() + pulse, v.end(), v.begin());
            v.Resize(period, false);
        }
    };
    if (!two) {
        if (!AverageBlocks(out1, recording[0], FindStart(recording[0]), block, count, skipFirst))
            return false;
        dropPulse(out1);
        return true;
    }
    const int s1 = FindStart(recording[0]);
    const int s2 = FindStart(recording[1]);
    const int m = std::min(s1, s2);
    if (!AverageBlocks(out1, recording[0], s1, block, count, skipFirst) ||
        !AverageBlocks(out2, recording[1], s2, block, count, skipFirst))
        return false;
    // The loop repeats, so the samples before the later start are the end of
    // its averaged loop: rotating keeps the delay between the channels and
    // uses only averaged, settled samples.
    std::rotate(out1.begin(), out1.end() - (s1 - m) % block, out1.end());
    std::rotate(out2.begin(), out2.end() - (s2 - m) % block, out2.end());
    dropPulse(out1);
    dropPulse(out2);
    return true;
}

void YWaveformBase::ReportNotEnoughData() const {
    if (prompt_) prompt_->Show(kNotEnoughData, sonbex::platform::PromptIcon::Error);
}

bool YWaveformBase::Compensation(int order, int flags, YComplexVec& out) const {
    return shared_ && shared_->CompensationSpectrum(order, flags, out) && out.Size() > 0;
}

// ---------------------------------------------------------------- spectra

YComplex YWaveformBase::SpectrumAt(std::span<const YComplex> spectrum, double f, bool interpolate) const {
    const int N = int(spectrum.size());
    if (N < 4 || !(sampleRate_ > 0.0)) return {};
    const double x = f / sampleRate_ * N;
    const int top = N / 2 - 1;
    const int bin = std::isfinite(x) ? int(std::clamp(std::round(x), 1.0, double(top))) : top;
    const YComplex* s = spectrum.data();
    if (!interpolate) return s[bin];
    const double binF = bin * sampleRate_ / N;
    const auto between = [&](int a) {
        const double fa = a * sampleRate_ / N, fb = (a + 1) * sampleRate_ / N;
        return YComplex(InterpolateLog(f, fa, s[a].re, fb, s[a + 1].re),
                        InterpolateLog(f, fa, s[a].im, fb, s[a + 1].im));
    };
    if (bin < top && binF < f) return between(bin);
    if (binF > f && bin > 0) return between(bin - 1);
    return s[bin];
}

bool YWaveformBase::ResponseOnAxis(std::span<const YComplex> spectrum, YDoubleVec& axis,
                                   YDoubleVec& magnitude, YDoubleVec& phase, double f1, double f2, int n,
                                   bool linear, bool interpolate) const {
    YFreqVec freqs;
    bool ok;
    if (!fileName_.empty()) {
        YFileSweepTableLoader files;
        ok = (sweepTables_ ? sweepTables_ : &files)->Load(fileName_, freqs);
    } else {
        ok = freqs.Create(f1, f2, n, linear, false);
    }
    if (!ok || freqs.Empty() || !magnitude.Resize(freqs.Size(), false) || !phase.Resize(freqs.Size(), false))
        return false;
    for (int i = 0; i < freqs.Size(); ++i) {
        const YComplex z = SpectrumAt(spectrum, freqs.Data()[i], interpolate);
        magnitude.Data()[i] = Abs(z);
        phase.Data()[i] = Arg(z);
    }
    axis = freqs;
    return axis.Size() == freqs.Size();
}

void YWaveformBase::PhaseRotate(std::span<YComplex> x, bool half) {
    const int N = int(x.size());
    const int M = half ? N / 2 : N;
    const double c0 = half ? std::numbers::pi : 2.0 * std::numbers::pi;
    for (int j = 0; j < M; ++j) x[j] *= Polar(1.0, -c0 * (1.0 - double(j) / M));
}

// ---------------------------------------------------------------- parameters

bool YWaveformBase::ValidateReal(WaveformParams& records, int i) const {
    if (i < 0 || i >= int(records.size())) return false;
    WaveformParam& r = records[i];
    const double max = ResolvePlaceholder(r.max, sampleRate_);
    const double min = ResolvePlaceholder(r.min, sampleRate_);
    double v = r.value;
    if (!std::isfinite(v) || v < min)
        v = min;
    else if (v > max)
        v = max;
    const bool kept = v == r.value;
    r.value = v;
    return kept;
}

bool YWaveformBase::ValidateInt(WaveformParams& records, int i) const {
    if (i < 0 || i >= int(records.size())) return false;
    WaveformParam& r = records[i];
    const std::int32_t v = std::clamp(r.intValue, r.intMin, std::max(r.intMin, r.intMax));
    const bool kept = v == r.intValue;
    r.intValue = v;
    return kept;
}

bool YWaveformBase::ValidateRange(WaveformParams& records, int iStop, int iStart) const {
    const int n = int(records.size());
    if (iStop < 0 || iStop >= n || iStart < 0 || iStart >= n) return false;
    double& stop = records[iStop].value;
    double& start = records[iStart].value;
    const double max = ResolvePlaceholder(records[iStop].max, sampleRate_);
    constexpr double kBelowMax = 0.9523809523809523;  // 1 / 1.05
    if (stop > start && stop <= max) return true;
    if (start >= max) start = max * kBelowMax;
    if (stop > start) {
        stop = max;
    } else {
        stop = start * 1.05;
        if (!(stop <= max)) {
            start = max * kBelowMax;
            stop = max;
        }
    }
    return false;
}

bool YWaveformBase::ValidateFile(const WaveformParams& records, int i) const {
    if (i < 0 || i >= int(records.size()) || records[i].text.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(records[i].text, ec);
}

namespace {

WaveformParam Described(const char* name, const char* unit, int role, bool dedicated, bool isReal) {
    WaveformParam p;
    p.name = name;
    p.unit = unit;
    p.role = role;
    p.dedicated = dedicated;
    p.isReal = isReal;
    return p;
}

}  // namespace

void YWaveformBase::PutReal(WaveformParams& records, int i, const char* name, const char* unit, double value,
                            double max, double min, double step, int role, bool dedicated) {
    WaveformParam p = Described(name, unit, role, dedicated, true);
    p.value = value;
    p.max = max;
    p.min = min;
    p.step = step;
    records.at(i) = std::move(p);
}

void YWaveformBase::PutInt(WaveformParams& records, int i, const char* name, const char* unit, int value,
                           int max, int min, int step, int role, bool dedicated) {
    WaveformParam p = Described(name, unit, role, dedicated, false);
    p.intValue = value;
    p.intMax = max;
    p.intMin = min;
    p.intStep = step;
    records.at(i) = std::move(p);
}

void YWaveformBase::PutText(WaveformParams& records, int i, const char* name, const char* unit,
                            const std::string& text, int role, bool dedicated) {
    WaveformParam p = Described(name, unit, role, dedicated, false);
    p.text = text;
    records.at(i) = std::move(p);
}

// ---------------------------------------------------------------- tools

void YWaveformBase::RemoveTailMean(YDoubleVec& v) {
    const int tail = v.Size() / 64;
    if (tail == 0) return;
    double sum = 0.0;
    for (int i = v.Size() - tail; i < v.Size(); ++i) sum += v.Data()[i];
    v -= sum / tail;
}

void YWaveformBase::TrimSignTail(YDoubleVec& v, bool matchStart) {
    const int n = v.Size();
    if (n == 0) return;
    const double last = v.Data()[n - 1];
    if (last == 0.0) return;
    const auto sameSign = [last](double x) { return (x > 0.0) == (last > 0.0) && x != 0.0; };
    if (matchStart && !(n > 1 && sameSign(v.Data()[1]))) return;
    int keep = n;
    while (keep > 0 && sameSign(v.Data()[keep - 1])) --keep;
    v.Resize(keep, false);
}
