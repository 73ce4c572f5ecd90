#include "YLib/YWeighting.h"

#include "YLib/YComplexVec.h"

#include <cmath>
#include <numbers>

namespace {

// |iω + p| of a real pole or zero at -p.
double Real(double w, double p) { return std::hypot(w, p); }

// |(iω)² + b·iω + c| of a complex pair.
double Pair(double w, double b, double c) { return std::hypot(c - w * w, b * w); }

}  // namespace

double YWeighting::Value(double f, int type) {
    const double w = 2.0 * std::numbers::pi * std::fabs(f);
    const double common = Real(w, 129.4) * Real(w, 129.4) * Real(w, 76655.0) * Real(w, 76655.0);
    switch (type) {
        case kA:
            return w * w * w * w / (common * Real(w, 676.7) * Real(w, 4636.0));
        case kB:
            return w * w * w / (common * Real(w, 995.9));
        case kC:
            return w * w / common;
        case kD:
            return w * Pair(w, 6532.0, 4.0975e7) /
                   (Pair(w, 21514.0, 3.8836e8) * Real(w, 1776.3) * Real(w, 7288.5));
        case kHighCut: {
            const double f2 = f * f;
            return 1.4884e8 / (f2 + 1.4884e8) /
                   (std::sqrt((f - 8800.0) * (f - 8800.0) + 6.16225e7) *
                    std::sqrt((f + 8800.0) * (f + 8800.0) + 6.16225e7)) /
                   (std::sqrt((f - 12150.0) * (f - 12150.0) + 8410000.0) *
                    std::sqrt((f + 12150.0) * (f + 12150.0) + 8410000.0));
        }
        case kAHighCut:
            return Value(f, kA) * Value(f, kHighCut);
        default:
            return -1.0;
    }
}

double YWeighting::Relative(double f, int type) {
    const double reference = Value(1000.0, type);
    return reference > 0.0 ? Value(f, type) / reference : -1.0;
}

bool YWeighting::Apply(YComplexVec& x, double sampleRate, int type) const {
    const int n = x.Size();
    if (n == 0 || n % 2 != 0 || !(sampleRate > 0.0) || !std::isfinite(sampleRate) ||
        Value(1000.0, type) < 0.0)
        return false;
    const double df = sampleRate / n;
    for (int i = 1; i < n / 2; ++i) {
        const double g = Relative(i * df, type);
        x[i] *= g;
        x[n - i] *= g;  // the mirror keeps the spectrum that of a real signal
    }
    return true;
}
