#include "YLib/YNoise.h"

#include "YLib/YDoubleVec.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void YNoise::WhiteGaussian(std::span<double> out, bool normalise) {
    for (double& v : out) {
        const int r1 = gaussian_.Next();
        const int r2 = gaussian_.Next();
        // r1 + 1 keeps u1 above 0: ln(0) would give a spike of about 13 sigma.
        const double u1 = (r1 + 1) / 32768.0;
        const double u2 = r2 / 32767.0;
        const double twiceLog = -2.0 * std::log(u1);
        const double m = twiceLog >= 1e-87 ? std::sqrt(twiceLog) : 1e-38;
        v = m * std::cos(2.0 * std::numbers::pi * u2);
    }
    if (normalise) NormalisePeak(out);
}

void YNoise::WhiteUniform(std::span<double> out, bool normalise) {
    for (double& v : out) v = uniform_.Next();
    if (normalise) NormalisePeak(out);
}

void YNoise::PinkGaussian(std::span<double> out) {
    WhiteGaussian(out, false);
    PinkFilterBlock(out);
    NormalisePeak(out);
}

void YNoise::PinkUniform(std::span<double> out) {
    WhiteUniform(out, false);
    PinkFilterBlock(out);
    NormalisePeak(out);
}

void YNoise::PinkFilterBlock(std::span<double> samples) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, s5 = 0.0, s6 = 0.0;
    for (double& v : samples) {
        const double w = v;
        s0 = 0.99886 * s0 + 0.0555179 * w;
        s1 = 0.99332 * s1 + 0.0750759 * w;
        s2 = 0.969 * s2 + 0.153852 * w;
        s3 = 0.8665 * s3 + 0.3104856 * w;
        s4 = 0.55 * s4 + 0.5329522 * w;
        s5 = -0.7616 * s5 - 0.016898 * w;
        v = s0 + s1 + s2 + s3 + s4 + s5 + s6 + 0.5362 * w;
        s6 = 0.115926 * w;
    }
}

void YNoise::NormalisePeak(std::span<double> samples) {
    if (samples.empty()) return;
    double largest = samples[0];
    double smallest = samples[0];
    for (const double v : samples) {
        if (v > largest) largest = v;
        if (v < smallest) smallest = v;
    }
    const double peak = std::max(std::fabs(largest), std::fabs(smallest));
    if (peak > 0.0)
        for (double& v : samples) v /= peak;
}

namespace {

// Resizes v to n elements (no zero fill: every element is written) and fills it.
template <typename Fill>
bool IntoVector(YDoubleVec& v, int n, Fill fill) {
    if (!v.Resize(n, false)) return false;
    fill(std::span<double>(v));
    return true;
}

}  // namespace

bool YNoise::WhiteGaussian(YDoubleVec& v, int n, bool normalise) {
    return IntoVector(v, n, [&](std::span<double> s) { WhiteGaussian(s, normalise); });
}

bool YNoise::WhiteUniform(YDoubleVec& v, int n, bool normalise) {
    return IntoVector(v, n, [&](std::span<double> s) { WhiteUniform(s, normalise); });
}

bool YNoise::PinkGaussian(YDoubleVec& v, int n) {
    return IntoVector(v, n, [&](std::span<double> s) { PinkGaussian(s); });
}

bool YNoise::PinkUniform(YDoubleVec& v, int n) {
    return IntoVector(v, n, [&](std::span<double> s) { PinkUniform(s); });
}
