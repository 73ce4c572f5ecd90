#include "YLib/YFftTools.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"

#include <algorithm>
#include <cmath>

namespace {

template <class T>
T WindowValueT(int type, T m, T F) {
    const T pi = T(3.14159265358979323846L);
    const T x = T(2) * pi * m / F;
    switch (NormalizeWindowType(type)) {
        case 1:
            return m < F / T(2) ? T(2) * m / F : T(2) - T(2) * m / F;
        case 2:
            return T(0.5) - T(0.5) * std::cos(x);
        case 3:
            return T(0.54) - T(0.46) * std::cos(x);
        case 4:
            return T(0.42) - T(0.5) * std::cos(x) + T(0.08) * std::cos(T(2) * x);
        case 5:
            return T(0.35875) - T(0.48829) * std::cos(x) + T(0.14128) * std::cos(T(2) * x) -
                   T(0.01168) * std::cos(T(3) * x);
        case 6: {
            const T taper = T(0.2) * F;
            if (m < taper) return T(0.5) - T(0.5) * std::cos(pi * m / taper);
            if (m <= T(0.8) * F) return T(1);
            return T(0.5) + T(0.5) * std::cos(pi * (T(0.8) * F - m) / taper);
        }
        default:
            return T(1);
    }
}

constexpr double kCorrection[kWindowTypeCount] = {1.0, 2.0, 2.0, 1.840772, 2.3713737, 2.7861212, 1.2445146};

template <class Vec, class Multiply>
void ApplyWindowTo(Vec& v, int length, int type, bool halfMode, int offset, Multiply multiply) {
    const WindowSpan span = WindowSpanFor(v.Size(), length, halfMode, offset);
    const double correction = halfMode ? 1.0 : WindowCorrection(type);
    for (int i = 0; i < v.Size(); ++i) {
        const double w =
            (i < span.first || i > span.last) ? 0.0 : correction * WindowValue(type, i - span.start, span.F);
        multiply(v.Data()[i], w);
    }
}

// A second-order low-pass section (bilinear design after R. Bristow-Johnson)
// in direct form I, as the decimation cascade needs it.
class LowPassSection {
public:
    LowPassSection(double corner, double q) {
        const double twoPi = 4.0 * std::asin(1.0);
        const double w0 = twoPi * corner;  // sample rate 1
        const double sn = std::sin(w0), cs = std::cos(w0);
        const double alpha = sn / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0_ = (1.0 - cs) / 2.0 / a0;
        b1_ = (1.0 - cs) / a0;
        b2_ = (1.0 - cs) / 2.0 / a0;
        a1_ = -2.0 * cs / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double Process(double x) {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_, b1_, b2_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

}  // namespace

int NormalizeWindowType(int type) {
    return ((type % kWindowTypeCount) + kWindowTypeCount) % kWindowTypeCount;
}

double WindowValue(int type, double m, double F) { return WindowValueT<double>(type, m, F); }

float WindowValue32(int type, float m, float F) { return WindowValueT<float>(type, m, F); }

double WindowCorrection(int type) { return kCorrection[NormalizeWindowType(type)]; }

float WindowCorrection32(int type) { return float(kCorrection[NormalizeWindowType(type)]); }

double WindowGainFactor(int n, int type) {
    if (n < 2) return 1.0;
    const double dn = n;
    switch (NormalizeWindowType(type)) {
        case 0:
            return 1.0;
        case 2:
            return dn / (0.5 * (dn - 1.0));
        case 3:
            return dn / (0.54 * dn - 0.46);
        case 4:
            return dn / (0.42 * (dn - 1.0));
        case 5:
            return dn / (0.35875 * (dn - 1.0));
        default: {  // Bartlett and Ext. Cosine Bell: the sum itself
            double sum = 0.0;
            for (int m = 0; m < n; ++m) sum += WindowValue(type, m, dn - 1.0);
            return sum > 0.0 ? dn / sum : 1.0;  // two points: both ends are 0
        }
    }
}

WindowSpan WindowSpanFor(int size, int length, bool halfMode, int offset) {
    WindowSpan span;
    if (size <= 0) return span;
    const int d = length < 1 ? size : std::min(length, size);
    offset = std::clamp(offset, 0, size - 1);
    span.first = offset;
    span.last = int(std::min<long long>((long long)offset + d - 1, size - 1));
    span.F = halfMode ? 2.0 * d : d;
    span.start = halfMode ? double(offset) - d : double(offset);
    return span;
}

bool NormalizationBins(int n, double sampleRate, double frequency, int& first, int& last) {
    if (n <= 0 || !(sampleRate > 0.0) || !std::isfinite(sampleRate) || !std::isfinite(frequency))
        return false;
    const double binWidth = sampleRate / n;
    const double centre = std::floor(n * frequency / sampleRate + 0.5);
    const double half = std::max(1.0, std::floor(0.1 * frequency / binWidth + 0.5));
    const double lo = std::max(centre - half, 0.0);
    const double hi = std::min(centre + half, double(n - 1));
    if (lo > hi) return false;
    first = int(lo);
    last = int(hi);
    return true;
}

void YFftTools::ApplyWindowReal(YDoubleVec& v, int length, int type, bool halfMode, int offset) const {
    ApplyWindowTo(v, length, type, halfMode, offset, [](double& x, double w) { x *= w; });
}

void YFftTools::ApplyWindow(YComplexVec& v, int length, int type, bool halfMode, int offset) const {
    ApplyWindowTo(v, length, type, halfMode, offset, [](YComplex& z, double w) { z *= w; });
}

void YFftTools::ScaleWindowGain(YDoubleVec& v, int n, int type) const { v *= WindowGainFactor(n, type); }

void YFftTools::ScaleWindowGain(YComplexVec& v, int n, int type) const { v *= WindowGainFactor(n, type); }

std::string YFftTools::GetWindowName(int type) const {
    static const char* const kNames[kWindowTypeCount] = {"Rectangular",     "Bartlett", "Hanning (Cos)",
                                                         "Hamming",         "Blackman", "Blackman-Harris",
                                                         "Ext. Cosine Bell"};
    return kNames[NormalizeWindowType(type)];
}

bool YFftTools::Decimate(YComplexVec& v, int factor) const {
    if (factor < 1) return false;
    if (factor == 1) return true;
    static constexpr double kQ[5] = {0.5062, 0.5612, 0.7071, 1.1013, 3.1969};
    for (double q : kQ) {
        LowPassSection section(0.496 / factor, q);
        for (YComplex& z : v) z = YComplex(section.Process(z.re), 0.0);
    }
    const int kept = v.Size() / factor;
    for (int j = 1; j < kept; ++j) v.Data()[j] = v.Data()[j * factor];
    return v.Resize(kept, false);
}

bool YFftTools::DecimateAndTransform(YComplexVec& v, int factor) const {
    if (factor < 1 || (factor & (factor - 1)) != 0) return false;
    return Decimate(v, factor) && Transform(v, false);
}

bool YFftTools::NormalizeAt(YComplexVec& spectrum, double sampleRate, double frequency) const {
    int first = 0, last = 0;
    if (!NormalizationBins(spectrum.Size(), sampleRate, frequency, first, last)) return false;
    const double magnitude = Abs(spectrum.Mean(first, last));
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) return false;
    spectrum /= magnitude;
    return true;
}
