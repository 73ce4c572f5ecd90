#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/ui/AppearanceDialog.h"
#include "Sonbex/Shell/ui/GlobalSettingsDialog.h"
#include "Sonbex/Shell/ui/TipsDialog.h"
#include "Sonbex/Shell/ui/ToolbarIcons.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <gtest/gtest.h>

#include <set>

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

TEST_F(ShellDialogsTest, TheTipFitsItsBoxAndNeverSplitsACommandOrOption) {
    const std::string longTip = "Every batch job has a headless verb: run sonbex3-cli --help for the list.";
    const std::string veryLong =
        "A logarithmic sweep rejects harmonic distortion from the impulse response; an MLS is faster but "
        "sensitive to distortion and time variance, so run sonbex3-cli stimulus --help and compare both "
        "with the simulated sound card before the real measurement of the loudspeaker-under-test.";
    GlobalConfig config = DefaultGlobalConfig();
    TipsDialog dialog({"one", longTip, veryLong}, config);
    ASSERT_TRUE(dialog.Open(false));
    auto* label = dialog.findChild<QLabel*>("tip");
    for (QSize size : {QSize(440, 240), QSize(520, 300), QSize(900, 420)}) {
        dialog.resize(size);
        for (int i = 0; i < 3; ++i) {
            dialog.ShowNextTip();
            const QString tip = dialog.CurrentTip();
            const QStringList lines = dialog.ShownLines();
            EXPECT_EQ(lines.join(' '), tip) << "only blanks become line breaks";
            for (const QString& line : lines) {
                EXPECT_FALSE(line.startsWith("cli") || line.startsWith("-help")) << line.toStdString();
                EXPECT_FALSE(line.endsWith("sonbex3-") || line.endsWith("-")) << line.toStdString();
            }
            const QFont font = dialog.TipFont();
            EXPECT_TRUE(font.bold());
            EXPECT_LE(font.pointSize(), 20);
            EXPECT_GE(font.pointSize(), 8);
            const QFontMetrics metrics(font);
            const int width = label->contentsRect().width() - 2 * label->margin();
            const int height = label->contentsRect().height() - 2 * label->margin();
            for (const QString& line : lines)
                EXPECT_LE(metrics.horizontalAdvance(line), width) << size.width();
            EXPECT_LE(lines.size() * metrics.lineSpacing(), height)
                << tip.toStdString() << " at " << size.width();
            if (tip == "one") {
                EXPECT_EQ(font.pointSize(), 20) << "a short tip in the full size";
            }
        }
    }
    // The same tip in a smaller box gets a smaller font.
    dialog.resize(900, 420);
    while (dialog.CurrentTip().toStdString() != veryLong) dialog.ShowNextTip();
    const int large = dialog.TipFont().pointSize();
    dialog.resize(440, 240);
    EXPECT_LT(dialog.TipFont().pointSize(), large);
    dialog.End(0);
}

TEST_F(ShellDialogsTest, TemperatureFieldTakesNumbersOnlyInDegreesCelsius) {
    GlobalConfig config = DefaultGlobalConfig();
    HostLog log;
    GlobalSettingsDialog dialog(config, Backgrounds(), chooser_, prompt_, log.Host());
    auto* field = qobject_cast<QLineEdit*>(ywin::FindItem(&dialog, kIdTemperature));
    ASSERT_NE(field, nullptr);
    ASSERT_NE(field->validator(), nullptr);
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {{"20", true},  {"-20,5", true}, {"+35.25", true}, {"", true},       {"abc", false},
                 {"2a", false}, {"1e3", false},  {"20 C", false},  {"1.2.3", false}, {"12345", false}};
    for (const auto& k : cases) {
        QString text = QString::fromLatin1(k.typed);
        int pos = int(text.size());
        EXPECT_EQ(field->validator()->validate(text, pos) != QValidator::Invalid, k.accepted) << k.typed;
    }
    bool labelled = false;
    for (QLabel* l : dialog.findChildren<QLabel*>())
        labelled = labelled || l->text() == "Ambient temperature (°C)";
    EXPECT_TRUE(labelled);
    EXPECT_TRUE(QString::fromUtf8(kTemperatureRangeMessage).contains("°C"));
}

TEST_F(ShellDialogsTest, EveryToolbarCommandHasItsOwnFullSizeIcon) {
    std::vector<QImage> seen;
    for (int id : ToolbarCommands()) {
        if (id == 0) continue;
        const QString resource = ToolbarIconResource(id);
        ASSERT_TRUE(QFile::exists(resource)) << id;
        const QIcon icon = ToolbarIcon(id, false);
        ASSERT_FALSE(icon.isNull()) << id;
        for (int side : {16, 24, 32})
            for (qreal ratio : {1.0, 2.0}) {
                const QImage image =
                    icon.pixmap(QSize(side, side), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
                ASSERT_EQ(image.width(), int(side * ratio)) << id << " HiDPI drawn at its own size";
                // The drawing fills the square one way at least (no half-size glyph).
                int left = image.width(), right = -1, top = image.height(), bottom = -1;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        if (qAlpha(image.pixel(x, y)) > 64) {
                            left = std::min(left, x), right = std::max(right, x);
                            top = std::min(top, y), bottom = std::max(bottom, y);
                        }
                const int wide = right - left + 1, high = bottom - top + 1;
                EXPECT_GE(std::max(wide, high), image.width() * 7 / 10) << id << " at " << side;
                EXPECT_GE(std::min(wide, high), image.width() * 9 / 20) << id << " at " << side;
            }
        const QImage normal = icon.pixmap(24).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage disabled =
            icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_NE(normal, disabled) << id;
        for (const QImage& other : seen)
            EXPECT_NE(normal, other) << id << " looks like another command's icon";
        seen.push_back(normal);
    }
    EXPECT_EQ(seen.size(), 13u);
    EXPECT_TRUE(ToolbarIconResource(cmd::kAbout).isEmpty());
}

}  // namespace
}  // namespace sonbex::shell
