// The level test on the simulated card: the sequence's order, "Auto" finding
// the playback level, its ceiling and its failure.

#include "Sonbex/Measurement/YLevelTest.h"

#include "Platform/RecordingPrompt.h"
#include "YWave/Sim/YSimCard.h"
#include "YWave/Sim/YSimDevices.h"
#include "YWave/Sim/YSimMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using sonbex::platform::PromptAnswer;

namespace {

struct Rig {
    Rig() {
        char name[] = "/tmp/leveltest-XXXXXX";
        dir = mkdtemp(name);
        mixer.Attach(card);
        level = std::make_unique<YMixer>(std::vector<IMixerBackend*>{&mixer}, &card,
                                         YMixer::Folders{dir / "Mixer", dir / "Calibration"});
        YMixerHardware hw;
        hw.inputDevice = hw.outputDevice = 1;
        level->SetHardware(hw);
        YMixerSettings s;
        s.inputLocked = false;
        level->SetSettings(s);
        level->SelectLines();
    }
    ~Rig() {
        level.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Runs the test until it ends (bounded).
    YLevelTest::Outcome Run(YLevelTest& test) {
        if (!test.Start()) return test.Result();
        for (int i = 0; i < 200000 && test.Result() == YLevelTest::Outcome::Running; ++i) loop.RunUntilIdle();
        return test.Result();
    }
    double LoopbackLevel() {
        double a = 0, b = 0;
        level->GetPeaks(a, b);
        return std::max(a, b);
    }

    YSimCard card;
    YSimMixer mixer;
    fs::path dir;
    std::unique_ptr<YMixer> level;
    sonbex::platform::MessageLoop loop;
    sonbex::platform::RecordingPrompt prompt;
};

YLevelTestSetup SimSetup(double rate = 44100) {
    YLevelTestSetup s;
    s.inputDevice = s.outputDevice = 0;
    s.sampleRate = rate;
    return s;
}

}  // namespace

TEST(LevelTest, SequenceOrderFollowsTheSampleRate) {
    struct Case {
        double rate;
        int order;
    } cases[] = {{8000, 12}, {22050, 13}, {44100, 14}, {48000, 14}, {96000, 15}, {192000, 16}, {1000, 10}};
    for (const Case& c : cases) EXPECT_EQ(YLevelTest::MlsOrder(c.rate), c.order) << c.rate;
}

TEST(LevelTest, AutoConvergesOnTheSimulatedCard) {
    Rig rig;
    YLevelTest test(*rig.level, rig.loop, rig.card, SimSetup(), YLevelTest::kAuto, rig.prompt);
    EXPECT_EQ(test.Order(), 14);
    EXPECT_EQ(rig.Run(test), YLevelTest::Outcome::Set);
    EXPECT_TRUE(rig.prompt.Prompts().empty());
    // Wave up to its 30th step (0.9), then the master: a gain of 0.9 x 3k /
    // 100 must bring the 0.9 full-scale sequence to a peak-to-peak of 1.
    EXPECT_EQ(test.WaveStep(), 30);
    EXPECT_EQ(test.MasterStep(), 21);
    EXPECT_EQ(rig.mixer.Volume("Master")[0], 63u);
    EXPECT_GE(rig.LoopbackLevel(), 0.0);
    EXPECT_LT(rig.LoopbackLevel(), 3.01);
    EXPECT_NEAR(rig.LoopbackLevel(), 20 * std::log10(2 * 0.9 * 0.9 * 0.63), 0.01);
    EXPECT_TRUE(fs::exists(rig.level->PresetPath(0)));  // the level is kept
}

TEST(LevelTest, AutoAsksBeforeRisingAboveTheCeiling) {
    for (PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        Rig rig;
        YLevelTestSetup s = SimSetup(48000);
        s.ceilingVolts = 0.5;
        YLevelTest test(*rig.level, rig.loop, rig.card, s, YLevelTest::kAuto, rig.prompt);
        rig.prompt.Script(answer);
        const YLevelTest::Outcome outcome = rig.Run(test);
        ASSERT_EQ(rig.prompt.Prompts().size(), 1u);
        EXPECT_NE(rig.prompt.Prompts()[0].text.find("above 0.5 V"), std::string::npos);
        if (answer == PromptAnswer::No) {
            EXPECT_EQ(outcome, YLevelTest::Outcome::Declined);
            EXPECT_LE(rig.level->GetOutputVoltage(), 0.5);
        } else {
            EXPECT_EQ(outcome, YLevelTest::Outcome::Set);
            EXPECT_GT(rig.level->GetOutputVoltage(), 0.5);
        }
    }
}

TEST(LevelTest, AutoGivesUpWithoutALoopBack) {
    Rig rig;
    rig.card.Config().loopback = false;
    rig.card.Config().deviceUnderTest = [](double) { return std::make_unique<YSimGainDelay>(0.0, 0); };
    YLevelTest test(*rig.level, rig.loop, rig.card, SimSetup(), YLevelTest::kAuto, rig.prompt);
    rig.prompt.Script(PromptAnswer::Ok);
    EXPECT_EQ(rig.Run(test), YLevelTest::Outcome::Failed);
    EXPECT_EQ(test.WaveStep(), 30);
    EXPECT_EQ(test.MasterStep(), 30);
    ASSERT_EQ(rig.prompt.Prompts().size(), 1u);
    EXPECT_EQ(rig.prompt.Prompts()[0].text, kLevelTestFailed);
}

TEST(LevelTest, PlayShowsTheLevelsUntilStoppedAndStartFailuresAreTold) {
    Rig rig;
    int levels = 0;
    rig.level->SetListener([&](std::uint32_t m) {
        if (m != kMixerLevels) return;
        ++levels;
        rig.loop.Quit();  // the meters have a level
    });
    rig.level->SetOutputVoltage(1.0, false);
    YLevelTest test(*rig.level, rig.loop, rig.card, SimSetup(), YLevelTest::kPlay, rig.prompt);
    ASSERT_TRUE(test.Start());
    rig.loop.Run();
    EXPECT_EQ(test.Result(), YLevelTest::Outcome::Running);
    EXPECT_GT(levels, 0);
    EXPECT_NEAR(rig.LoopbackLevel(), 20 * std::log10(2 * 0.9 * 0.5), 0.01);  // nothing adjusted
    test.End();
    EXPECT_EQ(test.Result(), YLevelTest::Outcome::Stopped);

    rig.card.Config().failStart = true;
    YLevelTest failing(*rig.level, rig.loop, rig.card, SimSetup(), YLevelTest::kPlay, rig.prompt);
    rig.prompt.Script(PromptAnswer::Ok);
    EXPECT_FALSE(failing.Start());
    EXPECT_EQ(failing.Result(), YLevelTest::Outcome::CantStart);
    ASSERT_EQ(rig.prompt.Prompts().size(), 1u);
    EXPECT_EQ(rig.prompt.Prompts()[0].text, kLevelTestCantStart);
}
