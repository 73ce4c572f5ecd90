#include "YLib/YSampleRateConvert.h"

#include "YLib/YBiquad.h"
#include "YLib/YDoubleVec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

// Prototype low-pass, in units of the lower rate: pass band to 0.45, stop band
// from 0.5, cut at 0.475; 144 taps of a Kaiser window with beta 11.16 (a
// 110 dB design) leave a ripple below 4e-6 and at least 109 dB of stop band.
constexpr double kPassEdge = 0.45;
constexpr double kStopEdge = 0.5;
constexpr double kCutoff = (kPassEdge + kStopEdge) / 2.0;
constexpr double kTapsAtLowerRate = 144.0;
constexpr double kKaiserBeta = 0.1102 * (110.0 - 8.7);

// Phases per input sample (at the lower rate) of the table of arbitrary
// ratios; linear interpolation between neighbouring phases keeps the error
// below -110 dB.
constexpr double kPhasesAtLowerRate = 1024.0;
// Whole-number ratios L/M with at most this many phases get one exact row
// per phase.
constexpr std::int64_t kMaxExactPhases = 1024;
constexpr std::size_t kMaxTableSize = std::size_t{1} << 18;

double BesselI0(double x) {
    const double q = x * x / 4.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; term > 1e-17 * sum; ++k) {
        term *= q / (static_cast<double>(k) * k);
        sum += term;
    }
    return sum;
}

// out[i] = in at time i * M / L (exact) or i * step (otherwise), in input
// samples, as sum over j of rows[phase][j] * in[n - taps/2 + 1 + j].
struct Kernel {
    int taps = 0;
    int phases = 0;
    bool exact = false;
    std::int64_t up = 1;       // L
    std::int64_t down = 1;     // M
    double step = 1.0;         // input samples per output sample
    std::vector<double> rows;  // (phases + 1) rows of taps

    const double* Row(int phase) const { return rows.data() + static_cast<std::size_t>(phase) * taps; }
};

bool WholeRate(double r) { return r == std::floor(r) && r <= 2147483647.0; }

bool Design(Kernel& k, double targetRate, double sourceRate) {
    // Down-sampling stretches the prototype by the ratio in input samples.
    const double stretch = std::max(1.0, sourceRate / targetRate);
    if (stretch > YSampleRateConvert::kMaxDownRatio) return false;
    k.taps = 8 * static_cast<int>(std::ceil(kTapsAtLowerRate * stretch / 8.0));
    k.step = sourceRate / targetRate;

    k.exact = false;
    if (WholeRate(targetRate) && WholeRate(sourceRate)) {
        const auto target = static_cast<std::int64_t>(targetRate);
        const auto source = static_cast<std::int64_t>(sourceRate);
        const std::int64_t g = std::gcd(target, source);
        k.up = target / g;
        k.down = source / g;
        k.exact = k.up <= kMaxExactPhases &&
                  static_cast<std::size_t>(k.up) * static_cast<std::size_t>(k.taps) <= kMaxTableSize;
    }
    k.phases = k.exact ? static_cast<int>(k.up) : static_cast<int>(std::ceil(kPhasesAtLowerRate / stretch));

    try {
        k.rows.assign(static_cast<std::size_t>(k.phases + 1) * k.taps, 0.0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const double cutoff = kCutoff / stretch;  // cycles per input sample
    const double half = k.taps / 2.0;
    const double windowNorm = 1.0 / BesselI0(kKaiserBeta);
    for (int p = 0; p <= k.phases; ++p) {
        double* row = k.rows.data() + static_cast<std::size_t>(p) * k.taps;
        const double offset = static_cast<double>(p) / k.phases;
        for (int j = 0; j < k.taps; ++j) {
            const double tau = offset + half - 1.0 - j;
            const double r = tau / half;
            if (std::fabs(r) >= 1.0) continue;
            const double arg = 2.0 * cutoff * tau;
            const double sinc =
                arg == 0.0 ? 1.0 : std::sin(std::numbers::pi * arg) / (std::numbers::pi * arg);
            const double window = BesselI0(kKaiserBeta * std::sqrt(1.0 - r * r)) * windowNorm;
            row[j] = 2.0 * cutoff * sinc * window;
        }
    }
    return true;
}

// Eight partial sums keep the multiply-adds independent and fill the vector
// registers; the clone for AVX2 adds in the same order as the default one, so
// both give the same bits.
__attribute__((target_clones("avx2", "default"))) double Dot(const double* c, const double* x, int n) {
    double s[8] = {};
    int j = 0;
    for (; j + 8 <= n; j += 8)
        for (int l = 0; l < 8; ++l) s[l] += c[j + l] * x[j + l];
    for (; j < n; ++j) s[0] += c[j] * x[j];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

// The row's taps over the input at first..first+taps-1, samples outside the
// input taken as 0.
double Apply(const double* row, int taps, std::span<const double> in, std::int64_t first) {
    const auto size = static_cast<std::int64_t>(in.size());
    if (first >= 0 && first + taps <= size) return Dot(row, in.data() + first, taps);
    const std::int64_t begin = std::max<std::int64_t>(0, -first);
    const std::int64_t end = std::min<std::int64_t>(taps, size - first);
    if (begin >= end) return 0.0;
    return Dot(row + begin, in.data() + first + begin, static_cast<int>(end - begin));
}

void Run(const Kernel& k, std::span<const double> in, std::span<double> out) {
    const int lead = k.taps / 2 - 1;
    if (k.exact) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            const std::int64_t position = static_cast<std::int64_t>(i) * k.down;
            const std::int64_t n = position / k.up;
            const int phase = static_cast<int>(position % k.up);
            out[i] = Apply(k.Row(phase), k.taps, in, n - lead);
        }
        return;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) * k.step;
        const double n = std::floor(t);
        const double u = (t - n) * k.phases;
        const int phase = std::min(static_cast<int>(u), k.phases - 1);
        const double fraction = u - phase;
        const std::int64_t first = static_cast<std::int64_t>(n) - lead;
        const double a = Apply(k.Row(phase), k.taps, in, first);
        const double b = fraction != 0.0 ? Apply(k.Row(phase + 1), k.taps, in, first) : 0.0;
        out[i] = a + fraction * (b - a);
    }
}

bool ValidRate(double r) { return std::isfinite(r) && r > 0.0; }

}  // namespace

std::size_t YSampleRateConvert::OutputLength(std::size_t inputLength, double targetRate, double sourceRate) {
    if (!ValidRate(targetRate) || !ValidRate(sourceRate)) return 0;
    if (std::round(targetRate) == std::round(sourceRate)) return inputLength;
    const double length = std::round(static_cast<double>(inputLength) * (targetRate / sourceRate));
    return length < 9e18 ? static_cast<std::size_t>(length) : 0;
}

bool YSampleRateConvert::Convert(std::span<const double> in, std::span<double> out, double targetRate,
                                 double sourceRate) {
    if (!ValidRate(targetRate) || !ValidRate(sourceRate) ||
        out.size() != OutputLength(in.size(), targetRate, sourceRate))
        return false;
    if (std::round(targetRate) == std::round(sourceRate)) {
        if (out.data() != in.data()) std::copy(in.begin(), in.end(), out.begin());
        return true;
    }
    Kernel kernel;
    if (!Design(kernel, targetRate, sourceRate)) return false;
    Run(kernel, in, out);
    return true;
}

bool YSampleRateConvert::Convert(YDoubleVec& out, const YDoubleVec& in, double targetRate,
                                 double sourceRate) {
    const std::size_t length = OutputLength(static_cast<std::size_t>(in.Size()), targetRate, sourceRate);
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
    YDoubleVec converted;
    if (!converted.Resize(static_cast<int>(length), false) ||
        !Convert(std::span<const double>(in), std::span<double>(converted), targetRate, sourceRate))
        return false;
    out = std::move(converted);
    return true;
}

void YSampleRateConvert::LowPassCascade(std::span<double> samples, double sampleRate, double corner) {
    static constexpr double kQ[] = {0.5062, 0.5612, 0.7071, 1.1013, 3.1969};
    YBiquad section;
    for (const double q : kQ) {
        if (!section.Setup(YBiquad::kLowPass2, sampleRate, corner, 0.0, q, false)) return;
        section.FilterBlock(samples, true);
    }
}
