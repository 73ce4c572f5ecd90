#include "Waveform/YDither.h"

#include <algorithm>
#include <cmath>

YDither::YDither(int bits, int type, std::uint32_t seed)
    : q_(std::ldexp(1.0, std::clamp(bits, 2, 32) - 1) - 1.0),
      weight_(type == 2 ? 0.5 : 0.0),
      type_(type),
      random_(seed) {}

void YDither::Process(std::span<const double> in, std::span<double> out) {
    const std::size_t n = std::min(in.size(), out.size());
    if (type_ != 1 && type_ != 2) {
        std::copy_n(in.begin(), n, out.begin());
        return;
    }
    double e1 = 0.0, e2 = 0.0;
    int prev = random_.Next();
    for (std::size_t i = 0; i < n; ++i) {
        const int r = random_.Next();
        const double v = in[i] + weight_ * (2.0 * e1 - e2);
        const double y = v + double(r - prev) / (YRandom::kMax * q_) + 0.5 / q_;
        const double q = std::floor(y * q_);
        out[i] = q / q_;
        e2 = e1;
        e1 = v - out[i];
        prev = r;
    }
}

std::uint8_t* EncodePcmSample(double v, int bits, std::uint8_t* p) {
    if (std::isnan(v)) v = 0.0;
    v = std::clamp(v, -2.0, 2.0);  // keeps the products below in range
    switch (bits) {
        case 8:
            *p++ = std::uint8_t(std::clamp(std::round(v * 127.0 + 128.0), 0.0, 255.0));
            return p;
        case 16: {
            const auto s =
                std::uint16_t(std::int16_t(std::clamp(std::round(v * 32767.0), -32768.0, 32767.0)));
            *p++ = std::uint8_t(s);
            *p++ = std::uint8_t(s >> 8);
            return p;
        }
        default: {
            const auto s = std::uint32_t(
                std::int32_t(std::clamp(std::round(v * 2147483647.0), -2147483648.0, 2147483647.0)));
            const int bytes = PcmBytesPerSample(bits);
            for (int i = 4 - bytes; i < 4; ++i) *p++ = std::uint8_t(s >> (8 * i));
            return p;
        }
    }
}
