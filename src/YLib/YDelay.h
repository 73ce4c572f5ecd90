#pragma once

#include "YLib/IProcess.h"

#include <vector>

// A whole-sample delay line: Process returns the input of `Length()` calls
// earlier, and 0 during the first `Length()` calls after Setup or Reset.
//
// A delay that is not set up, whose Setup failed or that rounds to 0 samples
// is "no delay": it passes every sample unchanged.
class YDelay : public IProcess {
public:
    // Rounds delaySeconds * sampleRate to the nearest whole number of
    // samples and allocates a zeroed line of that length, replacing the old
    // one. Returns false, leaving a pass-through block, when the delay
    // rounds to 0 samples, when an argument is not finite, the rate is not
    // positive or the delay negative, when the line would exceed
    // kMaxLength samples, or when it cannot be allocated. Allocates; the
    // other operations never do.
    bool Setup(double delaySeconds, double sampleRate);

    double Process(double x) override;
    void Reset() override;
    std::size_t ProcessBlock(std::span<const double> in, std::span<double> out) override;

    // The delay actually applied: Length() / SampleRate(), 0 when none.
    double Delay() const { return delay_; }
    double SampleRate() const { return sampleRate_; }
    int Length() const { return length_; }

    // 2^22 samples: 87 s at 48 kHz (32 MiB of doubles), far beyond any
    // alignment of drivers, and a bound on what a stored setting can allocate.
    static constexpr int kMaxLength = 1 << 22;

private:
    void Clear();

    double delay_ = 0.0;
    double sampleRate_ = 0.0;
    std::vector<double> line_;
    int writePos_ = 0;
    int previousWritePos_ = 0;
    int length_ = 0;
};
