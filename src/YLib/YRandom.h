#pragma once

#include <cstdint>

// The system's own pseudo-random generators. Each object owns its state, so
// the sequences do not depend on the C library and generators on different
// threads never share anything. One thread at a time per object.

// A seeded 15-bit generator: Next() gives integers 0 ... 32767 from a linear
// congruential sequence (state * 214013 + 2531011, bits 16-30), the same
// sequence for the same seed on every platform. Used for Gaussian noise and
// for the dither of the stimuli.
class YRandom {
public:
    static constexpr int kMax = 32767;

    explicit YRandom(std::uint32_t seed = 1) : state_(seed) {}

    void Seed(std::uint32_t seed) { state_ = seed; }

    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7fffu);
    }

private:
    std::uint32_t state_;
};

// The uniform white-noise generator: state = state * 196314165 + 907633515
// (mod 2^32), Next() = state read as a signed 32-bit integer times -2^-31, a
// value in (-1, 1]. From the default seed 22222 the first values are
// 0.1330695073120296, 0.7922726944088936, 0.032532321754843.
class YUniformRandom {
public:
    static constexpr std::uint32_t kDefaultSeed = 22222;

    explicit YUniformRandom(std::uint32_t seed = kDefaultSeed) : state_(seed) {}

    void Seed(std::uint32_t seed) { state_ = seed; }

    double Next() {
        state_ = state_ * 196314165u + 907633515u;
        return static_cast<double>(static_cast<std::int32_t>(state_)) * (-1.0 / 2147483648.0);
    }

private:
    std::uint32_t state_;
};
