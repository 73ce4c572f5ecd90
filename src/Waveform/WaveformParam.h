#pragma once
// The stimulus parameter record: how a module describes one of its settings to
// the user interface. The same records are stored byte for byte in
// WAVEFORM.CFG and in measurement settings files, so the 392-byte form below is
// a file format (little-endian, unused bytes zero):
//
//   0   60  name, zero-terminated        92   1  dedicated (0/1)
//   60  28  unit, zero-terminated        93   1  isReal (0/1)
//   88   4  int32 role                   94 266  text, zero-terminated
//   360  8  value   368 8 max   376 8 min   384 8 step
//
// value/max/min/step are float64 when isReal, else int32 in their first four
// bytes (a boolean is an int32 0 or 1).
//
// Two real placeholders are resolved against the sample rate: a max of exactly
// -2.0 means round(sampleRate × 0.49896), a min of exactly -3.0 means
// 1 / sampleRate.
//
// Plain value type; safe from any thread.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct WaveformParam {
    static constexpr std::size_t kBytes = 392;
    static constexpr std::size_t kNameBytes = 60;
    static constexpr std::size_t kUnitBytes = 28;
    static constexpr std::size_t kTextBytes = 266;
    static constexpr double kNyquistPlaceholder = -2.0;
    static constexpr double kOneSamplePlaceholder = -3.0;

    std::string name;  // at most 59 bytes are stored
    std::string unit;  // at most 27
    std::int32_t role = 0;
    bool dedicated = false;
    bool isReal = false;
    std::string text;  // at most 265
    // Real records use the doubles, integer records the ints.
    double value = 0.0, max = 0.0, min = 0.0, step = 0.0;
    std::int32_t intValue = 0, intMax = 0, intMin = 0, intStep = 0;

    // The value of either kind as a double.
    double Number() const { return isReal ? value : double(intValue); }

    // The 392 stored bytes.
    std::array<std::uint8_t, kBytes> ToBytes() const;
    // Reads one record from exactly kBytes bytes; texts end at their first zero
    // byte or at the field's end. False when bytes.size() != kBytes or a flag
    // byte is neither 0 nor 1.
    static bool FromBytes(std::span<const std::uint8_t> bytes, WaveformParam& out);

    friend bool operator==(const WaveformParam&, const WaveformParam&) = default;
};

using WaveformParams = std::vector<WaveformParam>;

// The value resolved against the rate: round(sampleRate × 0.49896) for the
// Nyquist placeholder, 1 / sampleRate for the one-sample placeholder, else x.
double ResolvePlaceholder(double x, double sampleRate);
