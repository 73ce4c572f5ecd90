// Maximum-length sequences, the fast Hadamard correlator and the MLS modules.

#include "Platform/RecordingPrompt.h"
#include "Waveform/YFastHadamard.h"
#include "Waveform/YMlsModules.h"
#include "Waveform/YMlsSequence.h"
#include "WaveformTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace waveform_test;

TEST(MlsSequence, EveryOrderAndVariantIsMaximalWithTwoValuedAutocorrelation) {
    int checked = 0;
    for (int order = 2; order <= 24; ++order) {
        ASSERT_GE(MlsVariantCount(order), 1) << "order " << order;
        for (int variant = 0; variant < MlsVariantCount(order); ++variant) {
            SCOPED_TRACE(testing::Message() << "order " << order << " variant " << variant);
            YDoubleVec s;
            ASSERT_TRUE(MakeMls(s, order, variant));
            const int L = (1 << order) - 1;
            ASSERT_EQ(s.Size(), L);
            int minus = 0;
            for (double x : s) minus += x < 0;
            EXPECT_EQ(minus, 1 << (order - 1));  // one more -1 than +1
            // Init fails unless all L windows of `order` samples differ: the
            // period is L and no shorter.
            YFastHadamard h;
            ASSERT_TRUE(h.Init(s, order));
            YDoubleVec r = s;
            ASSERT_TRUE(h.Correlate(r));
            // L at lag 0 and -1 elsewhere, scaled by 4 / L.
            EXPECT_NEAR(r[0], 4.0, 1e-9);
            double worst = 0.0;
            for (int k = 1; k < L; ++k) worst = std::max(worst, std::abs(r.Data()[k] + 4.0 / L));
            EXPECT_LT(worst, 1e-9);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 40);
    EXPECT_EQ(MlsVariantCount(1), 0);
    EXPECT_EQ(MlsVariantCount(25), 0);
}

TEST(MlsSequence, OrderThree) {
    YDoubleVec s;
    ASSERT_TRUE(MakeMls(s, 3, 0));
    const double expected[] = {1, 1, -1, 1, -1, -1, -1};
    ASSERT_EQ(s.Size(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(s[i], expected[i]) << "sample " << i;
}

TEST(FastHadamard, EqualsDirectCircularCrossCorrelation) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (int order = 8; order <= 12; ++order) {
        YDoubleVec s;
        ASSERT_TRUE(MakeMls(s, order, 0));
        const int L = s.Size();
        YDoubleVec x(L);
        for (double& v : x) v = uniform(random);
        YDoubleVec fast = x;
        YFastHadamard h;
        ASSERT_TRUE(h.Init(s, order));
        ASSERT_TRUE(h.Correlate(fast));
        double worst = 0.0;
        for (int k = 0; k < L; ++k) {
            double direct = 0.0;
            for (int j = 0; j < L; ++j) direct += x.Data()[j] * s.Data()[(j - k + L) % L];
            worst = std::max(worst, std::abs(fast.Data()[k] - 4.0 / L * direct));
        }
        EXPECT_LT(worst, 1e-12) << "order " << order;
    }
}

TEST(FastHadamard, RefusesWhatItCannotCorrelate) {
    YFastHadamard h;
    YDoubleVec data(100);
    EXPECT_FALSE(h.Correlate(data));  // not prepared
    YDoubleVec notMls(255);
    notMls.Fill(1.0);
    EXPECT_FALSE(h.Init(notMls, 8));
    YDoubleVec s;
    ASSERT_TRUE(MakeMls(s, 8, 0));
    EXPECT_FALSE(h.Init(s, 9));  // too short for the order
    ASSERT_TRUE(h.Init(s, 8));
    YDoubleVec shortData(254);
    EXPECT_FALSE(h.Correlate(shortData));
}

// A module at 48 kHz, one output channel in and out (two in with `two`).
template <class Module>
Module Prepared(int order, bool two) {
    Module m;
    EXPECT_TRUE(m.SetFormat(48000.0, two ? 2 : 1, 2, 16, 1, 1.0, 1.0));
    m.SetStereo(two);
    WaveformParams p;
    EXPECT_TRUE(m.GetParams(p));
    p[0].intValue = order;
    EXPECT_TRUE(m.SetParams(p));
    EXPECT_TRUE(m.Generate());
    return m;
}

TEST(WhiteMls, RecoversASparseImpulseResponseAtItsLags) {
    YWhiteMLS m = Prepared<YWhiteMLS>(14, false);
    const Taps device = {{0, 1.0}, {17, -0.5}, {230, 0.25}, {1000, 0.125}};
    Recording rec = Simulate(*m.GetSamples(), device, 4);
    ResponseList out;
    ASSERT_TRUE(m.Analyze(rec.View(false), out, 3, kAnalyzeSkipFirst));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].tag, ResponseEntry::kImpulse);
    const YDoubleVec& r = out[0].data;
    ASSERT_EQ(r.Size(), (1 << 13) - 1);
    // The start detector leaves a few samples before the onset: the direct
    // sound is the largest sample.
    int lead = 0;
    for (int i = 0; i < r.Size(); ++i)
        if (std::abs(r[i]) > std::abs(r[lead])) lead = i;
    EXPECT_GE(lead, 4);
    EXPECT_LT(lead, 16);
    const double unit = 4.0 * std::pow(10.0, -14.4015 / 20.0);
    for (const auto& [d, g] : device) EXPECT_NEAR(r[lead + d], unit * g, 1e-3) << "lag " << d;
    double elsewhere = 0.0;
    for (int i = 0; i < r.Size(); ++i) {
        bool tap = false;
        for (const auto& [d, g] : device) tap |= i == lead + d;
        if (!tap) elsewhere = std::max(elsewhere, std::abs(r[i]));
    }
    EXPECT_LT(elsewhere, 1e-3);
}

TEST(MlsModules, ParametersAndIdentity) {
    struct Case {
        std::unique_ptr<YMlsBase> module;
        int id;
        const char* name;
        bool syncByDefault;
    };
    Case cases[] = {{std::make_unique<YWhiteMLS>(), 2001, "White MLS", false},
                    {std::make_unique<YPinkMLS>(), 2002, "Pink MLS", true},
                    {std::make_unique<YShelvedMLS>(), 2006, "Shelved MLS", true}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        YMlsBase& m = *c.module;
        EXPECT_EQ(m.GetId(), c.id);
        EXPECT_EQ(m.GetName(), c.name);
        EXPECT_EQ(m.GetCategory(), 2000);
        EXPECT_EQ(m.GetSyncPulse(), c.syncByDefault);
        WaveformParams p;
        EXPECT_FALSE(m.GetParams(p));  // no format yet
        EXPECT_FALSE(m.Generate());
        ASSERT_TRUE(m.SetFormat(44100.0, 1, 1, 16, 1, 1.0, 1.0));
        ASSERT_TRUE(m.GetParams(p));
        ASSERT_EQ(p.size(), 1u);
        EXPECT_EQ(p[0].name, "MLS length");
        EXPECT_EQ(p[0].role, 22);
        EXPECT_FALSE(p[0].isReal);
        EXPECT_EQ(p[0].intValue, 15);
        EXPECT_EQ(p[0].intMax, 22);
        EXPECT_EQ(p[0].intMin, 8);
        // Out-of-range orders are clamped, stored, and reported.
        p[0].intValue = 30;
        EXPECT_FALSE(m.SetParams(p));
        EXPECT_EQ(m.Order(), 22);
        p[0].intValue = 9;
        p[0].intMax = 100;  // a stored file cannot widen the limits
        EXPECT_TRUE(m.SetParams(p));
        EXPECT_EQ(p[0].intMax, 22);
        WaveformParams two(2);
        EXPECT_FALSE(m.SetParams(two));
        EXPECT_EQ(two.size(), 1u);  // rewritten with the current values
        EXPECT_EQ(two[0].intValue, 9);
        WaveformParams analysis(3);
        EXPECT_TRUE(m.GetAnalysisParams(analysis));
        EXPECT_TRUE(analysis.empty());
        EXPECT_TRUE(m.Generate());
        EXPECT_FALSE(m.GetSyncPulse());
        EXPECT_EQ(m.GetFrameCount(), 511);
        EXPECT_EQ(m.GetPcmBytes(), 1022);
    }
}

TEST(MlsModules, AnalysisUsesThePlayedOrder) {
    YWhiteMLS m = Prepared<YWhiteMLS>(12, false);
    Recording rec = Simulate(*m.GetSamples(), {{0, 1.0}}, 3);
    WaveformParams p;
    ASSERT_TRUE(m.GetParams(p));
    p[0].intValue = 16;  // changed after the stimulus was played
    ASSERT_TRUE(m.SetParams(p));
    ResponseList out;
    ASSERT_TRUE(m.Analyze(rec.View(false), out, 2, kAnalyzeSkipFirst));
    EXPECT_EQ(out[0].data.Size(), (1 << 11) - 1);
    EXPECT_EQ(m.CachedOrder(), 12);
}

TEST(MlsModules, ModeOneGivesBothChannelsUnscaled) {
    YPinkMLS m = Prepared<YPinkMLS>(12, true);
    m.SetMode(1);
    m.SetLevelDb(-20.0, 0.0);
    Recording rec = Simulate(*m.GetSamples(), {{0, 0.5}}, 3);
    ResponseList out;
    ASSERT_TRUE(m.Analyze(rec.View(true), out, 2, kAnalyzeSkipFirst));
    ASSERT_EQ(out.size(), 2u);
    // The raw correlations: the measured one is half the reference one.
    int peak = 0;
    for (int i = 0; i < out[1].data.Size(); ++i)
        if (std::abs(out[1].data[i]) > std::abs(out[1].data[peak])) peak = i;
    for (int i = 0; i < out[0].data.Size(); ++i)
        ASSERT_NEAR(out[0].data[i], 0.5 * out[1].data[i], 1e-6) << "lag " << i;
    // Unscaled: the peak of the played period's own correlation, whatever
    // the level set.
    YDoubleVec direct = *m.GetSamples();
    YFastHadamard h;
    YDoubleVec s;
    ASSERT_TRUE(MakeMls(s, 12, 0));
    ASSERT_TRUE(h.Init(s, 12));
    ASSERT_TRUE(h.Correlate(direct));
    EXPECT_NEAR(std::abs(out[1].data[peak]), direct.Max(), 1e-3);
}

TEST(MlsModules, TooShortARecordingIsReported) {
    YWhiteMLS m = Prepared<YWhiteMLS>(12, false);
    sonbex::platform::RecordingPrompt prompt;
    m.SetPrompt(&prompt);
    Recording rec = Simulate(*m.GetSamples(), {{0, 1.0}}, 2);
    ResponseList out;
    EXPECT_FALSE(m.Analyze(rec.View(false), out, 2, kAnalyzeSkipFirst));
    EXPECT_TRUE(out.empty());
    const auto prompts = prompt.Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, YWaveformBase::kNotEnoughData);
    EXPECT_EQ(prompts[0].caption, "Sonbex 3");
    EXPECT_EQ(prompts[0].icon, sonbex::platform::PromptIcon::Error);
    // Without a reference channel a two-channel analysis cannot run.
    m.SetMode(1);
    EXPECT_FALSE(m.Analyze(rec.View(false), out, 1, 0));
}

TEST(WhiteMls, ResultIsTheSpectrumOfTheLastResponse) {
    YWhiteMLS m = Prepared<YWhiteMLS>(10, false);
    YComplexVec spectrum;
    EXPECT_FALSE(m.GetResult(&spectrum));
    Recording rec = Simulate(*m.GetSamples(), {{0, 1.0}}, 3);
    ResponseList out;
    ASSERT_TRUE(m.Analyze(rec.View(false), out, 2, kAnalyzeSkipFirst));
    EXPECT_FALSE(m.GetResult(nullptr));
    ASSERT_TRUE(m.GetResult(&spectrum));
    ASSERT_EQ(spectrum.Size(), 1024);
    // An impulse of height 4 a few samples in (and -4/L elsewhere, which
    // only shows near 0 Hz): magnitude 4 away from 0 Hz.
    for (int bin : {100, 300, 511}) EXPECT_NEAR(Abs(spectrum[bin]), 4.0, 0.01) << "bin " << bin;
}

}  // namespace
