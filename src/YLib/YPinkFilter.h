#pragma once

#include "YLib/YBiquad.h"

// A second-order section with fixed pinking coefficients (those of
// YBiquad::kPinking), set at construction as raw coefficients.
class YPinkFilter : public YBiquad {
public:
    YPinkFilter();
};
