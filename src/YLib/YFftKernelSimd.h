#pragma once
// Shared by the kernel's translation units: the layout of the stage tables and
// the AVX2/FMA kernels, which live in a translation unit of their own compiled
// for those instructions and are called only when the processor has them.

#include <cstddef>

namespace fftkernel::detail {

// The position of w^(j·k) (j = 1..3) in a stage table: blocks of four k hold
// four w^k, four w^2k and four w^3k, each an (re, im) pair, so that two (double)
// or four (float) neighbouring k load as one vector. Internal linkage: each
// translation unit keeps its own copy, compiled for its own instructions.
static constexpr std::size_t StageTwiddle(std::size_t k, int j) {
    return 24 * (k >> 2) + 8 * std::size_t(j - 1) + 2 * (k & 3);
}

// Blocks up to this order are transformed stage by stage (they fit in cache);
// larger ones one stage, then their quarters depth first.
inline constexpr int kLeafOrder = 11;

// The decimation-in-frequency stages of a transform of 2^order pairs (order
// >= 2), output in bit-reversed order; tw[l] is the stage table of order l for
// l = order, order-2, ... >= 3.
void DifAvx2(double* x, int order, const double* const* tw, bool inverse);
void DifAvx2(float* x, int order, const float* const* tw, bool inverse);

}  // namespace fftkernel::detail
