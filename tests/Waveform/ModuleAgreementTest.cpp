// The same device measured with every module, with and without a reference
// channel, gives the same shape, polarity and (per module) level.

#include "Waveform/YLogSweep.h"
#include "Waveform/YMlsModules.h"
#include "WaveformTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

namespace {

using namespace waveform_test;

constexpr double kRate = 48000.0;

// Magnitude and phase of a module's result at f, the phase with the
// response's own delay removed.
struct Measured {
    std::function<std::pair<double, double>(double)> at;
};

Measured FromImpulse(const YDoubleVec& ir) {
    auto spectrum = std::make_shared<YComplexVec>(SpectrumOf(ir));
    int peak = 0;
    for (int i = 0; i < ir.Size(); ++i)
        if (std::abs(ir[i]) > std::abs(ir[peak])) peak = i;
    return {[spectrum, peak](double f) {
        const int bin = int(std::lround(f / kRate * spectrum->Size()));
        const double fb = bin * kRate / spectrum->Size();
        const YComplex z = spectrum->Data()[bin] * Polar(1.0, 2.0 * std::numbers::pi * fb * peak / kRate);
        return std::pair{Abs(z), Arg(z)};
    }};
}

Measured FromCurve(const ResponseList& r, int delay) {
    auto list = std::make_shared<ResponseList>(r);
    return {[list, delay](double f) {
        const YDoubleVec& axis = (*list)[0].data;
        int best = 0;
        for (int i = 0; i < axis.Size(); ++i)
            if (std::abs(axis[i] - f) < std::abs(axis[best] - f)) best = i;
        const double phase = (*list)[2].data[best] + 2.0 * std::numbers::pi * axis[best] * delay / kRate;
        return std::pair{(*list)[1].data[best], std::remainder(phase, 2.0 * std::numbers::pi)};
    }};
}

TEST(ModuleAgreement, SameDeviceSameShapeAndPolarity) {
    struct Case {
        const char* module;
        bool two;
        double gain;  // the device's polarity and level
    } cases[] = {
        {"White MLS", false, 1.0},      {"White MLS", true, 1.0},      {"White MLS", false, -1.0},
        {"Pink MLS", false, 1.0},       {"Pink MLS", true, 1.0},       {"Pink MLS", true, -1.0},
        {"Shelved MLS", false, 1.0},    {"Shelved MLS", true, 1.0},    {"Shelved MLS", false, -1.0},
        {"Log Sine Sweep", false, 1.0}, {"Log Sine Sweep", true, 1.0}, {"Log Sine Sweep", false, -1.0},
    };
    // Frequencies on whole bins of every transform used here.
    const double freqs[] = {187.5, 375.0, 750.0, 1500.0, 3000.0, 6000.0};
    const int latency = 25;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.module << (c.two ? ", two channels" : ", one channel")
                                        << ", device gain " << c.gain);
        const Taps device = {{0, c.gain}, {3, 0.4 * c.gain}};
        std::unique_ptr<YWaveformBase> m;
        const std::string name = c.module;
        if (name == "White MLS")
            m = std::make_unique<YWhiteMLS>();
        else if (name == "Pink MLS")
            m = std::make_unique<YPinkMLS>();
        else if (name == "Shelved MLS")
            m = std::make_unique<YShelvedMLS>();
        else
            m = std::make_unique<YLogSweep>();
        ASSERT_TRUE(m->SetFormat(kRate, 2, 2, 24, 1, 1.0, 1.0));
        m->SetStereo(c.two);
        if (m->GetCategory() == kCategoryImpulse) {
            WaveformParams p;
            ASSERT_TRUE(m->GetParams(p));
            p[0].intValue = 16;
            ASSERT_TRUE(m->SetParams(p));
        }
        ASSERT_TRUE(m->Generate());
        Recording rec = Simulate(*m->GetSamples(), device, 3, 3000, c.two ? latency : 0);
        ResponseList r;
        ASSERT_TRUE(m->Analyze(rec.View(c.two), r, 2, kAnalyzeSkipFirst));
        const Measured result =
            m->GetCategory() == kCategoryImpulse ? FromImpulse(r[0].data) : FromCurve(r, 0);

        const double ref = result.at(1500.0).first;
        const double expectedRef = DeviceResponse(device, 1500.0, kRate).first;
        for (double f : freqs) {
            const auto [mag, phase] = result.at(f);
            const auto [expected, expectedPhase] = DeviceResponse(device, f, kRate);
            EXPECT_NEAR(20 * std::log10(mag / ref), 20 * std::log10(expected / expectedRef), 0.1)
                << f << " Hz";
            if (m->GetCategory() == kCategoryImpulse) {
                // With the direct sound's delay removed the phase is the device's.
                EXPECT_NEAR(std::remainder(phase - expectedPhase, 2 * std::numbers::pi), 0.0, 0.2)
                    << f << " Hz";
            }
        }
        // Polarity: the direct sound keeps the device's sign.
        if (m->GetCategory() == kCategoryImpulse) {
            const YDoubleVec& ir = r[0].data;
            int peak = 0;
            for (int i = 0; i < ir.Size(); ++i)
                if (std::abs(ir[i]) > std::abs(ir[peak])) peak = i;
            EXPECT_GT(ir[peak] * c.gain, 0.0);
        } else {
            // Low in the band the delay of a few samples turns the phase by
            // a few degrees only: a sign change would read ±180°.
            const auto [mag, phase] = result.at(100.0);
            EXPECT_LT(
                std::abs(std::remainder(phase - (c.gain < 0 ? std::numbers::pi : 0.0), 2 * std::numbers::pi)),
                0.5);
        }
    }
}

TEST(ModuleAgreement, OneAndTwoChannelsReadTheSameLevel) {
    const Taps device = {{0, 0.5}};
    for (const char* name : {"White MLS", "Pink MLS", "Shelved MLS"}) {
        SCOPED_TRACE(name);
        double level[2] = {};
        for (bool two : {false, true}) {
            std::unique_ptr<YMlsBase> m;
            if (std::string(name) == "White MLS")
                m = std::make_unique<YWhiteMLS>();
            else if (std::string(name) == "Pink MLS")
                m = std::make_unique<YPinkMLS>();
            else
                m = std::make_unique<YShelvedMLS>();
            ASSERT_TRUE(m->SetFormat(kRate, 2, 2, 24, 1, 1.0, 1.0));
            m->SetStereo(two);
            ASSERT_TRUE(m->Generate());
            Recording rec = Simulate(*m->GetSamples(), device, 3, 3000, 0);
            ResponseList r;
            ASSERT_TRUE(m->Analyze(rec.View(two), r, 2, kAnalyzeSkipFirst));
            level[two] = FromImpulse(r[0].data).at(1500.0).first;
        }
        EXPECT_NEAR(20 * std::log10(level[1] / level[0]), 0.0, 0.05);
    }
}

}  // namespace
