#include "YLib/YBiquad.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double RealOf(double x) { return x; }
double RealOf(float x) { return x; }
double RealOf(const std::complex<double>& z) { return z.real(); }
double RealOf(const YComplex& z) { return z.re; }

void Store(double& to, double y) { to = y; }
void Store(float& to, double y) { to = static_cast<float>(y); }
void Store(std::complex<double>& to, double y) { to = {y, 0.0}; }
void Store(YComplex& to, double y) { to = {y, 0.0}; }

bool Finite(const YBiquad::Coefficients& c) {
    return std::isfinite(c.a0) && std::isfinite(c.a1) && std::isfinite(c.a2) && std::isfinite(c.b0) &&
           std::isfinite(c.b1) && std::isfinite(c.b2);
}

bool UsesQ(int type) {
    switch (type) {
        case YBiquad::kLowPass2:
        case YBiquad::kHighPass2:
        case YBiquad::kBandPass:
        case YBiquad::kNotch:
        case YBiquad::kPeaking:
        case YBiquad::kAllPass:
            return true;
        default:
            return false;
    }
}

bool UsesGain(int type) {
    return type == YBiquad::kPeaking || type == YBiquad::kLowShelf || type == YBiquad::kHighShelf;
}

// The cookbook design of types kLowPass1 ... kAllPass; the arguments are valid.
YBiquad::Coefficients Design(int type, double fs, double f0, double gainDb, double qOrBandwidth,
                             bool bandwidthGiven) {
    const double w0 = kTwoPi * f0 / fs;
    const double sn = std::sin(w0);
    const double cs = std::cos(w0);
    const double A = std::pow(10.0, gainDb / 40.0);
    const double alpha = bandwidthGiven ? sn * std::sinh(std::numbers::ln2 / 2.0 * qOrBandwidth * w0 / sn)
                                        : sn / (2.0 * qOrBandwidth);
    const double beta = std::sqrt(2.0 * A) * sn;
    const double t = std::tan(w0 / 2.0);
    const double R = (t - 1.0) / (t + 1.0);

    switch (type) {
        case YBiquad::kLowPass1:
            return {1.0, R, 0.0, (1.0 + R) / 2.0, (1.0 + R) / 2.0, 0.0};
        case YBiquad::kLowPass2:
            return {1.0 + alpha, -2.0 * cs, 1.0 - alpha, (1.0 - cs) / 2.0, 1.0 - cs, (1.0 - cs) / 2.0};
        case YBiquad::kHighPass1:
            return {1.0, R, 0.0, (1.0 - R) / 2.0, (R - 1.0) / 2.0, 0.0};
        case YBiquad::kHighPass2:
            return {1.0 + alpha, -2.0 * cs, 1.0 - alpha, (1.0 + cs) / 2.0, -(1.0 + cs), (1.0 + cs) / 2.0};
        case YBiquad::kBandPass:
            return {1.0 + alpha, -2.0 * cs, 1.0 - alpha, alpha, 0.0, -alpha};
        case YBiquad::kNotch:
            return {1.0 + alpha, -2.0 * cs, 1.0 - alpha, 1.0, -2.0 * cs, 1.0};
        case YBiquad::kPeaking:
            return {1.0 + alpha / A, -2.0 * cs, 1.0 - alpha / A, 1.0 + alpha * A, -2.0 * cs, 1.0 - alpha * A};
        case YBiquad::kLowShelf:
            return {(A + 1.0) + (A - 1.0) * cs + beta,      -2.0 * ((A - 1.0) + (A + 1.0) * cs),
                    (A + 1.0) + (A - 1.0) * cs - beta,      A * ((A + 1.0) - (A - 1.0) * cs + beta),
                    2.0 * A * ((A - 1.0) - (A + 1.0) * cs), A * ((A + 1.0) - (A - 1.0) * cs - beta)};
        case YBiquad::kHighShelf:
            return {(A + 1.0) - (A - 1.0) * cs + beta,       2.0 * ((A - 1.0) - (A + 1.0) * cs),
                    (A + 1.0) - (A - 1.0) * cs - beta,       A * ((A + 1.0) + (A - 1.0) * cs + beta),
                    -2.0 * A * ((A - 1.0) + (A + 1.0) * cs), A * ((A + 1.0) + (A - 1.0) * cs - beta)};
        case YBiquad::kAllPass:
        default:
            return {1.0 + alpha, -2.0 * cs, 1.0 - alpha, 1.0 - alpha, -2.0 * cs, 1.0 + alpha};
    }
}

}  // namespace

void YBiquad::Clear() {
    type_ = kCleared;
    sampleRate_ = gain_ = frequency_ = q_ = 0.0;
    raw_ = {};
    norm_ = {};
    state_ = {};
}

bool YBiquad::Use(const Coefficients& c) {
    Clear();
    if (c.a0 == 0.0 || !Finite(c)) return false;
    const Taps n{c.b0 / c.a0, c.b1 / c.a0, c.b2 / c.a0, c.a1 / c.a0, c.a2 / c.a0};
    if (!std::isfinite(n.b0) || !std::isfinite(n.b1) || !std::isfinite(n.b2) || !std::isfinite(n.a1) ||
        !std::isfinite(n.a2))
        return false;
    raw_ = c;
    norm_ = n;
    return true;
}

bool YBiquad::Setup(int type, double sampleRate, double frequency, double gainDb, double qOrBandwidth,
                    bool bandwidthGiven) {
    Clear();
    if (type < kLowPass1 || type > kPinking) return false;
    if (type == kPinking) {
        Use(kPinkingCoefficients);
    } else {
        const bool rateOk = std::isfinite(sampleRate) && sampleRate > 0.0;
        const bool frequencyOk = std::isfinite(frequency) && frequency > 0.0 && frequency < sampleRate / 2.0;
        const bool qOk = !UsesQ(type) || (std::isfinite(qOrBandwidth) && qOrBandwidth > 0.0);
        const bool gainOk = !UsesGain(type) || std::isfinite(gainDb);
        if (!rateOk || !frequencyOk || !qOk || !gainOk) return false;
        if (!Use(Design(type, sampleRate, frequency, gainDb, qOrBandwidth, bandwidthGiven))) return false;
    }
    type_ = type;
    sampleRate_ = sampleRate;
    gain_ = gainDb;
    frequency_ = frequency;
    q_ = bandwidthGiven ? QFromBandwidth(qOrBandwidth) : qOrBandwidth;
    return true;
}

bool YBiquad::SetCoefficients(double a0, double a1, double a2, double b0, double b1, double b2) {
    if (!Use({a0, a1, a2, b0, b1, b2})) return false;
    type_ = kDirect;
    return true;
}

double YBiquad::QFromBandwidth(double octaves) {
    const double p = std::exp2(octaves);
    return std::sqrt(p) / (p - 1.0);
}

std::complex<double> YBiquad::Response(double frequency, double sampleRate) const {
    const double w = kTwoPi * frequency / sampleRate;
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    return (norm_.b0 + norm_.b1 * z1 + norm_.b2 * z2) / (1.0 + norm_.a1 * z1 + norm_.a2 * z2);
}

template <typename In, typename Out>
void YBiquad::Run(const In* in, Out* out, std::size_t n) {
    // Local copies stay in registers: the compiler cannot prove that the
    // samples do not alias the members.
    const Taps c = norm_;
    State s = state_;
    for (std::size_t i = 0; i < n; ++i) Store(out[i], Advance(c, s, RealOf(in[i])));
    state_ = s;
}

std::size_t YBiquad::ProcessBlock(std::span<const double> in, std::span<double> out) {
    const std::size_t n = std::min(in.size(), out.size());
    Run(in.data(), out.data(), n);
    return n;
}

void YBiquad::FilterBlock(std::span<double> samples, bool reset) {
    if (reset) Reset();
    Run(samples.data(), samples.data(), samples.size());
}

void YBiquad::FilterBlock(YDoubleVec& samples, bool reset) {
    FilterBlock(std::span<double>(samples.Data(), static_cast<std::size_t>(samples.Size())), reset);
}

void YBiquad::FilterBlock(YComplexVec& samples, bool reset) {
    if (reset) Reset();
    Run(samples.Data(), samples.Data(), static_cast<std::size_t>(samples.Size()));
}

void YBiquad::FilterBlock(std::span<float> samples, bool reset) {
    if (reset) Reset();
    Run(samples.data(), samples.data(), samples.size());
}

void YBiquad::FilterBlock(std::span<std::complex<double>> samples, bool reset) {
    if (reset) Reset();
    Run(samples.data(), samples.data(), samples.size());
}

void YBiquad::FilterBlock(float* samples, int count, bool reset) {
    if (reset) Reset();
    if (samples != nullptr && count > 0) Run(samples, samples, static_cast<std::size_t>(count));
}
