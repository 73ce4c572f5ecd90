// Command 611 on the frame: the "Level's" window opens over the simulated
// card's mixer, and the mixers are put back as they were at exit.

#include "../../YWin/GuiTestApp.h"

#include "App/LevelControl.h"
#include "Platform/RecordingPrompt.h"
#include "Sonbex/Shell/CommandTable.h"

#include <QSlider>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace sonbex;

TEST(LevelControl, Command611OpensTheLevelsWindowAndExitRestoresTheMixers) {
    test::GuiApp();
    char name[] = "/tmp/levelcontrol-XXXXXX";
    const fs::path home = mkdtemp(name);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    platform::RecordingPrompt prompt;
    shell::RecordingHelp help;
    shell::SonbexAppOptions o;
    o.settingsFile = home / "settings.json";
    o.presenter = &prompt;
    o.help = &help;
    o.modalDialogs = false;
    o.paths = platform::Paths({home.string(), (home / "config").string(), (home / "data").string(), ""});
    auto app = std::make_unique<shell::SonbexApp>(std::move(o));
    {
        LevelControl levels(*app);
        EXPECT_TRUE(app->IsAvailable(shell::cmd::kLevels));
        app->Start();
        ASSERT_TRUE(app->ExecuteCommand(shell::cmd::kLevels));
        ASSERT_NE(levels.Window(), nullptr);
        EXPECT_TRUE(levels.Window()->IsOpen());
        // Pick the simulated card's mixer and turn its master down.
        const std::vector<YMixerInfo> mixers = levels.Mixer().Mixers();
        int sim = -1;
        for (std::size_t i = 0; i < mixers.size(); ++i)
            if (mixers[i].id == "sim") sim = static_cast<int>(i);
        ASSERT_GE(sim, 0);
        YMixerHardware hw = levels.Mixer().Hardware();
        hw.inputMixer = hw.outputMixer = sim;
        levels.Mixer().SetHardware(hw);
        levels.Mixer().SelectLines();
        ASSERT_TRUE(levels.Mixer().SetVolume(YMixerRole::MasterOut, 20, 20));
        // Opened again: the same window, raised.
        ASSERT_TRUE(app->ExecuteCommand(shell::cmd::kLevels));
        EXPECT_NE(levels.Window()->findChild<QSlider*>("id1097"), nullptr);

        EXPECT_TRUE(app->close());
        EXPECT_EQ(levels.SimulatedMixer().Volume("Master"), (std::array<std::uint32_t, 2>{100, 100}))
            << "the start-up state is back";
        EXPECT_FALSE(levels.Window()->IsOpen());
    }
    app.reset();
    EXPECT_TRUE(prompt.Unexpected().empty());
    std::error_code ec;
    fs::remove_all(home, ec);
}
