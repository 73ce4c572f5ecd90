#include "Waveform/YLogSweep.h"

#include "YLib/YFftKernel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr int kRoleStart = 2, kRoleStop = 3, kRolePoints = 6, kRoleDuration = 7, kRoleLinear = 10;
constexpr int kCompensationFlags = 0;
constexpr int kMaxSweepSamples = 1 << 28;

// The sweep the level constants were set for.
constexpr double kReferenceStart = 20.0, kReferenceStop = 20000.0, kReferenceDuration = 0.1;

struct LevelRow {
    long rate;
    double db;
};
constexpr LevelRow kLevels[] = {{11025, 29.1},  {12000, 28.43}, {22050, 29.21}, {24000, 28.48},
                                {44100, 29.31}, {48000, 28.6},  {88200, 29.53}, {0, 28.84}};

double LevelConstantDb(long rate) {
    for (const LevelRow& row : kLevels)
        if (row.rate == rate) return row.db;
    return kLevels[std::size(kLevels) - 1].db;
}

// 10·log10(x) with the logarithm limited to ±38.
double ClampedTenLog(double x) {
    const double l = x > 0.0 ? std::log10(x) : -38.0;
    return 10.0 * std::clamp(l, -38.0, 38.0);
}

// The transform order of the analysis: the smallest k >= 8 with 2^k >= n, n
// the length of the sweep played (the period the recording is cut into).
int OrderFor(long long n) {
    int k = 8;
    while ((1LL << k) < n) ++k;
    return k;
}

// The order the level constants were set with: the smallest k >= 8 with 2^k
// >= 2·n.
int ReferenceOrderFor(long long n) { return OrderFor(2 * n); }

template <class Vector>
double MaxMagnitude(const Vector& v) {
    double peak = 0.0;
    for (const YComplex& z : v) peak = std::max(peak, Norm(z));
    return std::sqrt(peak);
}

bool ValidRange(double f1, double f2, double duration) {
    return std::isfinite(f1) && std::isfinite(f2) && std::isfinite(duration) && f1 > 0.0 && f1 < f2 &&
           duration > 0.0;
}

}  // namespace

YLogSweep::YLogSweep() : YWaveformBase(kId, "Log Sine Sweep", 0, false) {}

bool YLogSweep::MakeSweep(YDoubleVec& out, double sampleRate, double f1, double f2,
                          double durationPerOctave) {
    if (!ValidRange(f1, f2, durationPerOctave) || !(sampleRate > 0.0)) return false;
    const double octaves = std::log2(f2 / f1);
    const double length = std::round(sampleRate * durationPerOctave * octaves) + 1.0;
    if (!(length <= kMaxSweepSamples) || !out.Resize(int(length), false)) return false;
    const int n = out.Size();
    const double T = octaves * durationPerOctave;
    const double K = std::log(f2 / f1) / T;
    const double A = f1 / K;
    const double dt = T / n;
    const double twoPi = 2.0 * std::numbers::pi;
    for (int i = 0; i < n; ++i) out.Data()[i] = std::sin(twoPi * (A * std::exp(K * (i * dt)) - 1.0));
    return true;
}

template <class Vector>
bool YLogSweep::Spectrum(const YDoubleVec& v, int k, Vector& out, bool full) {
    const std::size_t n = std::size_t(1) << k;
    try {
        out.resize(full ? n : n / 2 + 1);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    // The real transform takes the samples in the first n doubles.
    double* data = reinterpret_cast<double*>(out.data());
    const std::size_t used = std::min<std::size_t>(v.Size(), n);
    std::copy_n(v.Data(), used, data);
    std::fill(data + used, data + n, 0.0);
    return full ? fftkernel::TransformReal(data, k) : fftkernel::TransformRealHalf(data, k);
}

void YLogSweep::PutRange(WaveformParams& records) const {
    records.assign(4, WaveformParam());
    PutReal(records, 0, "Start frequency", "Hz", startFrequency_, WaveformParam::kNyquistPlaceholder, 1.0,
            -1.0, kRoleStart, true);
    PutReal(records, 1, "Stop frequency", "Hz", stopFrequency_, WaveformParam::kNyquistPlaceholder, 1.0, -1.0,
            kRoleStop, true);
}

bool YLogSweep::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    PutRange(records);
    PutReal(records, 2, "Duration per octave", "s", durationPerOctave_, 10.0,
            WaveformParam::kOneSamplePlaceholder, -1.0, kRoleDuration, false);
    return true;
}

bool YLogSweep::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 4, [this](WaveformParams& r) { return GetParams(r); })) return false;
    // Each check runs (and corrects) even after an earlier one failed.
    bool ok = ValidateReal(records, 0);
    ok = ValidateRange(records, 1, 0) && ok;
    ok = ValidateReal(records, 2) && ok;
    if (!ok) return false;
    startFrequency_ = records[0].value;
    stopFrequency_ = records[1].value;
    durationPerOctave_ = records[2].value;
    return true;
}

bool YLogSweep::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    PutRange(records);
    PutInt(records, 2, "Points per octave", "", pointsPerOctave_, 4096, 1, 1, kRolePoints, true);
    PutInt(records, 3, "Linear scale", "", linearAxis_ ? 1 : 0, 1, 0, 1, kRoleLinear, true);
    return true;
}

bool YLogSweep::SetAnalysisParams(WaveformParams& records) {
    if (!AdoptRecords(records, 4, [this](WaveformParams& r) { return GetAnalysisParams(r); })) return false;
    // The corrected values are stored; the result says whether any was needed.
    bool ok = ValidateReal(records, 0);
    ok = ValidateRange(records, 1, 0) && ok;
    ok = ValidateInt(records, 2) && ok;
    ok = ValidateInt(records, 3) && ok;
    startFrequency_ = records[0].value;
    stopFrequency_ = records[1].value;
    pointsPerOctave_ = records[2].intValue;
    linearAxis_ = records[3].intValue != 0;
    return ok;
}

bool YLogSweep::Generate() {
    if (!valid_) return false;
    syncPulse_ = false;
    generatedOrder_ = -1;
    if (!MakeSweep(samples_, sampleRate_, startFrequency_, stopFrequency_, durationPerOctave_)) {
        samples_.Resize(0);
        pcm_.clear();
        return false;
    }
    return Render();
}

double YLogSweep::ReferenceLevel() {
    if (referenceRate_ == sampleRate_) return referenceLevel_;
    YDoubleVec sweep;
    std::vector<YComplex> spectrum;
    if (!MakeSweep(sweep, sampleRate_, kReferenceStart, kReferenceStop, kReferenceDuration)) return 0.0;
    const int k = ReferenceOrderFor(sweep.Size());
    if (!Spectrum(sweep, k, spectrum, false)) return 0.0;
    const double octaves = std::log2(kReferenceStop / kReferenceStart);
    const double db = LevelConstantDb(std::lround(sampleRate_)) +
                      ClampedTenLog(octaves * kReferenceDuration) + ClampedTenLog(0.05 * kReferenceStart);
    referenceLevel_ = MaxMagnitude(spectrum) / double(1 << k) * std::pow(10.0, db / 20.0);
    referenceRate_ = sampleRate_;
    return referenceLevel_;
}

bool YLogSweep::Analyze(RecordedChannels recording, ResponseList& responses, int count, std::uint32_t flags) {
    transferKept_ = false;
    ClearResponses(responses);
    // The period is the sweep that was played.
    if (!valid_ || samples_.Empty()) return false;
    const bool both = stereo_ || mode_ == 1;
    YDoubleVec measured, second;
    if (!ExtractPeriods(measured, second, recording, samples_.Size(), count,
                        (flags & kAnalyzeSkipFirst) != 0))
        return false;
    const YDoubleVec& reference = both ? second : samples_;

    // Both periods are as long as the sweep: the transform holds one of them.
    const int k = OrderFor(samples_.Size());
    if (k > 30) return false;
    Spectra& X = transfer_;
    Spectra& Y = reference_;
    // The reference as bins 0..N/2 only, except where it is shown itself.
    // Each period is let go once transformed.
    if (!Spectrum(measured, k, X, true)) return false;
    measured = YDoubleVec();
    if (!Spectrum(reference, k, Y, mode_ == 1)) return false;
    second = YDoubleVec();
    const double f1 = startFrequency_, f2 = stopFrequency_;
    const auto fill = [&](std::span<const YComplex> spectrum, int axis, int magnitude, int phase) {
        return ResponseOnAxis(spectrum, responses[axis].data, responses[magnitude].data,
                              responses[phase].data, f1, f2, pointsPerOctave_, linearAxis_, true);
    };

    if (mode_ == 1) {
        responses.resize(5);
        const int tags[] = {ResponseEntry::kFrequency, ResponseEntry::kMagnitude, ResponseEntry::kPhase,
                            ResponseEntry::kMagnitude, ResponseEntry::kPhase};
        for (int i = 0; i < 5; ++i) responses[i].tag = tags[i];
        if (!fill(X, 0, 1, 2) || !fill(Y, 0, 3, 4)) {
            ClearResponses(responses);
            return false;
        }
        return true;
    }

    // The reference is normalised to its largest bin; the level below refers
    // the result back to the generated sweep, so a reference channel that
    // carries the sweep unchanged reads like the one-channel analysis.
    const double referencePeak = MaxMagnitude(Y);
    if (!both) {
        generatedPeak_ = referencePeak;
        generatedOrder_ = k;
    } else if (generatedOrder_ != k) {
        Spectra G;
        if (!Spectrum(samples_, k, G, false)) return false;
        generatedPeak_ = MaxMagnitude(G);
        generatedOrder_ = k;
    }
    if (!(referencePeak > 0.0) || !(generatedPeak_ > 0.0)) return false;
    // Both spectra are conjugate symmetric: the upper half of the transfer is
    // the mirror image of the quotient of the lower halves.
    const double scale = 1.0 / referencePeak;
    const std::size_t n = X.size(), half = n / 2;
    for (std::size_t j = 0; j <= half; ++j) X[j] /= Y[j] * scale;
    for (std::size_t j = 1; j < half; ++j) X[n - j] = Conj(X[j]);
    if (optionFlag_ && stereo_) PhaseRotate(X, false);  // one sample earlier

    YComplexVec compensation;
    const bool compensate = Compensation(k, kCompensationFlags, compensation);
    if (compensate) {
        if (compensation.Size() != int(X.size())) return false;
        for (std::size_t j = 0; j < X.size(); ++j) X[j] /= compensation.Data()[j];
    }

    responses.resize(3);
    responses[0].tag = ResponseEntry::kFrequency;
    responses[1].tag = ResponseEntry::kMagnitude;
    responses[2].tag = ResponseEntry::kPhase;
    const double level = ReferenceLevel();
    if (!fill(X, 0, 1, 2) || !(level > 0.0)) {
        ClearResponses(responses);
        return false;
    }
    responses[1].data *= level / generatedPeak_ * levelLeft_;
    if (harmonics_ >= 2 && !AppendDistortion(responses)) {
        ClearResponses(responses);
        return false;
    }
    transferKept_ = !compensate;
    return true;
}

bool YLogSweep::SetHarmonics(int highest) {
    if (highest != 0 && (highest < 2 || highest > YSweepHarmonics::kMaxHarmonic)) return false;
    harmonics_ = highest;
    return true;
}

bool YLogSweep::AppendDistortion(ResponseList& responses) {
    harmonicsLeftOut_ = 0;
    YSweepHarmonics::Result& parts = harmonicSpectra_;
    const YSweepHarmonics::Sweep sweep{sampleRate_, startFrequency_, stopFrequency_, samples_.Size()};
    if (!harmonicParts_.Separate(transfer_, sweep, harmonics_, parts)) return false;
    harmonicsLeftOut_ = parts.firstLeftOut;
    const int kept = int(parts.spectra.size());
    if (kept < 2) return true;  // nothing separated: no distortion to report
    const int n = responses[0].data.Size();
    const double floor = 100.0 / std::ldexp(1.0, std::clamp(bits_ - 1, 0, 23));
    // 100·sqrt(part / (part + fundamental)), the stepped sine's percent.
    const auto percent = [floor](double part, double fundamental) {
        const double total = part + fundamental;
        const double p = total > 0.0 && std::isfinite(total) ? 100.0 * std::sqrt(part / total) : 0.0;
        return std::max(p, floor);
    };
    static constexpr int kTags[] = {ResponseEntry::kH2, ResponseEntry::kH3, ResponseEntry::kH4,
                                    ResponseEntry::kH5};
    const std::size_t thd = responses.size();
    responses.resize(thd + kept);
    responses[thd].tag = ResponseEntry::kThd;
    for (int k = 2; k <= kept; ++k) responses[thd + k - 1].tag = kTags[k - 2];
    for (std::size_t e = thd; e < responses.size(); ++e)
        if (!responses[e].data.Resize(n, false)) return false;
    const YDoubleVec& axis = responses[0].data;  // only now: the list has grown
    for (int i = 0; i < n; ++i) {
        const double f = axis.Data()[i];
        const double fundamental = Norm(SpectrumAt(parts.spectra[0], f, true));
        double all = 0.0;
        for (int k = 2; k <= kept; ++k) {
            // Harmonic k of f was measured only where k·f lies within the sweep.
            const double power =
                k * f <= stopFrequency_ ? Norm(SpectrumAt(parts.spectra[k - 1], k * f, true)) : 0.0;
            all += power;
            responses[thd + k - 1].data.Data()[i] = percent(power, fundamental);
        }
        responses[thd].data.Data()[i] = percent(all, fundamental);
    }
    return true;
}

bool YLogSweep::GetResult(YComplexVec* out) {
    if (!out || !transferKept_ || transfer_.empty() || !out->Resize(int(transfer_.size()), false))
        return false;
    std::copy(transfer_.begin(), transfer_.end(), out->Data());
    return true;
}
