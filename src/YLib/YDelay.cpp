#include "YLib/YDelay.h"

#include <cmath>
#include <new>

void YDelay::Clear() {
    delay_ = 0.0;
    sampleRate_ = 0.0;
    std::vector<double>().swap(line_);
    writePos_ = previousWritePos_ = 0;
    length_ = 0;
}

bool YDelay::Setup(double delaySeconds, double sampleRate) {
    Clear();
    if (!std::isfinite(delaySeconds) || !std::isfinite(sampleRate) || sampleRate <= 0.0 || delaySeconds < 0.0)
        return false;
    const double samples = std::floor(delaySeconds * sampleRate + 0.5);
    if (!(samples >= 1.0) || samples > kMaxLength) return false;
    try {
        line_.assign(static_cast<std::size_t>(samples), 0.0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    length_ = static_cast<int>(samples);
    sampleRate_ = sampleRate;
    delay_ = length_ / sampleRate;
    Reset();
    return true;
}

void YDelay::Reset() {
    std::fill(line_.begin(), line_.end(), 0.0);
    writePos_ = previousWritePos_ = 0;
}

double YDelay::Process(double x) {
    if (length_ == 0) return x;
    const double y = line_[static_cast<std::size_t>(writePos_)];
    line_[static_cast<std::size_t>(writePos_)] = x;
    previousWritePos_ = writePos_;
    writePos_ = writePos_ + 1 == length_ ? 0 : writePos_ + 1;
    return y;
}

std::size_t YDelay::ProcessBlock(std::span<const double> in, std::span<double> out) {
    const std::size_t n = std::min(in.size(), out.size());
    if (length_ == 0) {
        if (in.data() != out.data()) std::copy_n(in.begin(), n, out.begin());
        return n;
    }
    for (std::size_t i = 0; i < n; ++i) out[i] = YDelay::Process(in[i]);
    return n;
}
