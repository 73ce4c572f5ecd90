#include "YLib/IProcess.h"
#include "YLib/YBiquad.h"
#include "YLib/YDelay.h"
#include "YLib/YGain.h"
#include "YLib/YPhaseRev.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace {

const std::vector<double> kRamp{1, 2, 3, 4, 5, 6, 7, 8};

std::vector<double> RunSamples(IProcess& block, const std::vector<double>& in) {
    std::vector<double> out;
    for (const double x : in) out.push_back(block.Process(x));
    return out;
}

}  // namespace

TEST(YGain, ScalesAndPhaseRevInverts) {
    YGain gain;
    EXPECT_EQ(gain.Process(3.0), 3.0);
    gain.gain = std::pow(10.0, -6.0 / 20.0);
    EXPECT_DOUBLE_EQ(gain.Process(2.0), 2.0 * 0.50118723362727224);

    YPhaseRev rev;
    EXPECT_EQ(rev.Process(3.0), 3.0);
    rev.invert = true;
    EXPECT_EQ(rev.Process(3.0), -3.0);
    std::vector<double> out(kRamp.size());
    rev.ProcessBlock(kRamp, out);
    EXPECT_EQ(out, (std::vector<double>{-1, -2, -3, -4, -5, -6, -7, -8}));
}

TEST(YDelay, DelaysByTheRoundedNumberOfSamples) {
    struct Case {
        const char* name;
        double samples;  // delay times the rate
        bool result;
        int length;
        std::vector<double> output;  // of kRamp
    };
    const double fs = 48000.0;
    const Case cases[] = {
        {"0.4 samples is no delay", 0.4, false, 0, kRamp},
        {"0 samples is no delay", 0.0, false, 0, kRamp},
        {"negative delay refused", -3.0, false, 0, kRamp},
        {"one sample", 1.0, true, 1, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"2.6 samples rounds to 3", 2.6, true, 3, {0, 0, 0, 1, 2, 3, 4, 5}},
        {"as long as the input", 8.0, true, 8, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"one beyond the maximum refused", YDelay::kMaxLength + 1.0, false, 0, kRamp},
        {"far beyond the maximum refused", 1e12, false, 0, kRamp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        YDelay delay;
        EXPECT_EQ(delay.Setup(c.samples / fs, fs), c.result);
        EXPECT_EQ(delay.Length(), c.length);
        EXPECT_DOUBLE_EQ(delay.Delay(), c.length / fs);
        EXPECT_EQ(RunSamples(delay, kRamp), c.output);
        // The block form continues the same line; after Reset it starts over.
        delay.Reset();
        std::vector<double> out(kRamp.size());
        EXPECT_EQ(delay.ProcessBlock(kRamp, out), kRamp.size());
        EXPECT_EQ(out, c.output);
    }
}

TEST(YDelay, UnusableSettingsPassSamplesThrough) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double settings[][2] = {{nan, 48000}, {0.01, nan}, {inf, 48000}, {0.01, 0}, {0.01, -48000}};
    for (const auto& s : settings) {
        SCOPED_TRACE(std::to_string(s[0]) + " s at " + std::to_string(s[1]) + " Hz");
        YDelay delay;
        ASSERT_TRUE(delay.Setup(2.0 / 48000, 48000));
        delay.Process(9.0);
        EXPECT_FALSE(delay.Setup(s[0], s[1]));
        EXPECT_EQ(delay.Length(), 0);
        EXPECT_EQ(delay.SampleRate(), 0.0);
        EXPECT_EQ(RunSamples(delay, kRamp), kRamp);
    }
    YDelay never;
    EXPECT_EQ(RunSamples(never, kRamp), kRamp);
}

TEST(YDelay, RepeatedSetupReplacesTheLine) {
    YDelay delay;
    ASSERT_TRUE(delay.Setup(4.0 / 1000, 1000));
    RunSamples(delay, kRamp);
    ASSERT_TRUE(delay.Setup(2.0 / 1000, 1000));
    EXPECT_EQ(RunSamples(delay, {1, 2, 3}), (std::vector<double>{0, 0, 1}));
}

// A chain run block by block, in place, gives what the per-sample calls
// give: the blocks keep their state across block boundaries.
TEST(IProcess, ChainByBlocksMatchesChainBySamples) {
    auto makeChain = [] {
        std::vector<std::unique_ptr<IProcess>> chain;
        auto gain = std::make_unique<YGain>();
        gain->gain = 0.5;
        chain.push_back(std::move(gain));
        auto rev = std::make_unique<YPhaseRev>();
        rev->invert = true;
        chain.push_back(std::move(rev));
        auto delay = std::make_unique<YDelay>();
        delay->Setup(5.0 / 48000, 48000);
        chain.push_back(std::move(delay));
        auto eq = std::make_unique<YBiquad>();
        eq->Setup(YBiquad::kPeaking, 48000, 1000, -4, 2, false);
        chain.push_back(std::move(eq));
        return chain;
    };
    std::vector<double> input(300);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = std::sin(0.05 * static_cast<double>(i)) + (i == 7 ? 1.0 : 0.0);

    auto bySample = makeChain();
    std::vector<double> expected;
    for (double x : input) {
        for (auto& block : bySample) x = block->Process(x);
        expected.push_back(x);
    }

    auto byBlock = makeChain();
    std::vector<double> data = input;
    for (std::size_t first = 0; first < data.size(); first += 64) {
        const std::span<double> block =
            std::span(data).subspan(first, std::min<std::size_t>(64, data.size() - first));
        for (auto& b : byBlock) b->ProcessBlock(block, block);
    }
    EXPECT_EQ(data, expected);
}
