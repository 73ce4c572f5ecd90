// The curve documents in the desktop program: opened by the frame, saved
// again, and the information and selection dialogs.

#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Sonbex/Curves/ui/CurveDocumentWindow.h"
#include "Sonbex/Curves/ui/FreqCurveListDialog.h"
#include "Sonbex/Curves/ui/GraphInfoDialog.h"
#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/ui/SonbexApp.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace sonbex::curves {
namespace {

namespace fs = std::filesystem;
using platform::PromptAnswer;

std::string Data(const std::string& name) { return std::string(SONBEX_TEST_DATA) + "/Curves/" + name; }

class CurvesUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        home_ = fs::temp_directory_path() / ("sonbex-curvesui-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_);
    }
    void TearDown() override {
        if (app_) {
            app_->BeginShutdown();
            app_.reset();
        }
        EXPECT_TRUE(prompt_.Unexpected().empty()) << "unexpected prompt";
        EXPECT_TRUE(chooser_.Unexpected().empty()) << "unexpected chooser";
        fs::remove_all(home_);
    }
    shell::SonbexApp& MakeApp() {
        shell::SonbexAppOptions o;
        o.settingsFile = home_ / "settings.json";
        o.presenter = &prompt_;
        o.modalDialogs = false;
        o.paths =
            platform::Paths({home_.string(), (home_ / "config").string(), (home_ / "data").string(), ""});
        app_ = std::make_unique<shell::SonbexApp>(std::move(o));
        app_->SetFileChooser(&chooser_);
        RegisterCurveDocuments(*app_);
        return *app_;
    }
    CurveDocumentWindow::Services Services() {
        CurveDocumentWindow::Services s;
        s.prompt = &prompt_;
        s.chooser = &chooser_;
        s.modalDialogs = false;
        return s;
    }

    fs::path home_;
    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
    std::unique_ptr<shell::SonbexApp> app_;
};

TEST_F(CurvesUiTest, TheFrameOpensEveryNativeKindIntoADocument) {
    shell::SonbexApp& app = MakeApp();
    struct Case {
        const char* file;
        int kind;
    } cases[] = {
        {"tiny_v3.sxf", shell::kind::kFrequencyGraph}, {"imp_loaded.sxz", shell::kind::kImpedanceGraph},
        {"impulse.sxp", shell::kind::kImpulseGraph},   {"polar.spp", shell::kind::kPolarPlot},
        {"csd_f0.csd", shell::kind::kCsdGraph},        {"multi.smg", shell::kind::kMultiGraph}};
    for (const Case& c : cases) {
        ASSERT_EQ(app.OpenFile(Data(c.file), false), shell::SonbexApp::OpenResult::Opened) << c.file;
        auto* doc = dynamic_cast<CurveDocumentWindow*>(app.TopDocument(c.kind));
        ASSERT_NE(doc, nullptr) << c.file;
        EXPECT_EQ(doc->Document().FilePath(), Data(c.file));
        EXPECT_FALSE(doc->IsModified());
    }
    auto* freq = dynamic_cast<CurveDocumentWindow*>(app.TopDocument(shell::kind::kFrequencyGraph));
    EXPECT_EQ(freq->Title(), "Woofer");
    EXPECT_EQ(freq->Document().frequency.Size(), 2u);
    // A file that does not load leaves no window behind.
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_EQ(app.OpenFile(Data("make_curve_fixtures.py.sxp"), false), shell::SonbexApp::OpenResult::Failed);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text,
              std::string(kCouldntOpen) + "\n" + Data("make_curve_fixtures.py.sxp") + ": not found");
}

TEST_F(CurvesUiTest, SaveWritesTheFileAgainAndUndoReachesTheSets) {
    shell::SonbexApp& app = MakeApp();
    const fs::path copy = home_ / "copy.sxf";
    fs::copy_file(Data("tiny_v2.sxf"), copy);
    ASSERT_EQ(app.OpenFile(copy.string(), false), shell::SonbexApp::OpenResult::Opened);
    auto* doc = dynamic_cast<CurveDocumentWindow*>(app.TopDocument(shell::kind::kFrequencyGraph));
    ASSERT_NE(doc, nullptr);
    doc->Document().frequency[0].AddLevel(2.0);
    app.UpdateMenus();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(doc->CanUndo());
    EXPECT_TRUE(app.ExecuteCommand(shell::cmd::kUndo));
    EXPECT_FALSE(doc->IsModified());
    doc->Document().frequency[0].AddLevel(2.0);
    app.UpdateMenus();
    EXPECT_TRUE(app.ExecuteCommand(shell::cmd::kSave));
    EXPECT_FALSE(doc->IsModified());
    CurveDocument back(CurveFileType::Sxf);
    ASSERT_TRUE(back.Load(copy, false, prompt_));
    EXPECT_TRUE(back.LoadedCurrentVersion());  // written as the current version
    EXPECT_FLOAT_EQ(back.frequency[0].FindCurve(CurveKind::Magnitude, true)->values[0], 82.0f);
}

TEST_F(CurvesUiTest, ClosingWithUnsavedChangesAsks) {
    CurveDocumentWindow window(CurveFileType::Sxp, Services());
    ASSERT_TRUE(window.LoadFile(Data("impulse.sxp"), false));
    window.Document().SetModified(true);
    prompt_.Script(PromptAnswer::Cancel);
    EXPECT_FALSE(window.QueryClose());
    prompt_.Script(PromptAnswer::No);
    EXPECT_TRUE(window.QueryClose());
    EXPECT_EQ(prompt_.Prompts().at(0).text, kSaveChangesQuestion);
}

TEST_F(CurvesUiTest, GraphInfoShowsTheHeaderAndStoresTheTitle) {
    CurveDocumentWindow window(CurveFileType::Sxf, Services());
    ASSERT_TRUE(window.LoadFile(Data("tiny_v3.sxf"), false));
    YFreqGraphCurve& set = window.Document().frequency[0];
    set.Header().settings.SetStimulusId(1003);  // a known module
    window.ShowGraphInfo();
    auto* dialog = dynamic_cast<GraphInfoDialog*>(window.OpenDialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Graph Information");
    EXPECT_EQ(dialog->findChild<QLabel*>("date")->text(), "Mar 7 2024  02:05.09 pm");
    EXPECT_EQ(dialog->findChild<QLabel*>("stimulus")->text(), "Log Sine Sweep");
    EXPECT_EQ(dialog->findChild<QLabel*>("analysis")->text(), "Frequency Response");
    EXPECT_EQ(dialog->findChild<QLabel*>("settings")->text(), "48000 Hz, 24 bits");
    auto* title = dialog->findChild<QLineEdit*>("title");
    EXPECT_EQ(title->text(), "Woofer");
    EXPECT_EQ(title->maxLength(), 255);
    title->setText(QString::fromUtf8("Woofer \u00bd m"));
    dialog->End(QDialog::Accepted);
    EXPECT_EQ(set.Title(), "Woofer \xBD m");  // stored as Windows-1252
    EXPECT_TRUE(window.IsModified());
}

TEST_F(CurvesUiTest, SelectionDialogsListTheSets) {
    CurveDocumentWindow window(CurveFileType::Sxf, Services());
    ASSERT_TRUE(window.LoadFile(Data("tiny_v3.sxf"), false));
    FreqCurveList& list = window.Document().frequency;
    list[1].AddLevel(1.0);  // not saved any more
    FreqCurveListDialog visible(list, FreqCurveListDialog::Purpose::Visible);
    ASSERT_TRUE(visible.Create(false));
    EXPECT_EQ(visible.windowTitle(), "Select visible curve(s)");
    ASSERT_EQ(visible.List()->count(), 2);
    EXPECT_EQ(visible.List()->item(0)->text(), " 1:\tWoofer ");
    EXPECT_EQ(visible.List()->item(1)->text(), " 2:\tTweeter*");
    EXPECT_TRUE(visible.List()->item(1)->isSelected());
    visible.List()->item(1)->setSelected(false);
    visible.End(QDialog::Accepted);
    EXPECT_TRUE(list[0].Visible());
    EXPECT_FALSE(list[1].Visible());

    // Save As with several sets asks which ones go into the file.
    window.SaveDocument(true);
    auto* saver = dynamic_cast<FreqCurveListDialog*>(window.OpenDialog());
    ASSERT_NE(saver, nullptr);
    EXPECT_EQ(saver->windowTitle(), "Save selected curve(s)");
    saver->List()->item(1)->setSelected(true);
    saver->End(QDialog::Accepted);
    EXPECT_EQ(saver->Picked(), std::vector<std::size_t>{1});
    const fs::path out = home_ / "tweeter.sxf";
    ASSERT_TRUE(window.Document().Save(out, prompt_, nullptr, saver->Picked()));
    CurveDocument back(CurveFileType::Sxf);
    ASSERT_TRUE(back.Load(out, false, prompt_));
    ASSERT_EQ(back.frequency.Size(), 1u);
    EXPECT_EQ(back.frequency[0].Title(), "Tweeter");
}

}  // namespace
}  // namespace sonbex::curves
