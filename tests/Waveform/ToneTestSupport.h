#pragma once
// Recordings for the tone and pulse stimulus tests: the generated period
// looped after a stretch of silence, through a device into the measured
// channel, and unchanged into the reference channel, each channel with a
// delay of its own; and the check of the tone-count limit.

#include "Platform/RecordingPrompt.h"
#include "Waveform/IWaveform.h"
#include "YLib/YDoubleVec.h"
#include "YWave/Sim/YSimDevices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace stimulus_test {

struct Recording {
    std::vector<float> measured, reference;
    std::vector<std::span<const float>> channels;

    RecordedChannels View(bool two) {
        channels = {measured};
        if (two) channels.push_back(reference);
        return channels;
    }
};

using Device = std::function<double(double)>;

inline double Linear(double x) { return x; }

// A memoryless polynomial y = c0 + c1 x + c2 x² + ... of the simulated card.
inline Device Polynomial(std::vector<double> coefficients) {
    auto device = std::make_shared<YSimPolynomial>(std::move(coefficients));
    return [device](double x) { return device->Process(x); };
}

inline Recording Play(const YDoubleVec& period, const Device& device, int periods, int silence = 3000,
                      int measuredDelay = 0, int referenceDelay = 0) {
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
inline YDoubleVec PlayedLoop(const IWaveform& m, double sampleRate) {
    const int sync = m.GetSyncPulse() ? int(std::lround(0.1 * sampleRate)) : 0;
    const YDoubleVec& period = *m.GetSamples();
    YDoubleVec loop(sync + period.Size());
    if (sync > 0) loop.Data()[0] = 1.0;
    std::copy(period.begin(), period.end(), loop.begin() + sync);
    return loop;
}

// The entry with `tag`, or null.
inline const YDoubleVec* Entry(const ResponseList& responses, int tag) {
    for (const auto& e : responses)
        if (e.tag == tag) return &e.data;
    return nullptr;
}

// A tone module set to start at 1 Hz with 8192 points per octave (records
// startRecord and pointsRecord) refuses to generate, with one message in its
// own error box that names it (`noun`) and the limit of 2048 tones.
inline void ExpectTooManyTonesRefused(IWaveform& m, const sonbex::platform::RecordingPrompt& prompt,
                                      int startRecord, int pointsRecord, const std::string& caption,
                                      const std::string& noun) {
    WaveformParams records;
    ASSERT_TRUE(m.GetParams(records));
    records[startRecord].value = 1.0;
    records[pointsRecord].intValue = 8192;
    ASSERT_TRUE(m.SetParams(records));
    EXPECT_FALSE(m.Generate());
    EXPECT_TRUE(m.GetSamples()->Empty());
    const auto prompts = prompt.Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, caption);
    EXPECT_EQ(prompts[0].text.rfind("The " + noun + " would play ", 0), 0u) << prompts[0].text;
    EXPECT_NE(prompts[0].text.find("at most 2048"), std::string::npos) << prompts[0].text;
}

}  // namespace stimulus_test
