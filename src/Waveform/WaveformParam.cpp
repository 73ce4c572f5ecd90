#include "Waveform/WaveformParam.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Bytes = std::array<std::uint8_t, WaveformParam::kBytes>;

void PutText(Bytes& b, std::size_t offset, std::size_t capacity, const std::string& s) {
    const std::size_t n = std::min(s.size(), capacity - 1);
    std::memcpy(b.data() + offset, s.data(), n);
}

std::string GetText(std::span<const std::uint8_t> b, std::size_t offset, std::size_t capacity) {
    const auto* p = reinterpret_cast<const char*>(b.data() + offset);
    return std::string(p, strnlen(p, capacity));
}

void PutInt(Bytes& b, std::size_t offset, std::int32_t v) {
    const auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i) b[offset + i] = std::uint8_t(u >> (8 * i));
}

std::int32_t GetInt(std::span<const std::uint8_t> b, std::size_t offset) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= std::uint32_t(b[offset + i]) << (8 * i);
    return std::int32_t(u);
}

void PutDouble(Bytes& b, std::size_t offset, double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) b[offset + i] = std::uint8_t(u >> (8 * i));
}

double GetDouble(std::span<const std::uint8_t> b, std::size_t offset) {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= std::uint64_t(b[offset + i]) << (8 * i);
    double v;
    std::memcpy(&v, &u, 8);
    return v;
}

constexpr std::size_t kName = 0, kUnit = 60, kRole = 88, kDedicated = 92, kIsReal = 93, kText = 94,
                      kValue = 360, kMax = 368, kMin = 376, kStep = 384;

}  // namespace

std::array<std::uint8_t, WaveformParam::kBytes> WaveformParam::ToBytes() const {
    Bytes b{};
    PutText(b, kName, kNameBytes, name);
    PutText(b, kUnit, kUnitBytes, unit);
    PutInt(b, kRole, role);
    b[kDedicated] = dedicated ? 1 : 0;
    b[kIsReal] = isReal ? 1 : 0;
    PutText(b, kText, kTextBytes, text);
    if (isReal) {
        PutDouble(b, kValue, value);
        PutDouble(b, kMax, max);
        PutDouble(b, kMin, min);
        PutDouble(b, kStep, step);
    } else {
        PutInt(b, kValue, intValue);
        PutInt(b, kMax, intMax);
        PutInt(b, kMin, intMin);
        PutInt(b, kStep, intStep);
    }
    return b;
}

bool WaveformParam::FromBytes(std::span<const std::uint8_t> b, WaveformParam& out) {
    if (b.size() != kBytes || b[kDedicated] > 1 || b[kIsReal] > 1) return false;
    WaveformParam p;
    p.name = GetText(b, kName, kNameBytes);
    p.unit = GetText(b, kUnit, kUnitBytes);
    p.role = GetInt(b, kRole);
    p.dedicated = b[kDedicated] == 1;
    p.isReal = b[kIsReal] == 1;
    p.text = GetText(b, kText, kTextBytes);
    if (p.isReal) {
        p.value = GetDouble(b, kValue);
        p.max = GetDouble(b, kMax);
        p.min = GetDouble(b, kMin);
        p.step = GetDouble(b, kStep);
    } else {
        p.intValue = GetInt(b, kValue);
        p.intMax = GetInt(b, kMax);
        p.intMin = GetInt(b, kMin);
        p.intStep = GetInt(b, kStep);
    }
    out = std::move(p);
    return true;
}

double ResolvePlaceholder(double x, double sampleRate) {
    if (x == WaveformParam::kNyquistPlaceholder) return std::round(sampleRate * 0.49896);
    if (x == WaveformParam::kOneSamplePlaceholder) return 1.0 / sampleRate;
    return x;
}
