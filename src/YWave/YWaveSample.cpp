#include "YWave/YWaveSample.h"

#include <bit>
#include <cmath>
#include <cstring>

bool YIsSampleWidth(int bits) { return bits == 8 || bits == 16 || bits == 20 || bits == 24 || bits == 32; }

const std::uint8_t* YSampleToReal(const std::uint8_t* p, int bits, double& value) {
    switch (bits) {
        case 8:
            value = (static_cast<int>(p[0]) - 128) * 0.0078125;
            return p + 1;
        case 16:
            value = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8)) * 0x1p-15;
            return p + 2;
        case 20:
        case 24: {
            const std::uint32_t u = static_cast<std::uint32_t>(p[0]) << 8 |
                                    static_cast<std::uint32_t>(p[1]) << 16 |
                                    static_cast<std::uint32_t>(p[2]) << 24;
            value = static_cast<std::int32_t>(u) * 0x1p-31;
            return p + 3;
        }
        case 32: {
            const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                    static_cast<std::uint32_t>(p[2]) << 16 |
                                    static_cast<std::uint32_t>(p[3]) << 24;
            value = static_cast<std::int32_t>(u) * 0x1p-31;
            return p + 4;
        }
        default:
            value = 0.0;
            return p + (bits > 0 ? (bits + 7) / 8 : 0);
    }
}

bool YIsReadableSample(YSampleKind kind, int bits) {
    return kind == YSampleKind::Pcm ? YIsSampleWidth(bits)
                                    : kind == YSampleKind::Float && (bits == 32 || bits == 64);
}

const std::uint8_t* YSampleToReal(const std::uint8_t* p, YSampleKind kind, int bits, double& value) {
    if (kind == YSampleKind::Pcm) return YSampleToReal(p, bits, value);
    const int bytes = bits > 0 ? YBytesPerSample(bits) : 0;
    value = 0.0;
    if (kind == YSampleKind::Float && (bits == 32 || bits == 64)) {
        std::uint64_t u = 0;
        for (int i = bytes - 1; i >= 0; --i) u = u << 8 | p[i];
        const double v = bits == 32 ? double(std::bit_cast<float>(static_cast<std::uint32_t>(u)))
                                    : std::bit_cast<double>(u);
        value = std::isfinite(v) ? v : 0.0;
    }
    return p + bytes;
}

namespace {
// The signed code of `bits` significant bits nearest to `value`, clipped.
std::int64_t Code(double value, int bits) {
    const double top = std::ldexp(1.0, bits - 1);
    if (std::isnan(value)) return 0;
    const double scaled = std::nearbyint(value * top);
    if (scaled >= top - 1) return static_cast<std::int64_t>(top) - 1;
    if (scaled <= -top) return -static_cast<std::int64_t>(top);
    return static_cast<std::int64_t>(scaled);
}
}  // namespace

std::uint8_t* YRealToSample(double value, int bits, std::uint8_t* p) {
    switch (bits) {
        case 8:
            p[0] = static_cast<std::uint8_t>(Code(value, 8) + 128);
            return p + 1;
        case 16: {
            const auto c = static_cast<std::uint16_t>(Code(value, 16));
            p[0] = static_cast<std::uint8_t>(c);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            return p + 2;
        }
        case 20:
        case 24: {
            const auto c = static_cast<std::uint32_t>(Code(value, bits)) << (24 - bits);
            p[0] = static_cast<std::uint8_t>(c);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c >> 16);
            return p + 3;
        }
        case 32: {
            const auto c = static_cast<std::uint32_t>(Code(value, 32));
            for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(c >> (8 * i));
            return p + 4;
        }
        default: {
            const int n = bits > 0 ? (bits + 7) / 8 : 0;
            std::memset(p, 0, static_cast<std::size_t>(n));
            return p + n;
        }
    }
}

double YSampleMax(int bits) { return YIsSampleWidth(bits) ? 1.0 - std::ldexp(1.0, 1 - bits) : 0.0; }
double YSampleMin(int bits) { return YIsSampleWidth(bits) ? -1.0 : 0.0; }
