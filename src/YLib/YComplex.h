#pragma once
// The complex number of spectra: real part then imaginary part, two float64
// (16 bytes, no other state), and the textbook operations on it.
//
// Plain value type; all functions are pure and safe from any thread.

#include <cmath>

struct YComplex {
    double re = 0.0;
    double im = 0.0;

    constexpr YComplex() = default;
    constexpr YComplex(double real, double imag = 0.0) : re(real), im(imag) {}

    constexpr YComplex& operator+=(const YComplex& z) {
        re += z.re;
        im += z.im;
        return *this;
    }
    constexpr YComplex& operator-=(const YComplex& z) {
        re -= z.re;
        im -= z.im;
        return *this;
    }
    constexpr YComplex& operator*=(const YComplex& z) {
        const double r = re * z.re - im * z.im;
        im = re * z.im + im * z.re;
        re = r;
        return *this;
    }
    // Division by c + id divides by c² + d².
    constexpr YComplex& operator/=(const YComplex& z) {
        const double d = z.re * z.re + z.im * z.im;
        const double r = (re * z.re + im * z.im) / d;
        im = (im * z.re - re * z.im) / d;
        re = r;
        return *this;
    }
    constexpr YComplex& operator*=(double x) {
        re *= x;
        im *= x;
        return *this;
    }
    constexpr YComplex& operator/=(double x) {
        re /= x;
        im /= x;
        return *this;
    }

    friend constexpr bool operator==(const YComplex&, const YComplex&) = default;
};
static_assert(sizeof(YComplex) == 16);

constexpr YComplex operator+(YComplex a, const YComplex& b) { return a += b; }
constexpr YComplex operator-(YComplex a, const YComplex& b) { return a -= b; }
constexpr YComplex operator-(const YComplex& a) { return {-a.re, -a.im}; }
constexpr YComplex operator*(YComplex a, const YComplex& b) { return a *= b; }
constexpr YComplex operator/(YComplex a, const YComplex& b) { return a /= b; }
constexpr YComplex operator*(YComplex a, double x) { return a *= x; }
constexpr YComplex operator*(double x, YComplex a) { return a *= x; }
constexpr YComplex operator/(YComplex a, double x) { return a /= x; }
// Real divided by complex.
constexpr YComplex operator/(double x, const YComplex& z) { return YComplex(x) / z; }

constexpr YComplex Conj(const YComplex& z) { return {z.re, -z.im}; }

// re² + im².
constexpr double Norm(const YComplex& z) { return z.re * z.re + z.im * z.im; }

// sqrt(Norm(z)); exactly 0 when both parts are 0.
inline double Abs(const YComplex& z) { return std::sqrt(Norm(z)); }

// Abs(re + i·im) / 2^k: undoes the scaling of a k-stage transform.
inline double ScaledAbs(double re, double im, int k) { return std::ldexp(Abs({re, im}), -k); }

// atan2(im, re); exactly 0 when both parts are 0.
inline double Arg(const YComplex& z) { return (z.re == 0.0 && z.im == 0.0) ? 0.0 : std::atan2(z.im, z.re); }

// mag·cos(angle) + i·mag·sin(angle).
inline YComplex Polar(double mag, double angle) { return {mag * std::cos(angle), mag * std::sin(angle)}; }

// Polar(exp(logMag), angle), logMag the natural logarithm of the magnitude.
inline YComplex PolarExp(double logMag, double angle) { return Polar(std::exp(logMag), angle); }
