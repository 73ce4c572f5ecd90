#include "YLib/YSmooth.h"

#include "YLib/YAnaFreqDomain.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Frequencies from a generated axis land on the band edges only up to
// rounding; a relative slack keeps equal-looking points on the inner side.
constexpr double kSlack = 1e-9;

bool AtOrAbove(double f, double limit) { return f >= limit * (1.0 - kSlack); }

// Mean or median of the values of the points whose frequencies lie within
// [centre/c, centre·c].
double Aggregate(const double* f, const double* v, int n, double centre, double c, int method,
                 YDoubleVec& work) {
    const double* lo = std::lower_bound(f, f + n, centre / c * (1.0 - kSlack));
    const double* hi = std::upper_bound(lo, f + n, centre * c * (1.0 + kSlack));
    int first = int(lo - f), count = int(hi - lo);
    if (count <= 0)
        return std::numeric_limits<double>::quiet_NaN();  // not reached: the centre itself is inside
    if (method == YSmooth::kAverage) {
        double sum = 0.0;
        for (int i = first; i < first + count; ++i) sum += v[i];
        return sum / count;
    }
    if (count > 2 && count % 2 == 0) --count;  // an odd count has a true middle
    std::copy(v + first, v + first + count, work.Data());
    double* w = work.Data();
    std::nth_element(w, w + count / 2, w + count);
    return w[count / 2];
}

}  // namespace

bool YSmooth::Smooth(const YDoubleVec& freqs, YDoubleVec& values, int fraction, int method,
                     bool plainValues) const {
    const int n = freqs.Size();
    if (values.Size() != n || fraction < 1 || method < kAbsolute || method > kMedian ||
        !IsFrequencyAxis(freqs))
        return false;
    const double* f = freqs.Data();
    if (n < 2 || !(f[n - 1] > f[0])) return true;
    const double resolution = n / std::log2(f[n - 1] / f[0]);

    YDoubleVec snapshot, work;
    if (!snapshot.Resize(n, true) || !work.Resize(n, true)) return false;
    if (!plainValues && !YAnaFreqDomain().UnwrapPhase(values, values, int(std::lround(resolution))))
        return false;

    const double b = std::pow(2.0, 1.0 / (2.0 * fraction));
    const double c = std::pow(2.0, 1.0 / (4.0 * fraction));
    double* v = values.Data();
    const double* s = snapshot.Data();
    // Both ends are treated alike. The first pass covers the whole axis: its
    // last segment ends at the last point (however short), and its end
    // anchors, the first and the last point, take the aggregate of their
    // windows as every anchor does. The second pass leaves the points before
    // its first anchor as the first pass left them, and so the points after
    // its last whole step too.
    const auto pass = [&](int d, bool toTheEnd) {
        std::copy(v, v + n, snapshot.Data());
        while (d < n - 1) {
            int j = d + 1;
            while (j < n - 1 && !AtOrAbove(f[j], b * f[d])) ++j;
            if (!toTheEnd && !AtOrAbove(f[j], b * f[d])) break;
            if (method == kAbsolute) {
                for (int i = d + 1; i < j; ++i)
                    v[i] = s[d] == s[j] ? s[d] : InterpolateLog(f[i], f[d], s[d], f[j], s[j]);
            } else {
                const double u = Aggregate(f, s, n, f[d], c, method, work);
                const double w = Aggregate(f, s, n, f[j], c, method, work);
                for (int i = d; i < j; ++i) v[i] = InterpolateLog(f[i], f[d], u, f[j], w);
                if (j == n - 1) v[j] = w;
            }
            d = j;
        }
    };
    pass(0, true);
    int second = 0;
    while (second < n && !AtOrAbove(f[second], c * f[0])) ++second;
    if (second < n) pass(second, false);

    if (resolution > 6.0 && fraction < resolution) {
        for (int i = 1; i + 1 < n; i += 2) v[i] = 0.5 * (v[i - 1] + v[i + 1]);
        for (int i = 2; i + 1 < n; i += 2) v[i] = 0.5 * (v[i - 1] + v[i + 1]);
    }
    if (!plainValues)
        for (int i = 0; i < n; ++i) v[i] = WrapPhase(v[i]);
    return true;
}

int YSmooth::FractionFromChoice(int choice, std::string_view typed) {
    if (choice < 0 || choice >= int(kWidthChoices.size())) return 1;
    if (kWidthChoices[choice].fraction > 0) return kWidthChoices[choice].fraction;
    const double n = ParseDecimal(typed);
    return n >= 1.0 ? int(std::min(n, 1e6)) : 1;
}
