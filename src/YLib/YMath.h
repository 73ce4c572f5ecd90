#pragma once
// Scalar helpers shared by the analysis and file code. All are pure functions,
// safe to call from any thread, independent of the C locale.

#include <string_view>

// The natural logarithm of a magnitude below 1e-38 (or not positive, or NaN).
inline constexpr double kLnFloor = -87.4982335338;

// ln x, or kLnFloor when x is below 1e-38, not positive or NaN.
double SafeLn(double x);

// Radians into [-π, π] (π stays π, -π stays -π), in constant time; NaN for a
// non-finite input.
double WrapPhase(double x);
// The same in degrees, into [-180, 180].
double WrapDegrees(double x);

// The leading decimal number of text with C strtod syntax and C locale
// semantics (leading blanks skipped, 0 when there is none). consumed, when
// given, receives the number of characters read (0 when there is none).
double ParseNumber(std::string_view text, std::size_t* consumed = nullptr);

// 0 for an empty text; otherwise the first 255 characters with every ','
// taken as '.', read as a C decimal number ("1,5" and "1.5" both give 1.5).
double ParseDecimal(std::string_view text);

// y1 + (x - x1)·(y2 - y1)/(x2 - x1); a zero denominator counts as 1e-37.
double InterpolateLin(double x, double x1, double y1, double x2, double y2);
// The same over SafeLn(x), SafeLn(x1), SafeLn(x2).
double InterpolateLog(double x, double x1, double y1, double x2, double y2);
