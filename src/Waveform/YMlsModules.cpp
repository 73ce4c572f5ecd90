#include "Waveform/YMlsModules.h"

#include "Waveform/YMlsSequence.h"
#include "YLib/YAnaTimeDomain.h"
#include "YLib/YBiquad.h"
#include "YLib/YFft.h"
#include "YLib/YNoise.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRoleMlsLength = 22;
constexpr int kCompensationFlags = 1;
constexpr int kExtCosineBell = 6;

struct LevelRow {
    long rate;
    double white;
    double pink;
};
// Level constants in dB by sample rate; the last row serves every other rate.
constexpr LevelRow kLevels[] = {
    {11025, -14.0, 1.2},        {12000, -11.8657, 1.2999}, {22050, -13.8517, 3.6619},
    {24000, -14.2463, 2.6154},  {44100, -14.2193, 2.6271}, {48000, -14.4015, 1.1996},
    {88200, -14.6253, -1.0462}, {0, -14.2412, -0.4733},
};

const LevelRow& LevelsFor(long rate) {
    for (const LevelRow& row : kLevels)
        if (row.rate == rate) return row;
    return kLevels[std::size(kLevels) - 1];
}

// The transform order of YAnaTimeDomain::DualChannelResponse for responses
// of n samples (a compensation must have 2^order bins): the smallest odd
// order of at least 3 that holds n rounded up to even.
int DualChannelOrder(int n) {
    const long long even = n + (n & 1);
    int order = 3;
    while ((1LL << order) < even) order += 2;
    return order;
}

std::span<double> Span(YDoubleVec& v) { return {v.Data(), std::size_t(v.Size())}; }

}  // namespace

YMlsBase::YMlsBase(int id, const char* name, bool syncPulse) : YWaveformBase(id, name, 0, syncPulse) {}

bool YMlsBase::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.resize(1);
    PutInt(records, 0, "MLS length", "", order_, kMaxOrder, kMinOrder, 1, kRoleMlsLength, false);
    return true;
}

bool YMlsBase::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 1, [this](WaveformParams& r) { return GetParams(r); })) return false;
    const bool kept = ValidateInt(records, 0);
    order_ = records[0].intValue;
    return kept;
}

bool YMlsBase::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.clear();
    return true;
}

bool YMlsBase::SetAnalysisParams(WaveformParams&) { return true; }

bool YMlsBase::Generate() {
    if (!valid_) return false;
    syncPulse_ = false;
    // The filtered sequences depend on the rate too (the shelf sits at 1 kHz).
    if (order_ != cachedOrder_ || (Emphasised() && sampleRate_ != cachedRate_)) {
        cachedOrder_ = -1;
        if (!MakeMls(samples_, order_, Variant(order_)) || !correlator_.Init(samples_, order_)) return false;
        if (Emphasised()) {
            if (!Emphasise(samples_)) return false;
            YNoise::NormalisePeak(Span(samples_));
            if (!reference_.CopyFrom(samples_) || !correlator_.Correlate(reference_)) return false;
            reference_.Resize(reference_.Size() / 2);
        }
        cachedOrder_ = order_;
        cachedRate_ = sampleRate_;
    }
    return Render();
}

bool YMlsBase::Analyze(RecordedChannels recording, ResponseList& responses, int count, std::uint32_t flags) {
    KeepResponse(YDoubleVec());
    syncPulse_ = false;
    if (cachedOrder_ < 0 || correlator_.Order() != cachedOrder_) return false;
    const int L = (1 << cachedOrder_) - 1;
    const bool both = stereo_ || mode_ == 1;
    YDoubleVec ch1, ch2;
    if (!ExtractPeriods(ch1, ch2, recording, L, count, (flags & kAnalyzeSkipFirst) != 0)) return false;
    const int len = L / 2;  // the second half of the correlation period is dropped
    if (!correlator_.Correlate(ch1) || !ch1.Resize(len)) return false;
    if (both && (!correlator_.Correlate(ch2) || !ch2.Resize(len))) return false;

    ClearResponses(responses);
    responses.resize(mode_ == 1 ? 2 : 1);
    if (mode_ == 1) {
        responses[0].data = std::move(ch1);
        responses[1].data = std::move(ch2);
        return true;
    }

    const bool transfer = stereo_ || Emphasised();
    YComplexVec compensation;
    const int order = transfer ? DualChannelOrder(len) : int(std::lround(std::log2(2.0 * len + 2.0)));
    const bool compensate = Compensation(order, kCompensationFlags, compensation);
    YDoubleVec& response = responses[0].data;
    if (transfer) {
        const YDoubleVec& reference = stereo_ ? ch2 : reference_;
        if (!YAnaTimeDomain().DualChannelResponse(response, ch1, reference, sampleRate_,
                                                  stereo_ && optionFlag_,
                                                  compensate ? &compensation : nullptr)) {
            ClearResponses(responses);
            return false;
        }
    } else {
        if (compensate) YAnaTimeDomain().ApplyCompensation(ch1, compensation);
        response = std::move(ch1);
    }
    if (response.Size() != len) {
        ClearResponses(responses);
        return false;
    }
    KeepResponse(response);
    response *= std::pow(10.0, LevelConstantDb(std::lround(sampleRate_)) / 20.0) * levelLeft_;
    return true;
}

// ---------------------------------------------------------------- White

YWhiteMLS::YWhiteMLS() : YMlsBase(kId, "White MLS", false) {}

double YWhiteMLS::LevelConstantDb(long rate) const { return LevelsFor(rate).white; }

void YWhiteMLS::KeepResponse(const YDoubleVec& response) {
    spectrum_.SetReal(response);
    spectrumStale_ = true;
}

bool YWhiteMLS::GetResult(YComplexVec* out) {
    if (!out || spectrum_.Empty()) return false;
    if (spectrumStale_) {
        // The response is real: a real transform of it, zero padded.
        const int len = spectrum_.Size();
        const YFft fft;
        YDoubleVec x;
        if (!x.Resize(2 * len + 2, true)) return false;
        for (int i = 0; i < len; ++i) x.Data()[i] = spectrum_.Data()[i].re;
        fft.ApplyWindowReal(x, len, kExtCosineBell, true, 0);
        if (!fft.TransformReal(x, spectrum_)) return false;
        spectrumStale_ = false;
    }
    *out = spectrum_;
    return out->Size() == spectrum_.Size();
}

// ---------------------------------------------------------------- Pink

YPinkMLS::YPinkMLS() : YMlsBase(kId, "Pink MLS", true) {}

double YPinkMLS::LevelConstantDb(long rate) const { return LevelsFor(rate).pink; }

bool YPinkMLS::Emphasise(YDoubleVec& v) const {
    YNoise::PinkFilterBlock(Span(v));
    return true;
}

// ---------------------------------------------------------------- Shelved

YShelvedMLS::YShelvedMLS() : YMlsBase(kId, "Shelved MLS", true) {}

double YShelvedMLS::LevelConstantDb(long rate) const { return LevelsFor(rate).pink * 0.53; }

bool YShelvedMLS::Emphasise(YDoubleVec& v) const {
    YBiquad shelf;
    if (!shelf.Setup(YBiquad::kHighShelf, sampleRate_, 1000.0, -15.0, 0.7071, false)) return false;
    shelf.FilterBlock(Span(v), true);
    return true;
}
