#include "YLib/YGain.h"

std::size_t YGain::ProcessBlock(std::span<const double> in, std::span<double> out) {
    const std::size_t n = std::min(in.size(), out.size());
    const double g = gain;
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i] * g;
    return n;
}
