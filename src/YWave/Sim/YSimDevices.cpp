#include "YWave/Sim/YSimDevices.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
using Poly = std::vector<double>;  // by ascending power of z^-1

Poly Multiply(const Poly& p, const Poly& q) {
    Poly r(p.size() + q.size() - 1, 0.0);
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t j = 0; j < q.size(); ++j) r[i + j] += p[i] * q[j];
    return r;
}

Poly Power(const Poly& p, std::size_t n) {
    Poly r{1.0};
    for (std::size_t i = 0; i < n; ++i) r = Multiply(r, p);
    return r;
}

// sum_k c[k] K^k (1 - z^-1)^k (1 + z^-1)^(n - k)
Poly Bilinear(const std::vector<double>& c, std::size_t n, double k) {
    Poly r(n + 1, 0.0);
    for (std::size_t i = 0; i < c.size(); ++i) {
        const Poly term = Multiply(Power({1.0, -1.0}, i), Power({1.0, 1.0}, n - i));
        const double scale = c[i] * std::pow(k, static_cast<double>(i));
        for (std::size_t j = 0; j < term.size(); ++j) r[j] += scale * term[j];
    }
    return r;
}

double Sinc(double x) { return x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x); }
}  // namespace

// ---- YSimIir

YSimIir::YSimIir(std::vector<double> b, std::vector<double> a) : b_(std::move(b)), a_(std::move(a)) {
    if (a_.empty() || a_[0] == 0.0) a_ = {1.0};
    const double a0 = a_[0];
    for (double& v : b_) v /= a0;
    for (double& v : a_) v /= a0;
    const std::size_t n = std::max(b_.size(), a_.size());
    b_.resize(n, 0.0);
    a_.resize(n, 0.0);
    state_.assign(n, 0.0);
}

double YSimIir::Process(double x) {
    const std::size_t n = b_.size();
    const double y = b_[0] * x + state_[0];
    for (std::size_t i = 1; i < n; ++i) state_[i - 1] = b_[i] * x - a_[i] * y + (i < n - 1 ? state_[i] : 0.0);
    return y;
}

YSimIir YSimIir::FromAnalog(const std::vector<double>& num, const std::vector<double>& den, double rate,
                            double prewarpHz) {
    const std::size_t n = std::max(num.size(), den.size()) - 1;
    const double k = prewarpHz > 0.0
                         ? 2.0 * std::numbers::pi * prewarpHz / std::tan(std::numbers::pi * prewarpHz / rate)
                         : 2.0 * rate;
    return YSimIir(Bilinear(num, n, k), Bilinear(den, n, k));
}

// ---- YSimDelay

YSimDelay::YSimDelay(double samples) {
    constexpr long kHalf = 16;
    samples = std::max(0.0, samples);
    whole_ = static_cast<long>(std::floor(samples));
    const double fraction = samples - static_cast<double>(whole_);
    if (fraction > 1e-12) {
        firstTap_ = std::max(-kHalf + 1, -whole_);
        double sum = 0.0;
        for (long t = firstTap_; t <= kHalf; ++t) {
            const double u = static_cast<double>(t) - fraction;
            const double w = 0.42 + 0.5 * std::cos(std::numbers::pi * u / kHalf) +
                             0.08 * std::cos(2.0 * std::numbers::pi * u / kHalf);
            taps_.push_back(Sinc(u) * w);
            sum += taps_.back();
        }
        for (double& h : taps_) h /= sum;
    }
    std::size_t size = 1;
    while (size < static_cast<std::size_t>(whole_ + kHalf + 2)) size <<= 1;
    line_.assign(size, 0.0);
    mask_ = size - 1;
}

double YSimDelay::Process(double x) {
    line_[pos_] = x;
    const std::size_t size = line_.size();
    double y;
    if (taps_.empty()) {
        y = line_[(pos_ + size - static_cast<std::size_t>(whole_)) & mask_];
    } else {
        y = 0.0;
        for (std::size_t i = 0; i < taps_.size(); ++i) {
            const auto d = static_cast<std::size_t>(whole_ + firstTap_ + static_cast<long>(i));
            y += taps_[i] * line_[(pos_ + size - d) & mask_];
        }
    }
    pos_ = (pos_ + 1) & mask_;
    return y;
}

// ---- YSimFilter

std::unique_ptr<YSimFilter> YSimFilter::Fir(std::vector<double> taps) {
    auto f = std::unique_ptr<YSimFilter>(new YSimFilter);
    f->fir_.emplace_back(std::move(taps), std::vector<double>{1.0});
    return f;
}

std::unique_ptr<YSimFilter> YSimFilter::Biquads(std::vector<YBiquad> sections) {
    auto f = std::unique_ptr<YSimFilter>(new YSimFilter);
    f->sections_ = std::move(sections);
    for (YBiquad& s : f->sections_) s.Reset();
    return f;
}

std::unique_ptr<YSimFilter> YSimFilter::Biquads(const std::vector<std::vector<double>>& sections) {
    std::vector<YBiquad> biquads;
    for (const auto& s : sections) {
        if (s.size() != 5) continue;
        biquads.emplace_back().SetCoefficients(1.0, s[3], s[4], s[0], s[1], s[2]);
    }
    return Biquads(std::move(biquads));
}

double YSimFilter::Process(double x) {
    for (YSimIir& s : fir_) x = s.Process(x);
    for (YBiquad& s : sections_) x = s.Process(x);
    return x;
}

// ---- YSimPolynomial

double YSimPolynomial::Process(double x) {
    double y = 0.0;
    for (auto it = c_.rbegin(); it != c_.rend(); ++it) y = y * x + *it;
    return y;
}

// ---- YSimClosedBox

namespace {
// The bilinear transform of s^2 / (s^2 + s wc / Q + wc^2), matched at fc.
YBiquad HighPass2(double fc, double q, double rate) {
    YBiquad b;
    b.Setup(YBiquad::kHighPass2, rate, fc, 0.0, q, false);
    return b;
}
}  // namespace

YSimClosedBox::YSimClosedBox(const YSimClosedBoxParams& p, double rate)
    : highPass_(HighPass2(p.fc, p.qtc, rate)),
      delay_(p.distanceM / p.speedOfSound * rate),
      gain_(p.sensitivity / std::max(p.distanceM, 1e-3)) {}

// ---- YSimImpedanceJig

namespace {
YSimIir JigFilter(const YSimDriverParams& d, double rs, YSimJigWiring wiring, double rate) {
    const double ws = 2.0 * std::numbers::pi * d.fs;
    const double res = d.re * d.qms / d.qes;
    // Z(s) = Nz(s) / D(s), D = s^2/ws^2 + s/(Qms ws) + 1.
    const Poly den{1.0, 1.0 / (d.qms * ws), 1.0 / (ws * ws)};
    Poly nz = Multiply({d.re, d.le}, den);  // (Re + s Le) D
    nz[1] += res / (d.qms * ws);            // + Res s / (Qms ws)
    Poly total = nz;                        // Rs D + Nz
    for (std::size_t i = 0; i < den.size(); ++i) total[i] += rs * den[i];
    Poly num = nz;
    if (wiring == YSimJigWiring::ConstantVoltage) {
        num.assign(total.size(), 0.0);
        for (std::size_t i = 0; i < den.size(); ++i) num[i] = rs * den[i];
    }
    return YSimIir::FromAnalog(num, total, rate, d.fs);
}
}  // namespace

YSimImpedanceJig::YSimImpedanceJig(const YSimDriverParams& driver, double seriesOhms, YSimJigWiring wiring,
                                   double rate)
    : filter_(JigFilter(driver, seriesOhms, wiring, rate)) {}
