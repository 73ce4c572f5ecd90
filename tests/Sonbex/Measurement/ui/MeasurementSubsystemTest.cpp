#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Measurement/ui/MeasSettingsIds.h"
#include "Sonbex/Measurement/ui/MeasurementSubsystem.h"
#include "Sonbex/Measurement/ui/PresetsDialog.h"
#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/GlobalConfig.h"
#include "Sonbex/Shell/HelpService.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QAction>
#include <QPushButton>

#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>

namespace sonbex::measurement {
namespace {
namespace fs = std::filesystem;
using platform::PromptAnswer;

class MeasurementInFrame : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        home_ = fs::temp_directory_path() / ("sonbex-meas-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_);
        // A settings file to run: a sweep stopping at 12 kHz.
        YWaveformModules modules{YWaveformModules::Options{}};
        modules.Init(44100.0, 2, 2, 16, 1, 1.0, 1.0);
        MeasSettings s({nullptr, &modules, nullptr});
        s.Edit().SetF64(off::kStop, 12000.0);
        ASSERT_TRUE(s.SaveFile(home_ / "woofer.mst"));
        std::ofstream(home_ / "SXPRESET.CFG") << "[Preset 01]\nTitle=Woofer\nFilename=woofer.mst\n";
    }
    void TearDown() override {
        subsystem_.reset();
        if (app_) {
            app_->BeginShutdown();
            app_.reset();
        }
        EXPECT_TRUE(prompt_.Unexpected().empty())
            << "unexpected prompt: " << (prompt_.Unexpected().empty() ? "" : prompt_.Unexpected()[0].text);
        EXPECT_TRUE(chooser_.Unexpected().empty()) << "unexpected chooser";
        fs::remove_all(home_);
    }
    shell::SonbexApp& Start() {
        shell::SonbexAppOptions o;
        o.settingsFile = home_ / "settings.json";
        o.presenter = &prompt_;
        o.help = &help_;
        o.modalDialogs = false;
        o.paths =
            platform::Paths({home_.string(), (home_ / "config").string(), (home_ / "data").string(), ""});
        {
            platform::SettingsStore store(prompt_);
            store.Open(o.settingsFile);
            shell::GlobalConfig config;
            config.flags = shell::kToolbarVisible | shell::kStatusBarVisible;
            shell::SaveGlobalConfig(store, config);
        }
        app_ = std::make_unique<shell::SonbexApp>(std::move(o));
        app_->SetFileChooser(&chooser_);
        MeasurementSubsystemOptions m;
        m.modalDialogs = false;
        m.modulesConfig = "-";
        m.presetsFile = home_ / "SXPRESET.CFG";
        m.withAlsa = false;
        subsystem_ = std::make_unique<MeasurementSubsystem>(*app_, m);
        // The sheet a preset's "Edit" runs: accepted with a longer stop at once.
        subsystem_->SetPresetSheetRunner([this](MeasurementSettings& sheet) {
            ++sheetsRun_;
            sheet.Create(false);
            ywin::SetItemText(&sheet, ids::kStopValue, "15000");
            sheet.accept();
        });
        app_->Start();
        return *app_;
    }

    fs::path home_;
    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
    shell::RecordingHelp help_;
    std::unique_ptr<shell::SonbexApp> app_;
    std::unique_ptr<MeasurementSubsystem> subsystem_;
    int sheetsRun_ = 0;
};

TEST_F(MeasurementInFrame, CommandsWorkOnceTheSubsystemIsThere) {
    shell::SonbexApp& app = Start();
    for (int id : {shell::cmd::kMeasurementSettings, shell::cmd::kSaveSettings, shell::cmd::kEditPresets,
                   shell::cmd::kFirstPreset, shell::cmd::kOpen})
        EXPECT_TRUE(app.IsEnabled(id)) << id;
    EXPECT_FALSE(app.IsEnabled(shell::cmd::kFirstPreset + 1)) << "an empty slot";
    EXPECT_EQ(app.MenuAction(shell::cmd::kFirstPreset)->text(), "Woofer\t#1");
    EXPECT_EQ(app.MenuAction(shell::cmd::kFirstPreset + 1)->text(), "Undefined Preset\t#2");

    ASSERT_TRUE(app.ExecuteCommand(shell::cmd::kMeasurementSettings));
    ASSERT_NE(subsystem_->Sheet(), nullptr);
    EXPECT_TRUE(subsystem_->Sheet()->IsOpen());
    subsystem_->Sheet()->reject();

    // The preset loads its file (no measurement to start yet).
    ASSERT_TRUE(app.ExecuteCommand(shell::cmd::kFirstPreset));
    EXPECT_EQ(subsystem_->Settings().Config().StopFrequency(), 12000.0);

    // Save, then open through the frame as any file.
    chooser_.Script(home_ / "saved.mst");
    ASSERT_TRUE(app.ExecuteCommand(shell::cmd::kSaveSettings));
    ASSERT_EQ(chooser_.Requests().size(), 1u);
    EXPECT_EQ(chooser_.Requests()[0].title, kSaveSettingsTitle);
    EXPECT_TRUE(fs::exists(home_ / "saved.mst"));
    subsystem_->Settings().Edit().SetF64(off::kStop, 5000.0);
    EXPECT_EQ(app.OpenFile((home_ / "saved.mst").string(), false), shell::SonbexApp::OpenResult::Opened);
    EXPECT_EQ(subsystem_->Settings().Config().StopFrequency(), 12000.0);

    std::ofstream(home_ / "broken.mst") << "@[SXMSTv0023]$ too short";
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_EQ(app.OpenFile((home_ / "broken.mst").string(), false), shell::SonbexApp::OpenResult::Failed);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text.rfind(kSettingsOpenFailed, 0), 0u);
    EXPECT_EQ(subsystem_->Settings().Config().StopFrequency(), 12000.0);

    // Unsaved changes: asked before a preset runs.
    subsystem_->Settings().MarkChanged();
    prompt_.Script(PromptAnswer::Yes);
    subsystem_->Settings().Edit().SetF64(off::kStop, 7000.0);
    ASSERT_TRUE(app.ExecuteCommand(shell::cmd::kFirstPreset));
    EXPECT_EQ(subsystem_->Settings().Config().StopFrequency(), 7000.0) << "Yes: saved first, nothing loaded";
}

TEST_F(MeasurementInFrame, ExitSavesTheRecordAndThePresets) {
    shell::SonbexApp& app = Start();
    subsystem_->Settings().Edit().SetF64(off::kSampleRate, 48000.0);
    subsystem_->Settings().MarkChanged();
    ASSERT_TRUE(app.close());
    subsystem_.reset();
    app_.reset();  // releases the settings file
    platform::SettingsStore store(prompt_);
    ASSERT_TRUE(store.Open(home_ / "settings.json"));
    std::vector<std::uint8_t> image;
    ASSERT_TRUE(store.GetBinary(platform::kSettingsRoot, kMeasConfigValue, image));
    MeasConfig c = MeasConfig::Zeroed();
    ASSERT_TRUE(MeasConfig::FromBytes(image, c));
    EXPECT_EQ(c.SampleRate(), 48000.0);
    EXPECT_FALSE(c.IsChanged());
    std::ifstream in(home_ / "SXPRESET.CFG", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Filename=" + (home_ / "woofer.mst").string() + "\r\n"), std::string::npos)
        << "written back absolute";
}

TEST_F(MeasurementInFrame, PresetsDialogEditsACopyOfTheSlots) {
    shell::SonbexApp& app = Start();
    ASSERT_TRUE(app.ExecuteCommand(shell::cmd::kEditPresets));
    PresetsDialog* dialog = subsystem_->PresetsEditor();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ywin::ItemText(dialog, ids::kPresetTitle), "Woofer");
    EXPECT_TRUE(ywin::FindItem(dialog, ids::kPresetEdit)->isEnabled());
    ywin::SetItemText(dialog, ids::kPresetTitle, "Woofer near field");
    ywin::FindItemAs<ywin::YIntSpinButton>(dialog, ids::kPresetNumber)->SetValue(2);
    EXPECT_EQ(dialog->Shown(), 1);
    EXPECT_FALSE(ywin::FindItem(dialog, ids::kPresetEdit)->isEnabled()) << "no file in slot 2";
    chooser_.Script(home_ / "woofer.mst");
    ywin::FindItemAs<QPushButton>(dialog, ids::kPresetBrowse)->click();
    EXPECT_EQ(chooser_.Requests().back().title, kOpenPresetTitle);
    ywin::SetItemText(dialog, ids::kPresetTitle, "Second");
    EXPECT_EQ(subsystem_->Presets().Title(0), "Woofer") << "a copy until OK";

    // Edit: the slot's file in the sheet, written back; the settings in force stay.
    subsystem_->Settings().Edit().SetF64(off::kStop, 9000.0);
    dialog->EditSlot();
    EXPECT_EQ(sheetsRun_, 1);
    EXPECT_EQ(subsystem_->Settings().Config().StopFrequency(), 9000.0);
    {
        YWaveformModules modules{YWaveformModules::Options{}};
        modules.Init(44100.0, 2, 2, 16, 1, 1.0, 1.0);
        MeasSettings written({nullptr, &modules, nullptr});
        ASSERT_TRUE(written.OpenFile(home_ / "woofer.mst"));
        EXPECT_EQ(written.Config().StopFrequency(), 15000.0) << "the sheet's result written back";
    }
    fs::remove(home_ / "woofer.mst");
    prompt_.Script(PromptAnswer::Ok);
    dialog->EditSlot();
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text, kPresetOpenFailed);

    dialog->accept();
    EXPECT_EQ(subsystem_->Presets().Title(0), "Woofer near field");
    EXPECT_EQ(subsystem_->Presets().Title(1), "Second");
    EXPECT_EQ(app.MenuAction(shell::cmd::kFirstPreset + 1)->text(), "Second\t#2");
    EXPECT_TRUE(app.IsEnabled(shell::cmd::kFirstPreset + 1));
}

}  // namespace
}  // namespace sonbex::measurement
