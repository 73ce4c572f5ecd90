#pragma once
// The double-precision transform, in place on a YComplexVec, with the tools
// of YFftTools. The system's own radix-4 kernel (see YFftKernel.h).
//
// Threading: stateless; every operation may run from several threads at once
// on different vectors (the shared twiddle tables are built once, thread-safe).

#include "YLib/YFftTools.h"

class YFft : public YFftTools {
public:
    bool Transform(YComplexVec& v, bool inverse) const override;
    bool InverseTransform(YComplexVec& v) const override;

    // The forward transform of real samples through a transform of half the
    // size (faster than transforming them as complex values): spectrum
    // receives all N bins (bin N-i the conjugate of bin i). N must be a power of two of at least 4;
    // false (spectrum unchanged) otherwise.
    bool TransformReal(const YDoubleVec& samples, YComplexVec& spectrum) const;
};
