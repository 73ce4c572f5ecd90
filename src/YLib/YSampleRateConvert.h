#pragma once

#include <cstddef>
#include <span>

class YDoubleVec;

// Brings a sampled signal (a wave file) to the measurement sample rate.
//
// The converter is a polyphase windowed-sinc interpolator: output sample i is
// the band-limited input at the time i / targetRate, so the signal keeps its
// timing (no added latency). Its low-pass passes 0 ... 0.45 of the lower of
// the two rates within 0.0001 dB and stops everything above 0.5 of it by at
// least 105 dB: no images when up-sampling, no aliases when down-sampling.
// Samples before the start and after the end of the input count as 0, so the
// first and last 72 samples (at the lower rate) carry the filter's ramps.
//
// Stateless; safe to call from several threads.
class YSampleRateConvert {
public:
    // Down-sampling by more than this factor is refused.
    static constexpr double kMaxDownRatio = 1024.0;

    virtual ~YSampleRateConvert() = default;

    // round(inputLength * targetRate / sourceRate), the length of the output;
    // inputLength when both rates round to the same whole number of Hz; 0
    // when a rate is not finite and positive.
    static std::size_t OutputLength(std::size_t inputLength, double targetRate, double sourceRate);

    // Converts `in`, sampled at sourceRate, to `out` at targetRate. out must
    // hold exactly OutputLength(in.size(), ...) samples and must not overlap
    // in; in is never changed. When both rates round to the same whole number
    // of Hz the input is copied unchanged. Returns false, leaving out
    // unchanged, when a rate is not finite and positive, the ratio exceeds
    // kMaxDownRatio, out has the wrong length or the filter cannot be
    // allocated. Allocates the filter (2.5 MB at most) for each call.
    static bool Convert(std::span<const double> in, std::span<double> out, double targetRate,
                        double sourceRate);

    // The same into out, resized to the output length; out and in may be the
    // same vector. On failure (also when the output would exceed the size of
    // a vector) out is left unchanged.
    static bool Convert(YDoubleVec& out, const YDoubleVec& in, double targetRate, double sourceRate);

    // A tenth-order low-pass in place: five second-order low-pass sections
    // at `corner` with quality factors 0.5062, 0.5612, 0.7071, 1.1013 and
    // 3.1969 (a Butterworth alignment), each run over the whole block from
    // zero state before the next. Leaves the samples unchanged when the
    // sections cannot be designed (corner not within 0 ... sampleRate / 2).
    static void LowPassCascade(std::span<double> samples, double sampleRate, double corner);
};
