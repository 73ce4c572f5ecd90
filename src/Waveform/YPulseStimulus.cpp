#include "Waveform/YPulseStimulus.h"

#include "YLib/YAnaTimeDomain.h"
#include "YLib/YComplexVec.h"
#include "YLib/YFft.h"

#include <algorithm>

namespace {

constexpr int kCompensationFlags = 1;
constexpr int kMaxOrder = 28;

// The transform order of YAnaTimeDomain::DualChannelResponse for responses
// of n samples, which a compensation for it must have: the smallest odd
// order of at least 3 that holds n rounded up to even.
int DualChannelOrder(int n) {
    const long long even = n + (n & 1);
    int order = 3;
    while ((1LL << order) < even) order += 2;
    return order;
}

}  // namespace

bool YPulseStimulus::Deconvolve(YDoubleVec& out, const YDoubleVec& recorded, const YDoubleVec& stimulus) {
    const long long longer = std::max(recorded.Size(), stimulus.Size());
    int k = 2;
    while ((1LL << k) < 2 * longer && k < kMaxOrder) ++k;
    if ((1LL << k) < 2 * longer || recorded.Empty()) return false;
    const int N = 1 << k;
    YDoubleVec r(N), s(N);
    if (r.Size() != N || s.Size() != N) return false;
    std::copy(recorded.begin(), recorded.end(), r.begin());
    std::copy(stimulus.begin(), stimulus.end(), s.begin());
    const YFft fft;
    YComplexVec R, S;
    if (!fft.TransformReal(r, R) || !fft.TransformReal(s, S)) return false;
    double peak = 0.0;
    for (const YComplex& z : S) peak = std::max(peak, Norm(z));
    if (!(peak > 0.0)) return false;
    const double lambda = kRegularisation * kRegularisation * peak;
    for (int i = 0; i < N; ++i) {
        const YComplex z = S.Data()[i];
        const YComplex conj{z.re, -z.im};
        R.Data()[i] = R.Data()[i] * conj / (Norm(z) + lambda);
    }
    if (!fft.Transform(R, true) || !out.Resize(recorded.Size(), false)) return false;
    for (int i = 0; i < out.Size(); ++i) out.Data()[i] = R.Data()[i].re;
    return true;
}

bool YPulseStimulus::AnalyzeImpulse(RecordedChannels recording, ResponseList& responses, int count,
                                    std::uint32_t flags, const ImpulseRules& rules) {
    ClearResponses(responses);
    if (!valid_ || samples_.Empty()) return false;
    // The period is the stimulus as it was played.
    const int len = samples_.Size();
    YDoubleVec first, second;
    if (!ExtractPeriods(first, second, recording, len, count, (flags & kAnalyzeSkipFirst) != 0)) return false;
    const bool both = stereo_ || mode_ == 1;
    if (rules.removeTailMean) {
        RemoveTailMean(first);
        if (both) RemoveTailMean(second);
    }
    if (mode_ == 1) {
        if (first.Size() != len || second.Size() != len) return false;
        responses.resize(2);
        responses[0].data = std::move(first);
        responses[1].data = std::move(second);
        return true;
    }

    YComplexVec compensation;
    int order = 1;
    if (stereo_)
        order = DualChannelOrder(len);
    else
        while ((1LL << order) < 2LL * len) ++order;
    const bool compensate = rules.compensate && Compensation(order, kCompensationFlags, compensation);

    responses.resize(1);
    YDoubleVec& response = responses[0].data;
    bool ok;
    if (stereo_) {
        ok = YAnaTimeDomain().DualChannelResponse(response, first, second, sampleRate_, optionFlag_,
                                                  compensate ? &compensation : nullptr);
    } else {
        ok = rules.deconvolve ? Deconvolve(response, first, samples_) : response.CopyFrom(first);
        if (ok && compensate) YAnaTimeDomain().ApplyCompensation(response, compensation);
    }
    if (!ok || response.Size() != len) {
        ClearResponses(responses);
        return false;
    }
    response *= rules.scale;
    return true;
}
