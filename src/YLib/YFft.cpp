#include "YLib/YFft.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFftKernel.h"

#include <algorithm>

namespace {

double* Values(YComplexVec& v) { return reinterpret_cast<double*>(v.Data()); }

}  // namespace

bool YFft::Transform(YComplexVec& v, bool inverse) const {
    const int order = fftkernel::OrderOf(v.Size());
    return order >= 0 && fftkernel::Transform(Values(v), order, inverse);
}

bool YFft::InverseTransform(YComplexVec& v) const { return Transform(v, true); }

bool YFft::TransformReal(const YDoubleVec& samples, YComplexVec& spectrum) const {
    const int order = fftkernel::OrderOf(samples.Size());
    if (order < 0) return false;
    // A spectrum of the right size already is transformed in place.
    if (order >= 3 && spectrum.Size() == samples.Size() && fftkernel::PrepareReal(order)) {
        std::copy(samples.begin(), samples.end(), Values(spectrum));
        return fftkernel::TransformReal(Values(spectrum), order);
    }
    YComplexVec result(samples.Size());
    if (result.Size() != samples.Size()) return false;
    if (order < 3) {
        for (int i = 0; i < samples.Size(); ++i) result.Data()[i] = YComplex(samples.Data()[i]);
        if (!fftkernel::Transform(Values(result), order, false)) return false;
    } else {
        std::copy(samples.begin(), samples.end(), Values(result));
        if (!fftkernel::TransformReal(Values(result), order)) return false;
    }
    spectrum = std::move(result);
    return true;
}
