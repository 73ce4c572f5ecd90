#pragma once
// A simulated measurement for the stimulus tests: the generated period looped
// after a stretch of silence, played through a device (an FIR filter) into
// the measured channel, and unchanged into the reference channel.

#include "Waveform/IWaveform.h"
#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace waveform_test {

using Taps = std::vector<std::pair<int, double>>;  // (delay in samples, gain)

struct Recording {
    std::vector<float> measured, reference;
    std::vector<std::span<const float>> channels;

    RecordedChannels View(bool two) {
        channels = {measured};
        if (two) channels.push_back(reference);
        return channels;
    }
};

// `periods` loops of `period` after `silence` samples, the measured channel
// through `device` and delayed by `latency` more samples.
inline Recording Simulate(const YDoubleVec& period, const Taps& device, int periods, int silence = 2000,
                          int latency = 0, double gain = 1.0) {
    const int P = period.Size();
    const int total = silence + latency + periods * P;
    const auto played = [&](long t) { return t < silence ? 0.0 : gain * period.Data()[(t - silence) % P]; };
    Recording r;
    r.measured.resize(total);
    r.reference.resize(total);
    for (long t = 0; t < total; ++t) {
        r.reference[t] = float(played(t));
        double y = 0.0;
        for (const auto& [d, g] : device)
            if (t - latency - d >= 0) y += g * played(t - latency - d);
        r.measured[t] = float(y);
    }
    return r;
}

// |Σ g·e^(-iωd)| at f.
inline std::pair<double, double> DeviceResponse(const Taps& device, double f, double rate) {
    double re = 0.0, im = 0.0;
    for (const auto& [d, g] : device) {
        const double w = 2.0 * std::numbers::pi * f * d / rate;
        re += g * std::cos(w);
        im -= g * std::sin(w);
    }
    return {std::hypot(re, im), std::atan2(im, re)};
}

// The spectrum of an impulse response zero padded to 2^k >= 2·size.
inline YComplexVec SpectrumOf(const YDoubleVec& ir) {
    int N = 4;
    while (N < 2 * ir.Size()) N *= 2;
    YDoubleVec padded(N);
    std::copy(ir.begin(), ir.end(), padded.begin());
    YComplexVec out;
    YFft().TransformReal(padded, out);
    return out;
}

inline double MagnitudeAt(const YComplexVec& spectrum, double f, double rate) {
    const int bin = int(std::lround(f / rate * spectrum.Size()));
    return Abs(spectrum.Data()[bin]);
}

}  // namespace waveform_test
