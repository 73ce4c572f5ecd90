#include "YWave/YWaveFormat.h"

#include <cstring>

// 00000001-0000-0010-8000-00AA00389B71 and 00000003-..., stored little-endian.
const std::array<std::uint8_t, 16> kYSubFormatPcm = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                     0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
const std::array<std::uint8_t, 16> kYSubFormatFloat = {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint32_t YChannelMask(int channels) {
    static const std::uint32_t masks[] = {0, 0x4, 0x3, 0x7, 0x33, 0x107, 0x3F, 0, 0xFF};
    return channels >= 0 && channels <= 8 ? masks[channels] : 0;
}

YWaveFormat YWaveFormat::Pcm(int bits, int channels, int rate, bool extensibleAllowed) {
    YWaveFormat f;
    f.channels = static_cast<std::uint16_t>(channels);
    f.sampleRate = static_cast<std::uint32_t>(rate);
    f.bitsPerSample = static_cast<std::uint16_t>(bits);
    f.blockAlign = static_cast<std::uint16_t>(channels * YBytesPerSample(bits));
    f.avgBytesPerSec = f.sampleRate * f.blockAlign;
    if (extensibleAllowed && (channels > 2 || bits > 16)) {
        f.tag = kTagExtensible;
        f.extraSize = 22;
        f.validBits = static_cast<std::uint16_t>(bits == 32 ? 24 : bits);
        f.channelMask = YChannelMask(channels);
        f.subFormat = kYSubFormatPcm;
    } else {
        f.tag = kTagPcm;
    }
    return f;
}

YSampleKind YWaveFormat::Kind() const {
    if (tag == kTagPcm) return YSampleKind::Pcm;
    if (tag == kTagFloat) return YSampleKind::Float;
    if (tag == kTagExtensible && extraSize >= 22) {
        if (subFormat == kYSubFormatPcm) return YSampleKind::Pcm;
        if (subFormat == kYSubFormatFloat) return YSampleKind::Float;
    }
    return YSampleKind::Other;
}

namespace {
void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
}  // namespace

std::array<std::uint8_t, YWaveFormat::kExtensibleSize> YWaveFormat::Bytes() const {
    std::array<std::uint8_t, kExtensibleSize> b{};
    Put16(&b[0], tag);
    Put16(&b[2], channels);
    Put32(&b[4], sampleRate);
    Put32(&b[8], avgBytesPerSec);
    Put16(&b[12], blockAlign);
    Put16(&b[14], bitsPerSample);
    Put16(&b[16], extraSize);
    Put16(&b[18], validBits);
    Put32(&b[20], channelMask);
    std::memcpy(&b[24], subFormat.data(), subFormat.size());
    return b;
}

YWaveFormat YWaveFormat::FromBytes(const std::uint8_t* data, std::size_t size) {
    std::array<std::uint8_t, kExtensibleSize> b{};
    std::memcpy(b.data(), data, size < b.size() ? size : b.size());
    YWaveFormat f;
    f.tag = Get16(&b[0]);
    f.channels = Get16(&b[2]);
    f.sampleRate = Get32(&b[4]);
    f.avgBytesPerSec = Get32(&b[8]);
    f.blockAlign = Get16(&b[12]);
    f.bitsPerSample = Get16(&b[14]);
    f.extraSize = Get16(&b[16]);
    f.validBits = Get16(&b[18]);
    f.channelMask = Get32(&b[20]);
    std::memcpy(f.subFormat.data(), &b[24], f.subFormat.size());
    return f;
}
