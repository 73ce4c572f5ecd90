#include "Waveform/YFastHadamard.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace {

// The Walsh-Hadamard transform in natural (Sylvester) order, in place. Stages
// up to a block of 2^12 values run block by block in cache; the larger ones
// two at a time (radix 4), so the data passes through memory half as often.
void Hadamard(double* a, int order) {
    const std::size_t n = std::size_t(1) << order;
    const std::size_t block = std::min<std::size_t>(n, 4096);
    for (std::size_t base = 0; base < n; base += block) {
        double* b = a + base;
        for (std::size_t h = 1; h < block; h *= 2)
            for (std::size_t i = 0; i < block; i += 2 * h)
                for (std::size_t j = i; j < i + h; ++j) {
                    const double x = b[j], y = b[j + h];
                    b[j] = x + y;
                    b[j + h] = x - y;
                }
    }
    std::size_t h = block;
    for (; 4 * h <= n; h *= 4)
        for (std::size_t i = 0; i < n; i += 4 * h)
            for (std::size_t j = i; j < i + h; ++j) {
                const double x0 = a[j], x1 = a[j + h], x2 = a[j + 2 * h], x3 = a[j + 3 * h];
                const double s01 = x0 + x1, d01 = x0 - x1, s23 = x2 + x3, d23 = x2 - x3;
                a[j] = s01 + s23;
                a[j + h] = d01 + d23;
                a[j + 2 * h] = s01 - s23;
                a[j + 3 * h] = d01 - d23;
            }
    if (h < n)
        for (std::size_t j = 0; j < h; ++j) {
            const double x = a[j], y = a[j + h];
            a[j] = x + y;
            a[j + h] = x - y;
        }
}

}  // namespace

bool YFastHadamard::Init(const YDoubleVec& sequence, int order) {
    order_ = 0;
    tagIn_.clear();
    tagOut_.clear();
    if (order < 2 || order > 24) return false;
    const std::size_t L = (std::size_t(1) << order) - 1;
    if (std::size_t(sequence.Size()) < L) return false;
    // neg[i] = 1 where the sequence is negative, repeated once so that the
    // windows below need no wrap-around.
    std::vector<std::uint8_t> neg(2 * L);
    for (std::size_t i = 0; i < L; ++i) neg[i] = neg[i + L] = sequence.Data()[i] < 0.0 ? 1 : 0;
    const std::uint32_t mask = std::uint32_t((std::size_t(1) << order) - 1);

    // tagIn[j]: the order-bit window of the sequence ending at j (bit i is
    // sample j - i, circularly), rolled on from one j to the next.
    std::vector<std::uint32_t> in(L, 0), out(L, 0);
    for (int i = 0; i < order; ++i) in[0] |= std::uint32_t(neg[L - i]) << i;
    for (std::size_t j = 1; j < L; ++j) in[j] = ((in[j - 1] << 1) | neg[j]) & mask;
    // Every window value 1..L occurs once in a maximum-length sequence.
    std::vector<bool> seen(std::size_t(1) << order, false);
    std::size_t firstAt[24] = {};
    for (std::size_t j = 0; j < L; ++j) {
        if (in[j] == 0 || seen[in[j]]) return false;
        seen[in[j]] = true;
        if (std::has_single_bit(in[j])) firstAt[std::countr_zero(in[j])] = j;
    }
    // tagOut[k]: bit i is sample firstAt[i] - k, circularly.
    for (std::size_t k = 0; k < L; ++k) {
        std::uint32_t bits = 0;
        for (int i = 0; i < order; ++i) bits |= std::uint32_t(neg[firstAt[i] + L - k]) << i;
        out[k] = bits;
    }
    tagIn_ = std::move(in);
    tagOut_ = std::move(out);
    order_ = order;
    return true;
}

bool YFastHadamard::Correlate(YDoubleVec& x) {
    if (order_ == 0) return false;
    const std::size_t N = std::size_t(1) << order_;
    const std::size_t L = N - 1;
    if (tagIn_.size() != L || tagOut_.size() != L || std::size_t(x.Size()) < L) return false;
    work_.assign(N, 0.0);
    double* a = work_.data();
    const double* in = x.Data();
    for (std::size_t i = 0; i < L; ++i) a[tagIn_[i]] = in[i];
    a[0] = 0.0;
    Hadamard(a, order_);
    if (!x.Resize(int(L), false)) return false;
    const double scale = 4.0 / double(L);
    double* o = x.Data();
    for (std::size_t k = 0; k < L; ++k) o[k] = scale * a[tagOut_[k]];
    return true;
}
