#include "YLib/YTransferFunc.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"

#include <algorithm>
#include <cmath>

namespace {

// Magnitudes are formed as sums of squares, (1 - x^2)^2 + (x / Q)^2, which
// keep their precision near the corner of a high-Q section.

std::complex<double> SecondOrderLowPass(double x, double q) {
    const double re = 1.0 - x * x;
    const double im = x / q;
    return std::polar(1.0 / std::sqrt(re * re + im * im), -std::atan2(im, re));
}

std::complex<double> SecondOrderHighPass(double x, double q) {
    const double y = 1.0 / x;
    const double re = 1.0 - y * y;
    const double im = y / q;
    return std::polar(1.0 / std::sqrt(re * re + im * im), std::atan2(im, re));
}

std::complex<double> FirstOrderLowPass(double x) {
    return std::polar(1.0 / std::sqrt(1.0 + x * x), -std::atan(x));
}

std::complex<double> FirstOrderHighPass(double x) {
    const double y = 1.0 / x;
    return std::polar(1.0 / std::sqrt(1.0 + y * y), std::atan2(1.0, x));
}

template <typename Second, typename First>
std::complex<double> Cascade(double f, double fc, int order, const double k[5], const double q[5],
                             Second second, First first) {
    std::complex<double> h = 1.0;
    if (order < 1 || order > 10) return h;
    const int pairs = order / 2;
    for (int j = 0; j < pairs; ++j) h *= second(f / (fc * k[j]), q[j]);
    if (order % 2 == 1) h *= first(f / (fc * k[pairs]));
    return h;
}

template <typename Value>
std::size_t Fill(std::span<std::complex<double>> out, std::span<const double> frequencies, Value value) {
    const std::size_t n = std::min(out.size(), frequencies.size());
    for (std::size_t i = 0; i < n; ++i) out[i] = value(frequencies[i]);
    return n;
}

template <typename Value>
int Fill(YComplexVec& out, const YDoubleVec& frequencies, Value value) {
    if (!out.Resize(frequencies.Size(), false)) return 0;
    for (int i = 0; i < frequencies.Size(); ++i) {
        const std::complex<double> h = value(frequencies[i]);
        out[i] = {h.real(), h.imag()};
    }
    return frequencies.Size();
}

}  // namespace

std::complex<double> YTransferFunc::HighPass(double frequency, double fc, int order, const double k[5],
                                             const double q[5]) {
    if (frequency <= 0.0 && order >= 1 && order <= 10) return 0.0;
    return Cascade(frequency, fc, order, k, q, SecondOrderHighPass, FirstOrderHighPass);
}

std::complex<double> YTransferFunc::LowPass(double frequency, double fc, int order, const double k[5],
                                            const double q[5]) {
    return Cascade(frequency, fc, order, k, q, SecondOrderLowPass, FirstOrderLowPass);
}

std::size_t YTransferFunc::HighPassResponse(std::span<std::complex<double>> out,
                                            std::span<const double> frequencies, double fc, int order,
                                            const double k[5], const double q[5]) {
    return Fill(out, frequencies, [&](double f) { return HighPass(f, fc, order, k, q); });
}

std::size_t YTransferFunc::LowPassResponse(std::span<std::complex<double>> out,
                                           std::span<const double> frequencies, double fc, int order,
                                           const double k[5], const double q[5]) {
    return Fill(out, frequencies, [&](double f) { return LowPass(f, fc, order, k, q); });
}

int YTransferFunc::HighPassResponse(YComplexVec& out, const YDoubleVec& frequencies, double fc, int order,
                                    const double k[5], const double q[5]) {
    return Fill(out, frequencies, [&](double f) { return HighPass(f, fc, order, k, q); });
}

int YTransferFunc::LowPassResponse(YComplexVec& out, const YDoubleVec& frequencies, double fc, int order,
                                   const double k[5], const double q[5]) {
    return Fill(out, frequencies, [&](double f) { return LowPass(f, fc, order, k, q); });
}
