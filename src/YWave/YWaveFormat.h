#pragma once
// The wave format header that describes a PCM stream, as stored in wave files
// ("fmt " chunk) and used to open devices: 18 bytes in the plain form, 40 in the
// extensible form. Values only; safe to use from any thread.

#include <array>
#include <cstddef>
#include <cstdint>

enum class YSampleKind { Pcm, Float, Other };

struct YWaveFormat {
    static constexpr std::uint16_t kTagPcm = 1;
    static constexpr std::uint16_t kTagFloat = 3;
    static constexpr std::uint16_t kTagExtensible = 0xFFFE;
    static constexpr std::size_t kPlainSize = 18;
    static constexpr std::size_t kExtensibleSize = 40;

    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
    // Extensible form only.
    std::uint16_t validBits = 0;
    std::uint32_t channelMask = 0;
    std::array<std::uint8_t, 16> subFormat{};

    // The header of interleaved integer PCM. The extensible form is used when
    // `extensibleAllowed` and (channels > 2 or bits > 16); it declares 24 valid
    // bits for 32-bit containers, else the bit count.
    static YWaveFormat Pcm(int bits, int channels, int rate, bool extensibleAllowed);

    bool IsExtensible() const { return tag == kTagExtensible; }
    // Pcm for tag 1 and for the extensible tag with the PCM sub-format, Float
    // for tag 3 and the extensible IEEE-float sub-format.
    YSampleKind Kind() const;
    // Bytes of the header as stored: 18 or 40.
    std::size_t StoredSize() const { return IsExtensible() ? kExtensibleSize : kPlainSize; }
    // Little-endian bytes of the header; the first StoredSize() are meaningful.
    std::array<std::uint8_t, kExtensibleSize> Bytes() const;
    // Reads the fields present in `size` bytes (16 to 40); absent ones stay 0.
    static YWaveFormat FromBytes(const std::uint8_t* data, std::size_t size);

    friend bool operator==(const YWaveFormat&, const YWaveFormat&) = default;
};

// Bytes one sample of `bits` occupies: (bits + 7) / 8.
constexpr int YBytesPerSample(int bits) { return (bits + 7) / 8; }
// Channel mask of the extensible header by channel count (0 where none is defined).
std::uint32_t YChannelMask(int channels);
// The PCM and IEEE-float sub-format identifiers of the extensible header.
extern const std::array<std::uint8_t, 16> kYSubFormatPcm;
extern const std::array<std::uint8_t, 16> kYSubFormatFloat;
