#include "YLib/YFft32.h"

#include "YLib/YComplex.h"
#include "YLib/YFftKernel.h"
#include "YLib/YFftTools.h"

#include <cmath>

namespace {

bool ValidOrder(int k) { return k >= 2 && k <= fftkernel::kMaxOrder; }

}  // namespace

bool YFft32::Transform32(float* data, int k, bool inverse) const {
    return data && ValidOrder(k) && fftkernel::Transform(data, k, inverse);
}

bool YFft32::TransformReal32(float* data, int k) const {
    return data && k >= 3 && k <= fftkernel::kMaxOrder && fftkernel::TransformRealHalf(data, k);
}

void YFft32::ApplyWindow32(float* data, int k, int length, int type, bool halfMode, int offset) const {
    if (!data || !ValidOrder(k)) return;
    const int n = 1 << k;
    const WindowSpan span = WindowSpanFor(n, length > n ? n : length, halfMode, offset);
    const float correction = halfMode ? 1.0f : WindowCorrection32(type);
    const float F = float(span.F);
    for (int i = 0; i < n; ++i) {
        const float w = (i < span.first || i > span.last)
                            ? 0.0f
                            : correction * WindowValue32(type, float(i - span.start), F);
        data[2 * i] *= w;
    }
}

bool YFft32::NormalizeAt32(float* data, int k, double sampleRate, double frequency) const {
    if (!data || !ValidOrder(k)) return false;
    const int n = 1 << k;
    int first = 0, last = 0;
    if (!NormalizationBins(n, sampleRate, frequency, first, last)) return false;
    YComplex mean;
    for (int i = first; i <= last; ++i) mean += YComplex(data[2 * i], data[2 * i + 1]);
    mean /= double(last - first + 1);
    if (!(Norm(mean) > 0.0) || !std::isfinite(Norm(mean))) return false;
    for (int i = 0; i < n; ++i) {
        const YComplex z = YComplex(data[2 * i], data[2 * i + 1]) / mean;
        data[2 * i] = float(z.re);
        data[2 * i + 1] = float(z.im);
    }
    return true;
}
