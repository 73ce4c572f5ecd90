#pragma once
// Conversion of little-endian PCM samples to and from real numbers, full scale
// 1.0. Widths: 8 (unsigned, silence 0x80), 16, 20 and 24 (signed, top-justified
// in three bytes), 32 (signed). Pure functions, safe from any thread.

#include <cstddef>
#include <cstdint>

// True for the widths the engine plays and records: 8, 16, 20, 24, 32.
bool YIsSampleWidth(int bits);

// One sample at `p` to a real: 8-bit (u - 128) * 2^-7; 16-bit s * 2^-15;
// 20/24-bit the three bytes as the top bytes of a 32-bit value * 2^-31; 32-bit
// s * 2^-31. Other widths give 0 and advance by (bits + 7) / 8 bytes.
// Returns the pointer to the next sample.
const std::uint8_t* YSampleToReal(const std::uint8_t* p, int bits, double& value);

// The nearest code of `bits` to `value` (clipped at the code range; a 20-bit
// code leaves the low four bits of its three bytes zero). Returns the pointer
// past the written sample. NaN writes silence.
std::uint8_t* YRealToSample(double value, int bits, std::uint8_t* p);

// The byte that fills silence of `bits`: 0x80 for 8-bit, else 0.
constexpr std::uint8_t YSilenceByte(int bits) { return bits == 8 ? 0x80 : 0x00; }

// The largest and smallest reals a code of `bits` represents.
double YSampleMax(int bits);
double YSampleMin(int bits);
