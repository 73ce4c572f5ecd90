#pragma once
// One curve of a frequency curve set: its kind, one value per point of the
// set's frequency axis, and the colour it is drawn in.
// A plain value: safe from any thread.

#include "Sonbex/Curves/CurveKind.h"
#include "YLib/YDoubleVec.h"

#include <cstdint>

namespace sonbex::curves {

// 0x00BBGGRR.
using ColourRef = std::uint32_t;
constexpr ColourRef Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return ColourRef(r) | (ColourRef(g) << 8) | (ColourRef(b) << 16);
}

class YCurve {
public:
    YCurve() = default;
    YCurve(CurveKind k, const YDoubleVec& v, ColourRef c) : kind(k), values(v), colour(c) {}
    virtual ~YCurve() = default;

    CurveKind kind = CurveKind::Magnitude;
    YDoubleVec values;
    ColourRef colour = 0;
};

}  // namespace sonbex::curves
