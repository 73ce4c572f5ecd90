#pragma once

#include "YLib/YRandom.h"

class YDoubleVec;

#include <cstdint>
#include <span>

// White and pink noise for the signal generator and the noise stimuli.
//
// Each YNoise owns its two generators: successive calls on one object go on
// with its sequences, so keep one object for noise that must not repeat. A
// new object with the default seeds starts the uniform sequence at 0.1330695...
// One thread at a time per object; distinct objects are independent.
class YNoise {
public:
    explicit YNoise(std::uint32_t gaussianSeed = 1, std::uint32_t uniformSeed = YUniformRandom::kDefaultSeed)
        : gaussian_(gaussianSeed), uniform_(uniformSeed) {}
    virtual ~YNoise() = default;

    // Box-Muller, one value per pair of 15-bit draws r1, r2:
    // sqrt(-2 ln u1) cos(2 pi u2) with u1 = (r1 + 1) / 32768 in (0, 1] and
    // u2 = r2 / 32767, so the peak stays below 4.6. With `normalise` the
    // result is scaled by NormalisePeak.
    void WhiteGaussian(std::span<double> out, bool normalise);
    // Values of YUniformRandom in (-1, 1]; NormalisePeak with `normalise`.
    void WhiteUniform(std::span<double> out, bool normalise);
    // The white noise (not normalised), PinkFilterBlock, then NormalisePeak.
    void PinkGaussian(std::span<double> out);
    void PinkUniform(std::span<double> out);

    // The same into v resized to n elements first; false, leaving v as the
    // resize left it, when the resize fails.
    bool WhiteGaussian(YDoubleVec& v, int n, bool normalise);
    bool WhiteUniform(YDoubleVec& v, int n, bool normalise);
    bool PinkGaussian(YDoubleVec& v, int n);
    bool PinkUniform(YDoubleVec& v, int n);

    // The refined pinking filter of P. Kellet (-3.01 dB per octave within
    // 0.1 dB from 20 Hz to 20 kHz at 44.1 kHz), in place, starting from zero
    // state on every call. It has no gain correction of its own.
    static void PinkFilterBlock(std::span<double> samples);

    // Divides every sample by the largest magnitude when that is above 0;
    // otherwise leaves the samples unchanged. (A YDoubleVec converts to the
    // span of its elements, here and above.)
    static void NormalisePeak(std::span<double> samples);

private:
    YRandom gaussian_;
    YUniformRandom uniform_;
};
