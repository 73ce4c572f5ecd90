#include "YLib/YNormalizeSettings.h"

#include "YLib/YDoubleVec.h"
#include "YLib/YMath.h"

#include <algorithm>
#include <cmath>

bool YNormalizeSettings::OffsetDb(const YDoubleVec& freqs, const YDoubleVec& levelsDb, double& out) const {
    if (method == kAddOffset) {
        out = offset;
        return true;
    }
    const int n = freqs.Size();
    if (method != kAtFrequency || n < 1 || levelsDb.Size() != n ||
        !std::is_sorted(freqs.begin(), freqs.end()))
        return false;
    const double* f = freqs.Data();
    const double* v = levelsDb.Data();
    if (!(frequency >= f[0] && frequency <= f[n - 1])) return false;
    const int j = int(std::lower_bound(f, f + n, frequency) - f);  // f[j] >= frequency
    const double level = f[j] == frequency ? v[j] : InterpolateLog(frequency, f[j - 1], v[j - 1], f[j], v[j]);
    if (!std::isfinite(level)) return false;
    out = -level;
    return true;
}
