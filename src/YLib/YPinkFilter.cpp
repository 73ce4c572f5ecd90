#include "YLib/YPinkFilter.h"

YPinkFilter::YPinkFilter() {
    const Coefficients& c = kPinkingCoefficients;
    SetCoefficients(c.a0, c.a1, c.a2, c.b0, c.b1, c.b2);
}
