#include "YWave/YMixerLine.h"

#include <algorithm>
#include <cmath>

double YMixerFraction(const MixerLine& line, std::uint32_t value) {
    if (line.maximum <= line.minimum) return 1.0;
    const std::uint32_t v = std::clamp(value, line.minimum, line.maximum);
    const double x = static_cast<double>(v - line.minimum) / static_cast<double>(line.maximum - line.minimum);
    switch (line.law) {
        case YMixerLaw::Linear:
            return x;
        case YMixerLaw::Cubic:
            return x * x * x;
        case YMixerLaw::Db:
            return v == line.minimum
                       ? 0.0
                       : std::pow(10.0, -static_cast<double>(line.maximum - v) * line.dbPerUnit / 20.0);
        case YMixerLaw::Table: {
            const std::size_t i = v - line.minimum;
            return i < line.gains.size() ? line.gains[i] : x;
        }
    }
    return x;
}

std::uint32_t YMixerValueFor(const MixerLine& line, double fraction) {
    if (!(fraction > 0.0) || line.maximum <= line.minimum) return line.minimum;
    if (fraction >= 1.0) return line.maximum;
    // A fraction computed as a ratio of two others may miss a step by a rounding.
    fraction *= 1.0 - 1e-12;
    const double range = static_cast<double>(line.maximum - line.minimum);
    // A start near the answer, then the exact smallest value by the law itself
    // (the laws rise monotonically).
    double guess = fraction * range;
    if (line.law == YMixerLaw::Cubic) guess = std::cbrt(fraction) * range;
    if (line.law == YMixerLaw::Db && line.dbPerUnit > 0)
        guess = range + 20.0 * std::log10(fraction) / line.dbPerUnit;
    std::uint32_t lo = line.minimum, hi = line.maximum;  // fraction(hi) >= fraction
    const double g = std::clamp(std::ceil(guess - 1e-9), 0.0, range);
    const std::uint32_t start = line.minimum + static_cast<std::uint32_t>(g);
    if (YMixerFraction(line, start) >= fraction) {
        hi = start;
        if (start > line.minimum && YMixerFraction(line, start - 1) < fraction) return start;
    } else {
        lo = start;
    }
    // fraction(lo) < fraction <= fraction(hi), or lo == minimum untested.
    if (YMixerFraction(line, lo) >= fraction) return lo;
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (YMixerFraction(line, mid) >= fraction)
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}
