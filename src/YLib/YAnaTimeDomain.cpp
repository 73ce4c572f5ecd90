#include "YLib/YAnaTimeDomain.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"
#include "YLib/YFft32.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace {

// Bins of a divisor this far (in power) below its peak fade out.
constexpr double kRegularisation = 1e-10;

bool IsPowerOfTwo(int n) { return n >= 4 && (n & (n - 1)) == 0; }

int ClampCount(int count, int size) { return count >= 1 && count <= size ? count : size; }

// Largest |C|² over the bins of a spectrum.
double PeakPower(const YComplexVec& c) {
    double peak = 0.0;
    for (const YComplex& z : c) peak = std::max(peak, Norm(z));
    return peak;
}

// x / c where |c|² reaches floor = kRegularisation·max|c|²; below it
// x·conj(c) / floor, which meets the plain quotient at the floor and falls to
// 0 with c.
YComplex Divide(const YComplex& x, const YComplex& c, double floor) {
    return x * Conj(c) / std::max(Norm(c), floor);
}

bool AllFinite(const YDoubleVec& v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

}  // namespace

double YAnaTimeDomain::TailMean(const YDoubleVec& in) const {
    const int n = in.Size();
    if (n == 0) return 0.0;
    const int count = std::max(1, n / 256);
    double sum = 0.0;
    for (int i = n - count; i < n; ++i) sum += in.Data()[i];
    return sum / count;
}

bool YAnaTimeDomain::DualChannelResponse(YDoubleVec& out, const YDoubleVec& measured,
                                         const YDoubleVec& reference, double sampleRate, bool advanceOne,
                                         const YComplexVec* compensation) const {
    const int n = std::min(measured.Size(), reference.Size());
    if (n < 1 || !(sampleRate > 0.0) || !std::isfinite(sampleRate)) return false;
    const long long even = n + (n & 1);
    int order = 3;
    while ((1LL << order) < even) order += 2;
    if (order > 27) return false;
    const int bins = 1 << order;
    if (compensation && compensation->Size() != bins) return false;

    // Single-precision transforms keep long recordings affordable; the
    // division itself runs in double.
    const std::size_t floats = 2 * std::size_t(bins);
    std::unique_ptr<float[]> r(new (std::nothrow) float[floats]);
    std::unique_ptr<float[]> m(new (std::nothrow) float[floats]);
    YDoubleVec result;
    if (!r || !m || !result.Resize(n, true)) return false;
    // Both channels are real: transforms of the samples as they stand give
    // bins 0..N/2, all that is read below.
    for (int i = 0; i < n; ++i) {
        r[i] = float(reference.Data()[i]);
        m[i] = float(measured.Data()[i]);
    }
    std::fill(r.get() + n, r.get() + floats, 0.0f);
    std::fill(m.get() + n, m.get() + floats, 0.0f);
    const YFft32 fft;
    if (!fft.TransformReal32(r.get(), order) || !fft.TransformReal32(m.get(), order)) return false;

    // The reference's level at 1 kHz is a magnitude: a complex mean would
    // cancel for noise, MLS or any latency.
    const double df = sampleRate / bins;
    const int centre = int(std::floor(1000.0 / df + 0.5));
    const int width = std::max(1, int(std::floor(100.0 / df + 0.5)));
    const int first = std::clamp(centre - width, 0, bins / 2), last = std::clamp(centre + width, 0, bins / 2);
    double level = 0.0;
    for (int j = first; j <= last; ++j) level += std::hypot(double(r[2 * j]), double(r[2 * j + 1]));
    level /= last - first + 1;
    double peak = 0.0;
    for (int j = 0; j <= bins / 2; ++j)
        peak = std::max(peak, double(r[2 * j]) * r[2 * j] + double(r[2 * j + 1]) * r[2 * j + 1]);
    if (!(level > 0.0) || !std::isfinite(level) || !(peak > 0.0) || !std::isfinite(peak)) return false;

    const double floor = kRegularisation * peak;
    const double compFloor = compensation ? kRegularisation * PeakPower(*compensation) : 0.0;
    if (compensation && !(compFloor > 0.0)) return false;
    // Both channels are real, so the transfer of the upper half is the
    // mirror image of the lower; a compensation divides every bin as it stands.
    const auto store = [&](int j, const YComplex& h) {
        const YComplex x = compensation ? Divide(h, (*compensation)[j], compFloor) : h;
        m[2 * j] = float(x.re);
        m[2 * j + 1] = float(x.im);
    };
    for (int j = 0; j <= bins / 2; ++j) {
        const YComplex h = level * Divide({m[2 * j], m[2 * j + 1]}, {r[2 * j], r[2 * j + 1]}, floor);
        store(j, h);
        if (j > 0 && j < bins / 2) store(bins - j, Conj(h));
    }
    if (!fft.Transform32(m.get(), order, true)) return false;
    // Moving one sample earlier is a circular shift of the response.
    const int shift = advanceOne ? 1 : 0;
    for (int i = 0; i < n; ++i) result[i] = m[2 * ((i + shift) & (bins - 1))];
    if (!AllFinite(result)) return false;
    out = std::move(result);
    return true;
}

bool YAnaTimeDomain::ApplyCompensation(YDoubleVec& ir, const YComplexVec& compensation) const {
    const int bins = compensation.Size();
    if (!IsPowerOfTwo(bins) || bins / 2 < ir.Size()) return false;
    const double floor = kRegularisation * PeakPower(compensation);
    if (!(floor > 0.0) || !std::isfinite(floor)) return false;
    YDoubleVec padded;
    YComplexVec x;
    const YFft fft;
    if (!padded.Resize(bins, true)) return false;
    std::copy(ir.begin(), ir.end(), padded.begin());
    if (!fft.TransformReal(padded, x)) return false;
    for (int j = 0; j < bins; ++j) x[j] = Divide(x[j], compensation[j], floor);
    if (!fft.InverseTransform(x)) return false;
    YDoubleVec result;
    if (!result.Resize(ir.Size(), true)) return false;
    for (int i = 0; i < ir.Size(); ++i) result[i] = x[i].re;
    if (!AllFinite(result)) return false;
    ir = std::move(result);
    return true;
}

bool YAnaTimeDomain::RunningSum(YDoubleVec& out, const YDoubleVec& in, int count, bool removeOffset) const {
    if (in.Size() == 0) return false;
    count = ClampCount(count, in.Size());
    const double offset = removeOffset ? TailMean(in) : 0.0;
    YDoubleVec result;
    if (!result.Resize(count, true)) return false;
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        sum += in.Data()[i] - offset;
        result[i] = sum;
    }
    out = std::move(result);
    return true;
}

bool YAnaTimeDomain::DecayDb(YDoubleVec& out, const YDoubleVec& in, int count, bool removeOffset) const {
    if (in.Size() == 0) return false;
    count = ClampCount(count, in.Size());
    const double offset = removeOffset ? TailMean(in) : 0.0;
    YDoubleVec energy;
    if (!energy.Resize(count, true)) return false;
    // Backward integration, from the small late values up.
    double sum = 0.0;
    for (int i = count - 1; i >= 0; --i) {
        const double x = in.Data()[i] - offset;
        sum += x * x;
        energy[i] = sum;
    }
    const double total = energy[0];
    if (!(total > 0.0) || !std::isfinite(total)) return false;
    for (double& e : energy) {
        const double ratio = e / total;
        e = ratio < 1e-38 ? -380.0 : 10.0 * std::log10(ratio);
    }
    out = std::move(energy);
    return true;
}

bool YAnaTimeDomain::DecayFromPeak(YDoubleVec& out, const YDoubleVec& in) const {
    const int n = in.Size();
    if (n == 0) return false;
    int peak = 0;
    for (int i = 1; i < n; ++i)
        if (std::fabs(in.Data()[i]) > std::fabs(in.Data()[peak])) peak = i;
    YDoubleVec tail;
    if (!tail.Resize(n - peak, true)) return false;
    std::copy(in.begin() + peak, in.end(), tail.begin());
    YDoubleVec decay;
    if (!DecayDb(decay, tail, 0, true) || !decay.Resize(n, false)) return false;
    std::fill(decay.begin() + (n - peak), decay.end(), -1000.0);
    out = std::move(decay);
    return true;
}

bool YAnaTimeDomain::FilterByMultiplier(YDoubleVec& out, const YDoubleVec& in,
                                        const YComplexVec& multiplier) const {
    const int bins = multiplier.Size();
    const int n = in.Size();
    if (!IsPowerOfTwo(bins) || bins < n) return false;
    YDoubleVec padded, result;
    YComplexVec x;
    const YFft fft;
    if (!padded.Resize(bins, true) || !result.Resize(n, true)) return false;
    std::copy(in.begin(), in.end(), padded.begin());
    if (!fft.TransformReal(padded, x)) return false;
    for (int j = 0; j < bins; ++j) x[j] *= multiplier[j];
    if (!fft.InverseTransform(x)) return false;
    for (int i = 0; i < n; ++i) result[i] = x[i].re;
    out = std::move(result);
    return true;
}

bool YAnaTimeDomain::Hilbert(YDoubleVec& out, const YDoubleVec& in, int windowType) const {
    const int n = in.Size();
    if (n == 0 || windowType < 0 || windowType > 6 || n > (1 << 28)) return false;
    int half = 2;
    while (half < n) half *= 2;
    YDoubleVec taper;
    YComplexVec multiplier;
    if (!taper.Resize(half, true) || !multiplier.Resize(2 * half, true)) return false;
    taper.Fill(1.0);
    YFft().ApplyWindowReal(taper, half, windowType, true, 0);
    for (int j = 1; j < half; ++j) {
        multiplier[j] = YComplex(0.0, taper[j - 1]);
        multiplier[2 * half - j] = YComplex(0.0, -taper[j - 1]);
    }
    multiplier[half] = YComplex(0.0, -taper[half - 1]);
    return FilterByMultiplier(out, in, multiplier);
}

bool YAnaTimeDomain::EnvelopeDb(YDoubleVec& out, const YDoubleVec& in, int windowType) const {
    YDoubleVec h;
    if (!Hilbert(h, in, windowType)) return false;
    const int n = std::min(in.Size(), h.Size());
    YDoubleVec level;
    if (!level.Resize(n, true)) return false;
    double loudest = -760.0;
    bool signal = false;
    for (int i = 0; i < n; ++i) {
        const double env = std::hypot(in.Data()[i], h[i]);
        signal = signal || env > 0.0;
        level[i] = env < 1e-38 ? -760.0 : env > 1e38 ? 760.0 : 20.0 * std::log10(env);
        loudest = std::max(loudest, level[i]);
    }
    if (!signal || !std::isfinite(loudest)) return false;
    level -= loudest;
    out = std::move(level);
    return true;
}
