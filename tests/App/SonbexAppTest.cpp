#include "../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Platform/WorkerThread.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Shell/CommandLine.h"
#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/ui/AboutDialog.h"
#include "Sonbex/Shell/ui/GlobalSettingsDialog.h"
#include "Sonbex/Shell/ui/HelpWindow.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "Sonbex/Shell/ui/SplashScreen.h"
#include "Sonbex/Shell/ui/TipsDialog.h"
#include "SonbexVersion.h"
#include "YWin/IGraphWnd.h"
#include "YWin/YDialogItems.h"
#include "YWin/YGraphics.h"
#include "YWin/YStdWnd.h"
#include "YWin/YToolBar.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>
#include <atomic>
#include <fstream>
#include <thread>

namespace sonbex::shell {
namespace {
namespace fs = std::filesystem;

using platform::PromptAnswer;

struct Curve : IResultData {
    explicit Curve(double v) : value(v) {}
    double value;
};

// A document of any kind: records what the frame asked of it.
class TestDoc : public ywin::YStdWnd, public ywin::IGraphWnd, public IShellDocument {
public:
    explicit TestDoc(int kind, bool loads = true) : kind_(kind), loads_(loads) {}
    int KindId() const override { return kind_; }
    bool LoadFile(const std::string& path, bool append) override {
        loads.push_back((append ? "+" : "") + path);
        return loads_;
    }
    void OnFrameCommand(int id, ForwardedMessage message) override { commands.push_back({id, message}); }
    bool TakeResult(const ResultDelivery& d, RouteAction action) override {
        results.push_back({d.title, action});
        return true;
    }
    void Draw(ywin::YGraphics& g, const ywin::YRect& area, unsigned) override {
        g.FillRect(area, 0x0000FF);  // red
    }
    ywin::YRect GetRect() const override { return {0, 0, 160, 90}; }
    std::string KindName() const override { return "Frequency Curve"; }
    std::string Title() const override { return "test"; }
    void OnCopied() override { ++copied; }
    bool CanSave() const override { return true; }
    bool IsModified() const override { return !results.empty(); }

    std::vector<std::string> loads;
    std::vector<std::pair<int, ForwardedMessage>> commands;
    std::vector<std::pair<std::string, RouteAction>> results;
    int copied = 0;

private:
    int kind_;
    bool loads_;
};

// A window without the graph interface.
class PlainDoc : public ywin::YStdWnd {};

// A simulated measurement on a worker thread: asked to stop, it finishes its
// analysis, hands the result to the sink and then reports that it ended.
class FakeMeasurement : public IBackgroundWork {
public:
    FakeMeasurement(SonbexApp& app, bool stops = true) : app_(app), stops_(stops) {
        worker_.Start();
        running_ = true;
        app_.SetMeasuring(true);
        flags_ = app_.SettingsSnapshot().flags;
    }
    ~FakeMeasurement() override { worker_.Stop(); }
    bool IsMeasurement() const override { return true; }
    bool IsRunning() const override { return running_; }
    void RequestStop() override {
        ++stopRequests;
        if (!stops_) return;
        worker_.Loop().PostTask([this] {
            delivered = app_.ResultSink().Deliver(
                {ResultKind::FrequencyResponse, "last run", std::make_shared<Curve>(1.5), flags_});
            app_.Bridge().Post([this] {
                running_ = false;
                app_.SetMeasuring(false);
            });
        });
    }
    std::atomic<bool> delivered{false};
    int stopRequests = 0;

private:
    SonbexApp& app_;
    bool stops_;
    std::uint32_t flags_;
    std::atomic<bool> running_{false};
    platform::WorkerThread worker_{"fake-meas"};
};

class SonbexAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        home_ = fs::temp_directory_path() / ("sonbex-app-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_ / "data" / "sonbex3");
        fs::create_directories(home_ / "work" / "curves");
    }
    void TearDown() override {
        if (app_) {
            app_->BeginShutdown();
            app_.reset();
        }
        EXPECT_TRUE(prompt_.Unexpected().empty())
            << "unexpected prompt: " << (prompt_.Unexpected().empty() ? "" : prompt_.Unexpected()[0].text);
        EXPECT_TRUE(chooser_.Unexpected().empty()) << "unexpected chooser";
        fs::remove_all(home_);
    }

    // A frame on its own settings file; `flags` replace the stored global flags.
    // `ownHelp`: the program's own help window instead of the recording service.
    SonbexApp& MakeApp(std::uint32_t flags = kToolbarVisible | kStatusBarVisible, int stopWaitMs = 5000,
                       bool ownHelp = false) {
        SonbexAppOptions o;
        o.settingsFile = home_ / "settings.json";
        o.presenter = &prompt_;
        o.help = ownHelp ? nullptr : &help_;
        o.modalDialogs = false;
        o.stopWaitMs = stopWaitMs;
        o.paths =
            platform::Paths({home_.string(), (home_ / "config").string(), (home_ / "data").string(), ""});
        {
            platform::SettingsStore store(prompt_);
            store.Open(o.settingsFile);
            GlobalConfig config;
            config.flags = flags;
            SaveGlobalConfig(store, config);
        }
        app_ = std::make_unique<SonbexApp>(std::move(o));
        app_->SetFileChooser(&chooser_);
        return *app_;
    }
    TestDoc* Doc(int kind) { return dynamic_cast<TestDoc*>(app_->TopDocument(kind)); }
    void RegisterKind(int kind, bool loads = true) {
        app_->RegisterDocumentKind(kind, [kind, loads] { return new TestDoc(kind, loads); });
    }
    fs::path Touch(const fs::path& p) {
        std::ofstream(p) << "x";
        return p;
    }

    fs::path home_;
    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
    RecordingHelp help_;
    std::unique_ptr<SonbexApp> app_;
};

TEST_F(SonbexAppTest, MenusShowTheCommandTableAndNothingPretendsToWork) {
    SonbexApp& app = MakeApp();
    app.Start();
    for (int id : MenuCommandIds()) {
        const CommandInfo* c = FindCommand(id);
        QAction* a = app.MenuAction(id);
        ASSERT_NE(a, nullptr) << id;
        EXPECT_EQ(a->text().toStdString(), c->menuText) << id;
        EXPECT_EQ(a->statusTip().toStdString(), CommandStatusTip(*c, app.CurrentState())) << id;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(c->shortcut.data(), int(c->shortcut.size()))))
            << id;
    }
    // Nothing but the frame's own commands is there yet.
    for (int id : {cmd::kStartMeasurement, cmd::kImport, cmd::kNewBoxDesign, cmd::kPrint,
                   cmd::kSpeakerDatabase, cmd::kLPad, cmd::kAddCurves, cmd::kShowLimitsResult, cmd::kOpen}) {
        EXPECT_FALSE(app.MenuAction(id)->isEnabled()) << id;
        EXPECT_FALSE(app.ExecuteCommand(id)) << id;
    }
    for (int id : {cmd::kAbout, cmd::kGlobalSettings, cmd::kHelpContents, cmd::kToggleToolbar, cmd::kExit})
        EXPECT_TRUE(app.MenuAction(id)->isEnabled()) << id;
    EXPECT_FALSE(app.ToolBar().Button(cmd::kStartMeasurement)->isEnabled());
    EXPECT_TRUE(app.ToolBar().Button(cmd::kHelpContents)->isEnabled());
    EXPECT_EQ(app.windowTitle(), "Sonbex Analyzer 3 Std");
}

TEST_F(SonbexAppTest, EnableRulesWhileASimulatedMeasurementRuns) {
    SonbexApp& app = MakeApp(kToolbarVisible | kSmallMeasurementWindow);
    app.Start();
    int started = 0;
    for (int id : {cmd::kStartMeasurement, cmd::kStopMeasurement, cmd::kMeasurementSettings, cmd::kLcrMeter,
                   cmd::kFirstPreset, cmd::kLevels})
        app.SetCommandHandler(id, [&started] { ++started; });
    app.SetPresetFilled(0, true, "Woofer near field");
    EXPECT_EQ(app.MenuAction(cmd::kFirstPreset)->text(), "Woofer near field\t#1");
    struct Case {
        int id;
        bool idle, measuring;
    };
    const Case cases[] = {
        {cmd::kStartMeasurement, true, false},    {cmd::kStopMeasurement, false, true},
        {cmd::kMeasurementSettings, true, false}, {cmd::kLcrMeter, true, false},
        {cmd::kFirstPreset, true, false},         {cmd::kSmallMeasurementWindow, true, false},
        {cmd::kCyclicMeasurement, true, false},   {cmd::kLevels, true, true}};
    for (bool measuring : {false, true}) {
        app.SetMeasuring(measuring);
        for (const Case& c : cases) {
            const bool want = measuring ? c.measuring : c.idle;
            EXPECT_EQ(app.MenuAction(c.id)->isEnabled(), want)
                << c.id << (measuring ? " measuring" : " idle");
            if (QAction* b = app.ToolBar().Button(c.id)) {
                EXPECT_EQ(b->isEnabled(), want) << "toolbar " << c.id;
            }
        }
    }
    EXPECT_FALSE(app.ExecuteCommand(cmd::kStartMeasurement));
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(app.ExecuteCommand(cmd::kStopMeasurement));
    EXPECT_EQ(started, 1);
}

TEST_F(SonbexAppTest, RoutingSwitchesToggleThroughTheMenuWithTheirInterlocks) {
    SonbexApp& app = MakeApp(kToolbarVisible | kOpenImpulseWindow | kAppendFrequencyCurve);
    app.Start();
    EXPECT_FALSE(app.MenuAction(cmd::kCyclicMeasurement)->isEnabled()) << "needs the small window";
    EXPECT_FALSE(app.ExecuteCommand(cmd::kCyclicMeasurement));
    app.MenuAction(cmd::kSmallMeasurementWindow)->trigger();
    EXPECT_TRUE(app.MenuAction(cmd::kSmallMeasurementWindow)->isChecked());
    app.MenuAction(cmd::kCyclicMeasurement)->trigger();
    EXPECT_EQ(app.Config().flags & 0x3F80u,
              kSmallMeasurementWindow | kReplaceFrequencyCurve | kCyclicMeasurement);
    EXPECT_TRUE(app.MenuAction(cmd::kReplaceFrequency)->isChecked());
    EXPECT_FALSE(app.MenuAction(cmd::kAppendFrequency)->isChecked());
    EXPECT_FALSE(app.MenuAction(cmd::kOpenImpulseWindow)->isChecked());
    EXPECT_FALSE(app.MenuAction(cmd::kReplaceImpulse)->isEnabled()) << "impulse window is off";
}

TEST_F(SonbexAppTest, LimitsResultWindowFollowsItsSwitch) {
    SonbexApp& app = MakeApp();
    app.Start();
    EXPECT_FALSE(app.IsEnabled(cmd::kShowLimitsResult)) << "no limits window kind yet";
    RegisterKind(kind::kLimitsResult);
    EXPECT_TRUE(app.ExecuteCommand(cmd::kShowLimitsResult));
    EXPECT_TRUE(app.Config().Has(kShowLimitsResult));
    ASSERT_NE(app.TopDocument(kind::kLimitsResult), nullptr);
    EXPECT_TRUE(app.MenuAction(cmd::kShowLimitsResult)->isChecked());
    EXPECT_TRUE(app.ExecuteCommand(cmd::kShowLimitsResult));
    EXPECT_FALSE(app.Config().Has(kShowLimitsResult));
    test::ServeUntil([&] { return app.TopDocument(kind::kLimitsResult) == nullptr; }, 2000);
    EXPECT_EQ(app.TopDocument(kind::kLimitsResult), nullptr);
}

TEST_F(SonbexAppTest, OpeningFilesByExtension) {
    SonbexApp& app = MakeApp();
    app.Start();
    RegisterKind(kind::kFrequencyGraph);
    RegisterKind(kind::kImpulseGraph, false);  // every load fails
    std::vector<std::string> imported;
    app.SetImporter([&](const std::string& p) {
        imported.push_back(p);
        return true;
    });
    using R = SonbexApp::OpenResult;
    const fs::path dir = home_ / "work" / "curves";
    const std::string a = Touch(dir / "a.SXF").string(), b = Touch(dir / "b.sxf").string(),
                      c = Touch(dir / "c.sxf").string(), z = Touch(dir / "z.sxz").string(),
                      p = Touch(dir / "p.sxp").string(), notes = Touch(dir / "notes.txt").string();

    EXPECT_EQ(app.OpenFile(a, false), R::Opened);
    TestDoc* first = Doc(kind::kFrequencyGraph);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->loads, (std::vector<std::string>{a}));
    EXPECT_EQ(app.OpenFile(b, false), R::Opened) << "append off: a window of its own";
    EXPECT_EQ(app.Children().size(), 2u);

    app.Config().Set(kAppendFrequencyCurve, true);
    TestDoc* active = Doc(kind::kFrequencyGraph);
    EXPECT_EQ(app.OpenFile(c, true), R::Opened);
    EXPECT_EQ(app.Children().size(), 2u) << "appended to the active frequency graph";
    EXPECT_EQ(active->loads.back(), "+" + c);

    // A kind claims it but no window can be made: told, never imported, not recent.
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_EQ(app.OpenFile(z, true), R::Failed);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text, std::string(kCouldntCreateWindow) + "\n" + z +
                                             ": available once impedance graph windows are built");
    prompt_.Clear();
    // Loading fails: the new window closes again (the document told the user).
    EXPECT_EQ(app.OpenFile(p, true), R::Failed);
    EXPECT_EQ(app.TopDocument(kind::kImpulseGraph), nullptr);

    // Unclaimed: silent for the command line, a warning from the Open dialog.
    EXPECT_EQ(app.OpenFile(notes, true), R::NotClaimed);
    EXPECT_TRUE(prompt_.Prompts().empty());
    chooser_.Script(notes);
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_TRUE(app.ExecuteCommand(cmd::kOpen));
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text,
              "Found no valid class for this filetype ! \n" + notes + ": not a file this program knows");
    EXPECT_EQ(chooser_.Requests()[0].filter, kNativeOpenFilter);
    EXPECT_TRUE(imported.empty());

    const std::vector<std::string> recent = app.RecentFiles().Files();
    EXPECT_EQ(recent, (std::vector<std::string>{c, b, a})) << "only what opened";
}

// A document whose reader finds the file damaged and leaves the message to the frame.
class DamagedDoc : public TestDoc {
public:
    DamagedDoc() : TestDoc(kind::kFrequencyGraph, false) {}
    std::optional<LoadFailure> LastLoadFailure() const override {
        return LoadFailure{"Couldn't open this file !", DamagedAt(1184, "record count 1073741824")};
    }
};

TEST_F(SonbexAppTest, OpeningFailuresNameTheFileAndItsOwnReason) {
    SonbexApp& app = MakeApp();
    app.Start();
    app.RegisterDocumentKind(kind::kFrequencyGraph, [] { return new DamagedDoc; });
    const fs::path dir = home_ / "work" / "curves";
    const fs::path missing = dir / "missing.sxf";
    const fs::path folder = dir / "folder.sxf";
    fs::create_directories(folder);
    // Unreadable whoever runs the test (root reads any file): a link to a
    // file whose first byte cannot be read.
    const fs::path unreadable = dir / "unreadable.sxf";
    fs::create_symlink("/proc/self/mem", unreadable);
    const fs::path damaged = Touch(dir / "damaged.sxf");
    const fs::path text = dir / "gone.txt";

    const struct {
        fs::path file;
        std::string message;  // the first line, as the program always said it
        std::string reason;
    } cases[] = {
        {missing, "Couldn't open this file !", "not found"},
        {folder, "Couldn't open this file !", "not a file (a folder)"},
        {unreadable, "Couldn't open this file !", "not readable (Input/output error)"},
        {damaged, "Couldn't open this file !", "damaged at byte 1184 (record count 1073741824)"},
        {text, "Failed to import the file ! ", "not found"},
    };
    for (const auto& k : cases) {
        prompt_.Clear();
        prompt_.Script(PromptAnswer::Ok);
        app.OpenFiles({k.file});  // as from the command line
        ASSERT_EQ(prompt_.Prompts().size(), 1u) << k.file;
        const platform::PromptRequest shown = prompt_.Prompts()[0];
        EXPECT_EQ(shown.text, k.message + "\n" + k.file.string() + ": " + k.reason);
        EXPECT_EQ(shown.caption, "Sonbex 3");
    }
    EXPECT_TRUE(app.Children().empty()) << "no window is left of a file that did not open";
    EXPECT_TRUE(app.RecentFiles().Files().empty());

    // Readable, but what would import it is not built yet.
    prompt_.Clear();
    prompt_.Script(PromptAnswer::Ok);
    const fs::path notes = Touch(dir / "notes.txt");
    app.OpenFiles({notes});
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text,
              "Failed to import the file ! \n" + notes.string() + ": available once the importer is built");
}

TEST_F(SonbexAppTest, MeasurementSettingsAreNotChangedWhileMeasuring) {
    SonbexApp& app = MakeApp();
    app.Start();
    std::vector<std::string> loaded;
    app.SetSettingsFileLoader([&](const std::string& p) {
        loaded.push_back(p);
        return true;
    });
    int imports = 0;
    app.SetImporter([&](const std::string&) { return ++imports, true; });
    const std::string setup = Touch(home_ / "work" / "setup.MST").string();
    app.SetMeasuring(true);
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_EQ(app.OpenFile(setup, true), SonbexApp::OpenResult::Failed);
    EXPECT_EQ(prompt_.Prompts().back().text, kSettingsLocked);
    EXPECT_FALSE(app.IsEnabled(cmd::kImport));
    prompt_.Script(PromptAnswer::Ok);
    app.OpenFiles({Touch(home_ / "work" / "foreign.txt")});  // import refused too
    EXPECT_EQ(imports, 0);
    EXPECT_TRUE(loaded.empty());
    app.SetMeasuring(false);
    EXPECT_EQ(app.OpenFile(setup, true), SonbexApp::OpenResult::Opened);
    EXPECT_EQ(loaded, (std::vector<std::string>{setup}));
}

TEST_F(SonbexAppTest, CommandLineFilesWithRelativePathsOpenAfterTheDirectoryChanged) {
    Touch(home_ / "work" / "curves" / "woofer.sxf");
    Touch(home_ / "work" / "notes.txt");
    const fs::path start = fs::current_path();
    const CommandLine line = ParseCommandLine({"curves/woofer.sxf", "notes.txt"}, home_ / "work");
    fs::current_path("/");  // e.g. a file chooser or the recent-file list changed it
    SonbexApp& app = MakeApp();
    RegisterKind(kind::kFrequencyGraph);
    std::vector<std::string> imported;
    std::vector<std::string> steps;
    app.AddStartupStep(SonbexApp::StartupStage::FrameShown,
                       [&] { steps.push_back(app.isVisible() ? "shown" : "hidden"); });
    app.AddStartupStep(SonbexApp::StartupStage::SettingsLoaded,
                       [&] { steps.push_back(app.isVisible() ? "shown" : "hidden"); });
    app.SetImporter([&](const std::string& p) {
        steps.push_back("import");
        imported.push_back(p);
        return true;
    });
    app.Start(line.files);
    fs::current_path(start);
    EXPECT_EQ(steps, (std::vector<std::string>{"hidden", "shown", "import"})) << "the start-up order";
    TestDoc* doc = Doc(kind::kFrequencyGraph);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->loads.size(), 1u);
    EXPECT_EQ(fs::path(doc->loads[0]), home_ / "work" / "curves" / "woofer.sxf");
    EXPECT_TRUE(fs::exists(doc->loads[0]));
    EXPECT_EQ(imported, (std::vector<std::string>{(home_ / "work" / "notes.txt").string()}))
        << "imported silently";
}

TEST_F(SonbexAppTest, DroppedFilesAreOpened) {
    SonbexApp& app = MakeApp();
    app.Start();
    RegisterKind(kind::kFrequencyGraph);
    QMimeData mime;
    const QString dropped = QString::fromStdString(Touch(home_ / "work" / "drop.sxf").string());
    mime.setUrls({QUrl::fromLocalFile(dropped), QUrl("http://example.org/x.sxf")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&app, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&app, &drop);
    ASSERT_NE(Doc(kind::kFrequencyGraph), nullptr);
    EXPECT_EQ(Doc(kind::kFrequencyGraph)->loads, (std::vector<std::string>{dropped.toStdString()}));
}

TEST_F(SonbexAppTest, ShutdownStopsTheMeasurementWaitsForItsResultAndLosesNothing) {
    SonbexApp& app = MakeApp(kToolbarVisible | kAppendFrequencyCurve);
    app.Start();
    RegisterKind(kind::kFrequencyGraph);
    FakeMeasurement meas(app);
    app.AddBackgroundWork(&meas);
    std::vector<std::string> order;
    app.AddExitSaver([&] { order.push_back(meas.IsRunning() ? "saved while running" : "saved"); });

    prompt_.Script(PromptAnswer::No);
    EXPECT_FALSE(app.close()) << "the user keeps it running";
    EXPECT_EQ(meas.stopRequests, 0);
    EXPECT_TRUE(order.empty());

    prompt_.Script(PromptAnswer::Yes);
    EXPECT_TRUE(app.close());
    EXPECT_EQ(prompt_.Prompts().back().text, kStopMeasurementQuestion);
    EXPECT_FALSE(meas.IsRunning());
    EXPECT_TRUE(meas.delivered) << "the last result reached a window before the documents closed";
    EXPECT_FALSE(app.IsMeasuring());
    EXPECT_EQ(order, (std::vector<std::string>{"saved"}));
    app.RemoveBackgroundWork(&meas);
    app_.reset();  // the file's lock goes with the frame
    // The settings were written at exit.
    platform::SettingsStore store(prompt_);
    store.Open(home_ / "settings.json");
    GlobalConfig saved;
    EXPECT_TRUE(LoadGlobalConfig(store, saved));
    EXPECT_TRUE(saved.Has(kAppendFrequencyCurve));
}

TEST_F(SonbexAppTest, WorkThatDoesNotStopKeepsTheFrameOpen) {
    SonbexApp& app = MakeApp(kToolbarVisible, 50);  // a short time limit
    app.Start();
    FakeMeasurement stuck(app, false);
    app.AddBackgroundWork(&stuck);
    prompt_.Script(PromptAnswer::Yes);
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_FALSE(app.close());
    EXPECT_EQ(prompt_.Prompts().back().text, kWorkDidNotStop);
    EXPECT_EQ(stuck.stopRequests, 1);
    app.RemoveBackgroundWork(&stuck);
}

TEST_F(SonbexAppTest, ResultsFromAWorkerAreRoutedIntoWindows) {
    SonbexApp& app = MakeApp();
    app.Start();
    RegisterKind(kind::kFrequencyGraph);
    std::atomic<int> taken{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        auto send = [&](const char* title, std::uint32_t flags) {
            taken += app.ResultSink().Deliver(
                {ResultKind::FrequencyResponse, title, std::make_shared<Curve>(0), flags});
        };
        send("one", kAppendFrequencyCurve);  // no window yet: a new one
        send("two", kAppendFrequencyCurve);  // appended
        send("three", kReplaceFrequencyCurve);
        send("four", 0);                                                                      // a new window
        taken += app.ResultSink().Deliver({ResultKind::Impulse, "i", nullptr, 0}) ? 100 : 0;  // not shown
        finished = true;
    });
    // Each delivery waits for the GUI thread, so it is served until the last.
    const bool served = test::ServeUntil([&] { return finished.load(); });
    if (!served) app.Bridge().BeginShutdown();  // releases a waiting worker
    worker.join();
    ASSERT_TRUE(served);
    EXPECT_EQ(taken.load(), 4);
    ASSERT_EQ(app.Children().size(), 2u);
    auto* firstWindow = dynamic_cast<TestDoc*>(app.Children()[0]);
    ASSERT_NE(firstWindow, nullptr);
    ASSERT_EQ(firstWindow->results.size(), 3u);
    EXPECT_EQ(firstWindow->results[1], std::make_pair(std::string("two"), RouteAction::Append));
    EXPECT_EQ(firstWindow->results[2], std::make_pair(std::string("three"), RouteAction::Replace));
}

TEST_F(SonbexAppTest, CopyPutsAPictureOfTheActiveWindowOnTheClipboard) {
    SonbexApp& app = MakeApp();
    app.Start();
    auto* plain = new PlainDoc;
    plain->Create(app, "plain");
    EXPECT_FALSE(app.IsEnabled(cmd::kCopy)) << "no graph interface";
    RegisterKind(kind::kFrequencyGraph);
    TestDoc* doc = dynamic_cast<TestDoc*>(app.CreateDocumentWindow(kind::kFrequencyGraph));
    ASSERT_NE(doc, nullptr);
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(app.ExecuteCommand(cmd::kCopy));
    const QImage picture = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(160, 90));
    EXPECT_EQ(QColor(picture.pixel(80, 45)), QColor(Qt::red));
    EXPECT_EQ(doc->copied, 1);
}

TEST_F(SonbexAppTest, PrintAndForwardedCommandsNeedTheRightWindow) {
    SonbexApp& app = MakeApp();
    app.Start();
    int printed = 0;
    app.SetCommandHandler(cmd::kPrint, [&] { ++printed; });
    EXPECT_FALSE(app.IsEnabled(cmd::kPrint)) << "no window";
    auto* plain = new PlainDoc;
    plain->Create(app, "plain");
    EXPECT_FALSE(app.IsEnabled(cmd::kPrint)) << "no graph interface";
    EXPECT_TRUE(app.IsEnabled(cmd::kOpenInWindow));
    RegisterKind(kind::kFrequencyGraph);
    TestDoc* doc = dynamic_cast<TestDoc*>(app.CreateDocumentWindow(kind::kFrequencyGraph));
    EXPECT_TRUE(app.ExecuteCommand(cmd::kPrint));
    EXPECT_EQ(printed, 1);
    EXPECT_TRUE(app.ExecuteCommand(cmd::kSaveAs));
    EXPECT_FALSE(app.ExecuteCommand(cmd::kSave)) << "nothing changed";
    EXPECT_TRUE(app.ExecuteCommand(10001));  // a command of the document's own
    EXPECT_EQ(doc->commands,
              (std::vector<std::pair<int, ForwardedMessage>>{{cmd::kSaveAs, ForwardedMessage::SaveAs},
                                                             {10001, ForwardedMessage::Command}}));
}

TEST_F(SonbexAppTest, WindowCommands) {
    SonbexApp& app = MakeApp();
    app.Start();
    app.resize(1000, 700);
    EXPECT_FALSE(app.IsEnabled(cmd::kTileSideBySide));
    RegisterKind(kind::kFrequencyGraph);
    for (int i = 0; i < 3; ++i) app.CreateDocumentWindow(kind::kFrequencyGraph);
    const int width = app.MdiArea()->viewport()->width();
    app.ExecuteCommand(cmd::kTileSideBySide);
    for (QMdiSubWindow* sub : app.MdiArea()->subWindowList()) {
        EXPECT_EQ(sub->geometry().top(), 0);
        EXPECT_NEAR(sub->width(), width / 3, 1);
    }
    app.ExecuteCommand(cmd::kTileOverUnder);
    for (QMdiSubWindow* sub : app.MdiArea()->subWindowList()) EXPECT_EQ(sub->width(), width);
    app.ExecuteCommand(cmd::kCascade);
    EXPECT_TRUE(app.ExecuteCommand(cmd::kCloseAll));
    test::ServeUntil([&] { return app.MdiArea()->subWindowList().isEmpty(); }, 2000);
    EXPECT_TRUE(app.Children().empty());
}

TEST_F(SonbexAppTest, AboutTipsAndHelp) {
    std::ofstream(home_ / "data" / "sonbex3" / "SXTIPS.CFG") << "First tip\nSecond tip\n";
    SonbexApp& app = MakeApp();
    app.Start();
    app.ExecuteCommand(cmd::kAbout);
    auto* about = dynamic_cast<AboutDialog*>(app.OpenDialog());
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(about->Text().contains(QStringLiteral("Version %1").arg(SONBEX_VERSION_STRING)));
    about->End(1);
    app.ExecuteCommand(cmd::kTipOfTheDay);
    auto* tips = dynamic_cast<TipsDialog*>(app.OpenDialog());
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(tips->CurrentTip(), "First tip");
    app.ExecuteCommand(cmd::kHelpContents);
    EXPECT_EQ(help_.Pages(), (std::vector<std::string>{help::kContents}));
}

TEST_F(SonbexAppTest, F1InADialogOpensTheHelpWindowAtTheDialogsPage) {
    const fs::path helpDir = fs::path(SONBEX_TEST_DATA) / ".." / ".." / "docs" / "help";
    SonbexApp& app = MakeApp(kToolbarVisible | kStatusBarVisible, 5000, true);
    app.Start();
    EXPECT_EQ(app.findChild<HelpWindow*>(), nullptr) << "made on first use";
    ASSERT_TRUE(app.ExecuteCommand(cmd::kGlobalSettings));
    auto* dialog = dynamic_cast<GlobalSettingsDialog*>(app.OpenDialog());
    ASSERT_NE(dialog, nullptr);
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(ywin::FindItem(dialog, kIdTemperature), Qt::Key_F1);

    auto* help = app.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentPage(), help::kGlobalSettings);
    const std::string title = ReadHelpTitle(helpDir / help::kGlobalSettings);
    ASSERT_EQ(title, "Global settings - Sonbex Analyzer 3");
    EXPECT_EQ(help->PageTitle().toStdString(), title);
    EXPECT_EQ(help->windowTitle().toStdString(), std::string(kHelpWindowTitle) + " - " + title);
    EXPECT_TRUE(help->Browser()->toPlainText().contains("Temporary Directory"));
    ASSERT_NE(help->Contents()->currentItem(), nullptr);
    EXPECT_EQ(help->Contents()->currentItem()->text(), "Global settings") << "the contents follow the page";

    // Find wraps round and says when there is nothing.
    help->SetFindText("speed of sound");
    EXPECT_TRUE(help->FindNext());
    EXPECT_EQ(help->Browser()->textCursor().selectedText(), "speed of sound");
    help->SetFindText("no such words here");
    EXPECT_FALSE(help->FindNext());

    // A link to another page, then back and forward.
    help->Browser()->setSource(QUrl("index.html"));
    EXPECT_EQ(help->CurrentPage(), help::kContents);
    ASSERT_TRUE(help->BackAction()->isEnabled());
    help->BackAction()->trigger();
    EXPECT_EQ(help->CurrentPage(), help::kGlobalSettings);
    EXPECT_TRUE(help->ForwardAction()->isEnabled());

    // The dialog's Help button and a command's topic reach the same window.
    help->ShowPage(help::kContents);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Help)->click();
    EXPECT_EQ(help->CurrentPage(), help::kGlobalSettings);
    EXPECT_TRUE(app.ShowHelpTopic(cmd::kCascade));
    EXPECT_EQ(help->CurrentPage(), help::kWindows);
    EXPECT_EQ(app.findChildren<HelpWindow*>().size(), 1u) << "one help window";

    // F1 on a highlighted menu item: that command's page; the menu closes.
    QMenu* window = app.Menu(800);
    window->popup(QPoint(10, 10));
    ASSERT_TRUE(test::ServeUntil([&] { return window->isVisible(); }, 2000));
    help->ShowPage(help::kContents);
    // Pointing at a disabled item highlights it and says why it is disabled.
    QTest::mouseMove(window, window->actionGeometry(app.MenuAction(cmd::kCascade)).center());
    EXPECT_TRUE(test::ServeUntil(
        [&] {
            return app.StatusBar().currentMessage() ==
                   "Arranges the windows overlapping. Needs an open document window";
        },
        2000));
    ASSERT_EQ(window->activeAction(), app.MenuAction(cmd::kCascade));
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_EQ(help->CurrentPage(), help::kWindows);
    EXPECT_FALSE(window->isVisible());

    // A page that is not there says so in the window.
    help->ShowPage("no-such-page.html");
    EXPECT_TRUE(help->Browser()->toPlainText().contains("Page not found"));
    EXPECT_TRUE(help->Browser()->toPlainText().contains("no-such-page.html"));
    dialog->reject();
}

TEST_F(SonbexAppTest, DisabledToolbarButtonsLookDisabledAndSayWhy) {
    SonbexApp& app = MakeApp();
    app.Start();
    QAction* play = app.ToolBar().Button(cmd::kStartMeasurement);
    ASSERT_NE(play, nullptr);
    auto* button = qobject_cast<QToolButton*>(app.ToolBar().widgetForAction(play));
    ASSERT_NE(button, nullptr);
    ASSERT_FALSE(button->isEnabled());
    const QImage disabled = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const std::string waits = "Available once measurement is built";
    EXPECT_EQ(button->toolTip().toStdString(), "Do Measurement\n" + waits);
    EXPECT_EQ(button->statusTip().toStdString(), "Starts a measurement with the current settings. " + waits);
    EXPECT_EQ(app.MenuAction(cmd::kStartMeasurement)->statusTip(), button->statusTip());
    // Pointing at the disabled button puts the reason in the status bar.
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(app.StatusBar().currentMessage(), button->statusTip());

    app.SetCommandHandler(cmd::kStartMeasurement, [] {});
    ASSERT_TRUE(button->isEnabled());
    const QImage enabled = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(button->toolTip(), "Do Measurement");
    EXPECT_EQ(button->statusTip(), "Starts a measurement with the current settings");
    ASSERT_EQ(enabled.size(), disabled.size());
    // The icon is green when it can be used, grey when it cannot.
    auto saturated = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor::fromRgba(image.pixel(x, y)).hsvSaturation() > 100) ++n;
        return n;
    };
    EXPECT_GT(saturated(enabled), enabled.width() * enabled.height() / 8);
    EXPECT_EQ(saturated(disabled), 0);

    app.SetMeasuring(true);
    EXPECT_EQ(button->toolTip(), "Do Measurement\nNot while a measurement runs");
    EXPECT_FALSE(button->grab().toImage().convertToFormat(QImage::Format_ARGB32) == enabled);
    app.SetMeasuring(false);
    EXPECT_EQ(app.MenuAction(cmd::kCascade)->statusTip(),
              "Arranges the windows overlapping. Needs an open document window");
}

TEST_F(SonbexAppTest, StartUpPlacesTheFrameAndShowsSplashThenTips) {
    std::ofstream(home_ / "data" / "sonbex3" / "SXTIPS.CFG") << "Only tip\n";
    SonbexApp& app = MakeApp(kDefaultGlobalFlags);  // splash and tips on
    {
        // A rectangle left of the desktop (a monitor that is gone).
        platform::SettingsStore store(prompt_);
        store.Open(home_ / "settings.json");
        GlobalConfig c;
        c.windowRect = {-3000, 100, -2200, 700};
        SaveGlobalConfig(store, c);
    }
    app.Start();
    ASSERT_NE(app.Splash(), nullptr);
    EXPECT_TRUE(app.Splash()->isVisible());
    EXPECT_EQ(app.Splash()->size(), QSize(kSplashWidth, kSplashHeight));
    EXPECT_EQ(app.OpenDialog(), nullptr) << "the tip waits for the splash screen";
    const QRect desk = QGuiApplication::primaryScreen()->availableVirtualGeometry();
    EXPECT_EQ(app.geometry().left(), desk.left() + desk.width() / 32);
    EXPECT_EQ(app.geometry().top(), desk.top() + desk.height() / 32);
    app.Splash()->close();
    ASSERT_TRUE(test::ServeUntil([&] { return app.OpenDialog() != nullptr; }, 2000));
    EXPECT_EQ(dynamic_cast<TipsDialog*>(app.OpenDialog())->CurrentTip(), "Only tip");
    EXPECT_TRUE(app.ToolBar().isVisibleTo(&app));
    EXPECT_TRUE(app.StatusBar().ShowsTime());
}

TEST_F(SonbexAppTest, UnreadableGlobalConfigIsKeptAsideAtStart) {
    SonbexApp& app = MakeApp();
    {
        platform::SettingsStore store(prompt_);
        store.Open(home_ / "settings.json");
        store.SetBinary(platform::kSettingsRoot, kGlobalConfigValue, std::vector<std::uint8_t>(1167, 7));
        store.Save();
    }
    app.Start();
    platform::SettingsStore::Binary kept;
    EXPECT_TRUE(app.Store().GetBinary(platform::kSettingsRoot, kGlobalConfigBackupValue, kept));
    EXPECT_EQ(kept.size(), 1167u);
    EXPECT_EQ(app.Config().flags, kDefaultGlobalFlags) << "defaults in force";
}

}  // namespace
}  // namespace sonbex::shell
