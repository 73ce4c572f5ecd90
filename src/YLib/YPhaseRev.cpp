#include "YLib/YPhaseRev.h"

std::size_t YPhaseRev::ProcessBlock(std::span<const double> in, std::span<double> out) {
    const std::size_t n = std::min(in.size(), out.size());
    const double sign = invert ? -1.0 : 1.0;
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i] * sign;
    return n;
}
