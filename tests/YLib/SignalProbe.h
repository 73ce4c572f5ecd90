#pragma once

// Measuring helpers of the filter and resampler tests: independent of the
// code under test (plain sums, no FFT).

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

namespace probe {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

inline double Db(double magnitude) { return 20.0 * std::log10(magnitude); }

// Sum over n of x[n] e^(-j 2 pi f n / fs): the spectrum of an impulse response.
inline std::complex<double> Dft(std::span<const double> x, double f, double fs) {
    std::complex<double> sum = 0.0;
    const double w = kTwoPi * f / fs;
    for (std::size_t n = 0; n < x.size(); ++n) sum += x[n] * std::polar(1.0, -w * static_cast<double>(n));
    return sum;
}

// sin(2 pi f n / fs + phase) for n = 0 ... count-1.
inline std::vector<double> Sine(std::size_t count, double f, double fs, double phase = 0.0) {
    std::vector<double> x(count);
    for (std::size_t n = 0; n < count; ++n) x[n] = std::sin(kTwoPi * f * static_cast<double>(n) / fs + phase);
    return x;
}

// Least-squares amplitude of a sine of frequency f in x[first, last).
inline double SineAmplitude(std::span<const double> x, double f, double fs, std::size_t first,
                            std::size_t last) {
    double ss = 0.0, cc = 0.0, sc = 0.0, xs = 0.0, xc = 0.0;
    for (std::size_t n = first; n < last; ++n) {
        const double s = std::sin(kTwoPi * f * static_cast<double>(n) / fs);
        const double c = std::cos(kTwoPi * f * static_cast<double>(n) / fs);
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x[n] * s;
        xc += x[n] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det;
    const double b = (xc * ss - xs * sc) / det;
    return std::hypot(a, b);
}

// RMS of x - reference over [first, last) relative to the RMS of reference, in dB.
inline double ResidualDb(std::span<const double> x, std::span<const double> reference, std::size_t first,
                         std::size_t last) {
    double error = 0.0, power = 0.0;
    for (std::size_t n = first; n < last; ++n) {
        error += (x[n] - reference[n]) * (x[n] - reference[n]);
        power += reference[n] * reference[n];
    }
    return 10.0 * std::log10(error / power);
}

inline double RmsDb(std::span<const double> x, std::size_t first, std::size_t last) {
    double power = 0.0;
    for (std::size_t n = first; n < last; ++n) power += x[n] * x[n];
    return 10.0 * std::log10(power / static_cast<double>(last - first));
}

}  // namespace probe
