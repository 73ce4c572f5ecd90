#pragma once
// Conversion of little-endian PCM samples to and from real numbers, full scale
// 1.0. Widths: 8 (unsigned, silence 0x80), 16, 20 and 24 (signed, top-justified
// in three bytes), 32 (signed). Wave files may also hold IEEE floats (32 and
// 64 bits), which are read here too. Pure functions, safe from any thread.

#include "YWave/YWaveFormat.h"

#include <cstddef>
#include <cstdint>

// True for the widths the engine plays and records: 8, 16, 20, 24, 32.
bool YIsSampleWidth(int bits);

// One sample at `p` to a real: 8-bit (u - 128) * 2^-7; 16-bit s * 2^-15;
// 20/24-bit the three bytes as the top bytes of a 32-bit value * 2^-31; 32-bit
// s * 2^-31. Other widths give 0 and advance by (bits + 7) / 8 bytes.
// Returns the pointer to the next sample.
const std::uint8_t* YSampleToReal(const std::uint8_t* p, int bits, double& value);

// True when YSampleToReal below decodes samples of `kind` and `bits`: PCM of
// a YIsSampleWidth width, or 32- and 64-bit IEEE floats.
bool YIsReadableSample(YSampleKind kind, int bits);

// One sample of a wave file's kind at `p`: PCM as above; a float as its value
// (full scale 1.0), where NaN and infinities read as 0 (silence). What is not
// readable gives 0 and advances by (bits + 7) / 8 bytes. Returns the pointer
// to the next sample.
const std::uint8_t* YSampleToReal(const std::uint8_t* p, YSampleKind kind, int bits, double& value);

// The nearest code of `bits` to `value` (clipped at the code range; a 20-bit
// code leaves the low four bits of its three bytes zero). Returns the pointer
// past the written sample. NaN writes silence.
std::uint8_t* YRealToSample(double value, int bits, std::uint8_t* p);

// The byte that fills silence of `bits`: 0x80 for 8-bit, else 0.
constexpr std::uint8_t YSilenceByte(int bits) { return bits == 8 ? 0x80 : 0x00; }

// The largest and smallest reals a code of `bits` represents.
double YSampleMax(int bits);
double YSampleMin(int bits);
