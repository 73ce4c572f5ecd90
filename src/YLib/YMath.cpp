#include "YLib/YMath.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

double SafeLn(double x) { return x >= 1e-38 ? std::log(x) : kLnFloor; }

namespace {

// x + half into [0, period] by whole periods, as repeated subtraction above
// period and addition below 0 would, then back by half. The exact fmod first
// keeps large inputs exact too.
double Wrap(double x, double half, double period) {
    if (!std::isfinite(x)) return std::nan("");
    double y = std::fmod(x, period) + half;  // in (half - period, half + period)
    if (y > period)
        y -= period;
    else if (y < 0.0)
        y += period;
    return y - half;
}

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

double Denominator(double d) { return d == 0.0 ? 1e-37 : d; }

}  // namespace

double WrapPhase(double x) { return Wrap(x, std::numbers::pi, 2.0 * std::numbers::pi); }

double WrapDegrees(double x) { return Wrap(x, 180.0, 360.0); }

double ParseNumber(std::string_view text, std::size_t* consumed) {
    const std::string copy(text);  // strtod needs a terminated text
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, CLocale());
    if (consumed) *consumed = std::size_t(end - copy.c_str());
    return value;
}

double ParseDecimal(std::string_view text) {
    if (text.empty()) return 0.0;
    std::string copy(text.substr(0, 255));
    for (char& c : copy)
        if (c == ',') c = '.';
    return ParseNumber(copy);
}

double InterpolateLin(double x, double x1, double y1, double x2, double y2) {
    return y1 + (x - x1) * (y2 - y1) / Denominator(x2 - x1);
}

double InterpolateLog(double x, double x1, double y1, double x2, double y2) {
    return InterpolateLin(SafeLn(x), SafeLn(x1), y1, SafeLn(x2), y2);
}
