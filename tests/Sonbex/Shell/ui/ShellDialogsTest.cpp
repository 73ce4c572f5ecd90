#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Sonbex/Shell/ui/AppearanceDialog.h"
#include "Sonbex/Shell/ui/GlobalSettingsDialog.h"
#include "Sonbex/Shell/ui/TipsDialog.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace sonbex::shell {
namespace {

using platform::PromptAnswer;

class ShellDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { test::GuiApp(); }
    void TearDown() override {
        EXPECT_TRUE(prompt_.Unexpected().empty()) << "unexpected prompt";
        EXPECT_TRUE(chooser_.Unexpected().empty()) << "unexpected chooser";
    }
    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
};

// What the dialog did to the frame, in order.
struct HostLog {
    std::vector<std::string> calls;
    GlobalSettingsHost Host() {
        return {[this](bool on) { calls.push_back(on ? "time on" : "time off"); },
                [this](bool on) { calls.push_back(on ? "flat on" : "flat off"); },
                [this](const std::string& p) { calls.push_back("background '" + p + "'"); },
                [this] { calls.push_back("help"); }};
    }
};

std::vector<BackgroundChoice> Backgrounds() {
    return {{"Blue", "/share/Background/Blue.bmp"}, {"Sonbex2", "/share/Background/Sonbex2.bmp"}};
}

TEST_F(ShellDialogsTest, GlobalSettingsAppliesAtOnceAndCancelRestores) {
    GlobalConfig config = DefaultGlobalConfig({"/share/Background/Sonbex2.bmp", ""});
    const GlobalConfig opened = config;
    HostLog log;
    GlobalSettingsDialog dialog(config, Backgrounds(), chooser_, prompt_, log.Host());
    ASSERT_TRUE(dialog.Create(false));
    auto* background = dialog.findChild<QComboBox*>("background");
    ASSERT_NE(background, nullptr);
    ASSERT_EQ(background->count(), 3);
    EXPECT_EQ(background->itemText(0), " <Windows>");
    EXPECT_EQ(background->itemText(2), " Sonbex2");
    EXPECT_EQ(background->currentIndex(), 2);
    EXPECT_EQ(ywin::ItemText(&dialog, kIdTemperature), "20.0");
    EXPECT_NE(ywin::FindItem(&dialog, kIdTempDir), nullptr);
    EXPECT_NE(ywin::FindItem(&dialog, kIdBrowseTempDir), nullptr);

    dialog.findChild<QCheckBox*>("showTime")->setChecked(false);
    dialog.findChild<QCheckBox*>("flatButtons")->setChecked(false);
    background->setCurrentIndex(0);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"time off", "flat off", "background ''"}))
        << "applied at once";
    EXPECT_EQ(config.backgroundPath, "");

    chooser_.Script("/scratch/sonbex");
    ywin::FindItemAs<QPushButton>(&dialog, kIdBrowseTempDir)->click();
    ASSERT_EQ(chooser_.Requests().size(), 1u);
    EXPECT_EQ(chooser_.Requests()[0].title, "Locate a temporary directory");
    EXPECT_EQ(chooser_.Requests()[0].kind, platform::ChooserKind::Folder);
    EXPECT_EQ(ywin::ItemText(&dialog, kIdTempDir), "/scratch/sonbex");

    log.calls.clear();
    dialog.reject();
    EXPECT_EQ(config, opened) << "flags, paths and layout as when the dialog opened";
    EXPECT_EQ(log.calls,
              (std::vector<std::string>{"time on", "flat on", "background '/share/Background/Sonbex2.bmp'"}));
}

TEST_F(ShellDialogsTest, GlobalSettingsOkStoresTemperatureAndRefusesImplausibleOnes) {
    GlobalConfig config = DefaultGlobalConfig();
    HostLog log;
    GlobalSettingsDialog dialog(config, Backgrounds(), chooser_, prompt_, log.Host());
    ASSERT_TRUE(dialog.Create(false));
    for (const char* typed : {"-273,15", "abc", "1e3", ""}) {
        prompt_.Script(PromptAnswer::Ok);
        ywin::SetItemText(&dialog, kIdTemperature, typed);
        dialog.accept();
        EXPECT_TRUE(dialog.IsOpen()) << "'" << typed << "' refused, dialog stays open";
        EXPECT_EQ(config.temperature, 20.0) << typed;
    }
    ASSERT_EQ(prompt_.Prompts().size(), 4u);
    EXPECT_EQ(prompt_.Prompts()[0].text, kTemperatureRangeMessage);

    ywin::SetItemText(&dialog, kIdTemperature, "-20,0");
    ywin::SetItemText(&dialog, kIdTempDir, " /scratch ");
    dialog.findChild<QCheckBox*>("time24Hour")->setChecked(true);
    dialog.accept();
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(config.temperature, -20.0);
    EXPECT_EQ(config.speedOfSound, 319.0);
    EXPECT_EQ(config.tempDir, "/scratch");
    EXPECT_TRUE(config.Has(kTime24Hour));
}

std::vector<ColorPage> TwoPages() {
    return {{{{"Magnitude", 0x0000FF, 0x0000FF}, {"Phase", 0x00FF00, 0x00FF00}}},
            {{{"Magnitude", 0x111111, 0x222222}}}};
}

TEST_F(ShellDialogsTest, AppearanceEditsColoursAtOnceAndRestoresAfterAsking) {
    std::vector<ColorPage> pages = TwoPages();
    GlobalConfig config = DefaultGlobalConfig();
    ywin::ScriptedColorChooser colors;
    int repaints = 0;
    AppearanceDialog dialog(pages, config, colors, prompt_, [&] { ++repaints; });
    ASSERT_TRUE(dialog.Create(false));
    EXPECT_FALSE(dialog.findChild<QPushButton*>("curveColor2")->isVisibleTo(&dialog))
        << "beyond the page's items";
    EXPECT_TRUE(dialog.findChild<QPushButton*>("curveColor1")->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.findChild<ywin::YIntSpinButton*>("curveNo")->isVisibleTo(&dialog)) << "two pages";

    colors.Script(0xABCDEF);
    dialog.findChild<QPushButton*>("curveColor1")->click();
    EXPECT_EQ(pages[0].items[1].color, 0xABCDEFu);
    EXPECT_EQ(colors.Requests(), (std::vector<ywin::YColor>{0x00FF00}));

    dialog.findChild<ywin::YIntSpinButton*>("curveNo")->SetValue(2);
    EXPECT_EQ(dialog.CurrentPage(), 1);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("curveColor1")->isVisibleTo(&dialog));

    colors.Script(std::nullopt);  // cancelled: nothing changes
    dialog.findChild<QPushButton*>("windowColor3")->click();
    EXPECT_EQ(config.colors.grid, 0x808080u);
    colors.Script(0x00FFFF);
    dialog.findChild<QPushButton*>("windowColor3")->click();
    EXPECT_EQ(config.colors.grid, 0x00FFFFu);
    dialog.findChild<QComboBox*>("font")->setCurrentIndex(1);
    EXPECT_EQ(config.fontFace, kFontTimes);
    dialog.findChild<QCheckBox*>("solidGrid")->setChecked(true);
    EXPECT_TRUE(config.solidGrid);
    EXPECT_EQ(repaints, 4) << "every change repaints";

    prompt_.Script(PromptAnswer::No);
    dialog.findChild<QPushButton*>("restoreCurves")->click();
    EXPECT_EQ(pages[1].items[0].color, 0x111111u) << "answered No";
    prompt_.Script(PromptAnswer::Yes);
    dialog.findChild<QPushButton*>("restoreCurves")->click();
    EXPECT_EQ(pages[0].items[1].color, 0x00FF00u);
    EXPECT_EQ(pages[1].items[0].color, 0x222222u) << "every page";
    prompt_.Script(PromptAnswer::Yes);
    dialog.findChild<QPushButton*>("restoreWindow")->click();
    EXPECT_EQ(config.colors, WindowColors{});
    EXPECT_EQ(config.fontFace, kFontArial);
    EXPECT_FALSE(config.solidGrid);
    ASSERT_EQ(prompt_.Prompts().size(), 3u);
    EXPECT_EQ(prompt_.Prompts()[0].text, kRestoreCurveColorsQuestion);
    EXPECT_EQ(prompt_.Prompts()[2].text, kRestoreWindowColorsQuestion);
    EXPECT_EQ(colors.Unexpected(), 0);
    dialog.findChild<QPushButton*>("close")->click();
    EXPECT_FALSE(dialog.IsOpen());
}

TEST_F(ShellDialogsTest, AppearanceWithOnePageHidesTheCurveNumber) {
    std::vector<ColorPage> pages = {TwoPages()[0]};
    GlobalConfig config = DefaultGlobalConfig();
    ywin::ScriptedColorChooser colors;
    AppearanceDialog dialog(pages, config, colors, prompt_, {});
    ASSERT_TRUE(dialog.Create(false));
    EXPECT_FALSE(dialog.findChild<ywin::YIntSpinButton*>("curveNo")->isVisibleTo(&dialog));
    dialog.End(0);
}

TEST_F(ShellDialogsTest, TipsShowTheStoredTipAndAdvance) {
    GlobalConfig config = DefaultGlobalConfig();
    config.nextTip = 5;  // reduced modulo three tips
    TipsDialog dialog({"one", "two", "three"}, config);
    ASSERT_TRUE(dialog.Open(false));
    EXPECT_EQ(dialog.CurrentTip(), "three");
    EXPECT_EQ(config.nextTip, 0);
    QFont font = dialog.findChild<QLabel*>("tip")->font();
    EXPECT_EQ(font.pointSize(), 20);
    EXPECT_TRUE(font.bold());
    dialog.ShowNextTip();
    EXPECT_EQ(dialog.CurrentTip(), "one");
    EXPECT_EQ(config.nextTip, 1);
    dialog.findChild<QCheckBox*>("showTips")->setChecked(false);
    dialog.End(0);
    EXPECT_FALSE(config.Has(kShowTips));

    GlobalConfig other = DefaultGlobalConfig();
    TipsDialog empty({}, other);
    EXPECT_FALSE(empty.Open(false)) << "no tips: no dialog";
    EXPECT_FALSE(empty.isVisible());
}

}  // namespace
}  // namespace sonbex::shell
