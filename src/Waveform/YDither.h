#pragma once
// Requantisation of stimulus samples to the code grid of the sound card's
// sample width, and the encoding of one sample as PCM bytes.
//
// Dither types: 0 none (the samples are copied), 1 triangular (a
// high-passed difference of two uniform draws, two steps peak to peak), 2 the
// same with second-order error feedback (noise shaping, weight 0.5). The
// random draws come from a seeded 15-bit generator, so the same seed gives
// the same output on every run and platform.
//
// Threading: a YDither object is used by one thread at a time; the encoding
// functions are pure.

#include "YLib/YRandom.h"

#include <cstdint>
#include <span>

class YDither {
public:
    YDither(int bits, int type, std::uint32_t seed);

    // Requantises in to out (the same length; in and out may be the same
    // span). The values stay in the scale of the input: a step is 1/Q with
    // Q = 2^(bits-1) - 1.
    void Process(std::span<const double> in, std::span<double> out);

private:
    double q_;
    double weight_;
    int type_;
    YRandom random_;
};

// Bytes one sample of `bits` occupies.
constexpr int PcmBytesPerSample(int bits) { return (bits + 7) / 8; }

// Writes v (full scale ±1.0) as one little-endian sample of `bits` at p and
// returns the position after it. Rounding is half away from zero; values
// beyond the code range saturate at its ends; NaN writes silence.
//   8 bits: unsigned round(v·127 + 128)     16 bits: round(v·32767)
//   24 (and 20) bits: the upper three bytes of the 32-bit round(v·2147483647)
//   32 bits: round(v·2147483647)
std::uint8_t* EncodePcmSample(double v, int bits, std::uint8_t* p);
