#include "Waveform/YMlsSequence.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace {

using Taps = std::vector<std::vector<int>>;

// 0-based tap cells per order (index order - 2) and variant.
const std::vector<Taps>& TapTable() {
    static const std::vector<Taps> table = {
        {{0, 1}},                                                                       // 2
        {{1, 2}},                                                                       // 3
        {{2, 3}},                                                                       // 4
        {{2, 4}},                                                                       // 5
        {{4, 5}},                                                                       // 6
        {{5, 6}},                                                                       // 7
        {{1, 2, 4, 7}},                                                                 // 8
        {{4, 8}},                                                                       // 9
        {{6, 9}},                                                                       // 10
        {{1, 10}, {8, 10}},                                                             // 11
        {{1, 2, 8, 11}, {1, 9, 10, 11}, {2, 3, 6, 11}},                                 // 12
        {{1, 2, 6, 12}, {0, 2, 3, 12}, {0, 1, 4, 5, 8, 10, 11, 12}},                    // 13
        {{2, 3, 4, 13}, {1, 11, 12, 13}, {0, 10, 11, 13}, {0, 2, 4, 6, 8, 9, 11, 13}},  // 14
        {{13, 14}, {10, 14}, {7, 14}, {1, 3, 5, 6, 7, 10, 11, 14}},                     // 15
        {{3, 12, 14, 15}, {1, 2, 4, 15}, {1, 2, 3, 6, 9, 10, 11, 15}},                  // 16
        {{13, 16}, {2, 16}, {8, 12, 13, 16}, {4, 5, 8, 10, 13, 16}},                    // 17
        {{10, 17}, {6, 17}},                                                            // 18
        {{13, 16, 17, 18}},                                                             // 19
        {{16, 19}},                                                                     // 20
        {{18, 20}},                                                                     // 21
        {{20, 21}},                                                                     // 22
        {{17, 22}},                                                                     // 23
        {{16, 21, 22, 23}},                                                             // 24
    };
    return table;
}

}  // namespace

int MlsVariantCount(int order) {
    if (order < 2 || order > 24) return 0;
    return int(TapTable()[order - 2].size());
}

bool MakeMls(YDoubleVec& out, int order, int variant) {
    if (variant < 0 || variant >= MlsVariantCount(order)) return false;
    std::uint32_t tapMask = 0;
    for (int t : TapTable()[order - 2][variant]) tapMask |= 1u << t;
    const int L = (1 << order) - 1;
    if (!out.Resize(L, false)) return false;
    // Bit k of the register is cell S[k].
    const std::uint32_t cells = (1u << order) - 1;
    std::uint32_t state = cells;
    double* o = out.Data();
    for (int i = 0; i < L; ++i) {
        const std::uint32_t b = std::popcount(state & tapMask) & 1u;
        state = ((state << 1) | b) & cells;
        o[i] = b ? -1.0 : 1.0;
    }
    return true;
}
