#pragma once
// Recordings for the tone and pulse stimulus tests: the generated period
// looped after a stretch of silence, through a device into the measured
// channel, and unchanged into the reference channel, each channel with a
// delay of its own.

#include "Waveform/IWaveform.h"
#include "YLib/YDoubleVec.h"
#include "YWave/Sim/YSimDevices.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace stimulus_test {

struct Recording {
    std::vector<float> measured, reference;
    std::vector<std::span<const float>> channels;

    RecordedChannels View(bool two)
    {
        channels = {measured};
        if (two)
            channels.push_back(reference);
        return channels;
    }
};

using Device = std::function<double(double)>;

inline double Linear(double x) { return x; }

// A memoryless polynomial y = c0 + c1 x + c2 x² + ... of the simulated card.
inline Device Polynomial(std::vector<double> coefficients)
{
    auto device = std::make_shared<YSimPolynomial>(std::move(coefficients));
    return [device](double x) { return device->Process(x); };
}

inline Recording Play(const YDoubleVec& period, const Device& device, int periods, int silence = 3000,
                      int measuredDelay = 0, int referenceDelay = 0)
{
    const long P = period.Size();
    const long total = silence + std::max(measuredDelay, referenceDelay) + periods * P;
    const auto played = [&](long t) { return t < silence ? 0.0 : period.Data()[(t - silence) % P]; };
    Recording r;
    r.measured.resize(total);
    r.reference.resize(total);
    for (long t = 0; t < total; ++t) {
        r.measured[t] = t >= measuredDelay ? float(device(played(t - measuredDelay))) : 0.0f;
        r.reference[t] = t >= referenceDelay ? float(played(t - referenceDelay)) : 0.0f;
    }
    return r;
}

// The loop the card plays: the sync block (a full-scale click, then
// silence, 0.1 s) when the module uses one, then the generated period.
inline YDoubleVec PlayedLoop(const IWaveform& m, double sampleRate)
{
    const int sync = m.GetSyncPulse() ? int(std::lround(0.1 * sampleRate)) : 0;
    const YDoubleVec& period = *m.GetSamples();
    YDoubleVec loop(sync + period.Size());
    if (sync > 0)
        loop.Data()[0] = 1.0;
    std::copy(period.begin(), period.end(), loop.begin() + sync);
    return loop;
}

// The entry with `tag`, or null.
inline const YDoubleVec* Entry(const ResponseList& responses, int tag)
{
    for (const auto& e : responses)
        if (e.tag == tag)
            return &e.data;
    return nullptr;
}

}  // namespace stimulus_test
