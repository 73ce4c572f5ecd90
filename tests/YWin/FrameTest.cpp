#include "GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/WorkerThread.h"
#include "Platform/YRegistry.h"
#include "YWin/IGraphWnd.h"
#include "YWin/YDial.h"
#include "YWin/YDialogItems.h"
#include "YWin/YGraphics.h"
#include "YWin/YStdWnd.h"
#include "YWin/YToolBar.h"
#include "YWin/YWinApp.h"

#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QThread>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace sonbex::ywin {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

// A document that can be told to refuse closing.
class TestDoc : public YStdWnd, public IGraphWnd {
public:
    explicit TestDoc(std::string title, bool refuse = false) : title_(std::move(title)), refuse_(refuse) {
        createdOn = QThread::currentThread();
    }
    bool QueryClose() override {
        ++asked;
        return !refuse_;
    }
    void Draw(YGraphics& g, const YRect& area, unsigned) override { g.FillRect(area, 0xFFFFFF); }
    YRect GetRect() const override { return {0, 0, width(), height()}; }
    std::string KindName() const override { return "Test"; }
    std::string Title() const override { return title_; }

    int asked = 0;
    QThread* createdOn = nullptr;

private:
    std::string title_;
    bool refuse_;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        frame_ = std::make_unique<YWinApp>(&prompt_);
        frame_->show();
    }
    void TearDown() override {
        frame_->BeginShutdown();
        frame_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(prompt_.Unexpected().empty()) << "unexpected prompt";
    }
    TestDoc* Open(std::string title, bool refuse = false) {
        auto* doc = new TestDoc(std::move(title), refuse);
        doc->Create(*frame_, QString::fromStdString(doc->Title()));
        return doc;
    }
    void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    platform::RecordingPrompt prompt_;
    std::unique_ptr<YWinApp> frame_;
};

TEST_F(FrameTest, DocumentThatRefusesStopsCloseAllAndShutdown) {
    QPointer<TestDoc> a = Open("a"), keeps = Open("keeps", true), c = Open("c");
    ASSERT_EQ(frame_->Children().size(), 3u);
    EXPECT_EQ(frame_->ActiveGraph(), static_cast<IGraphWnd*>(c.data()));

    frame_->MdiArea()->setActiveSubWindow(keeps->SubWindow());
    EXPECT_FALSE(frame_->CloseAll());
    DeleteClosed();
    EXPECT_TRUE(keeps) << "the refusing document stays";
    EXPECT_TRUE(a && c) << "the others are not asked once one refused";
    EXPECT_EQ(a->asked, 0);

    frame_->MdiArea()->setActiveSubWindow(a->SubWindow());
    EXPECT_FALSE(frame_->close()) << "the frame stays open";
    DeleteClosed();
    EXPECT_FALSE(frame_->IsShuttingDown());
    EXPECT_FALSE(a) << "the active document closed first";
    EXPECT_TRUE(keeps && c) << "closing stopped at the refusing document";
    EXPECT_EQ(frame_->Children().size(), 2u);
}

TEST_F(FrameTest, CloseAllClosesEveryWillingDocument) {
    Open("a");
    Open("b");
    EXPECT_TRUE(frame_->CloseAll());
    DeleteClosed();
    EXPECT_TRUE(frame_->Children().empty());
    EXPECT_EQ(frame_->ActiveGraph(), nullptr);
}

TEST_F(FrameTest, WorkerResultCreatesItsWindowOnTheGuiThread) {
    platform::WorkerThread worker("analyzer");
    ASSERT_TRUE(worker.Start());
    std::atomic<bool> handedOver{false};
    QThread* gui = QThread::currentThread();
    QThread* workerThread = nullptr;
    YWinApp* frame = frame_.get();
    // Blocking hand-over: the worker goes on only once the window exists.
    worker.Loop().PostTask([&, frame] {
        workerThread = QThread::currentThread();
        bool ok = frame->Bridge().Call([frame] {
            auto* doc = new TestDoc("result");
            doc->Create(*frame, "result");
        });
        handedOver = ok && frame->Children().size() == 1;
    });
    ASSERT_TRUE(test::ServeUntil([&] { return handedOver.load(); }));
    // Posted hand-over: the worker does not wait.
    std::atomic<bool> posted{false};
    worker.Loop().PostTask([&, frame] {
        posted = frame->Bridge().Post([frame] { (new TestDoc("second"))->Create(*frame, "second"); });
    });
    ASSERT_TRUE(test::ServeUntil([&] { return posted && frame_->Children().size() == 2; }));
    worker.Stop();
    ASSERT_NE(workerThread, gui);
    for (YStdWnd* w : frame_->Children()) EXPECT_EQ(static_cast<TestDoc*>(w)->createdOn, gui);
}

TEST_F(FrameTest, WorkerPromptIsAskedOnTheGuiThread) {
    prompt_.Script(PromptAnswer::No);
    std::future<PromptAnswer> answer = std::async(std::launch::async, [this] {
        return frame_->Prompt().Show("Save the changes ? ", PromptIcon::Question, PromptButtons::YesNoCancel);
    });
    ASSERT_TRUE(test::ServeUntil(
        [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), PromptAnswer::No);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].caption, "Sonbex 3");
}

TEST_F(FrameTest, WorkerPromptDuringShutdownIsCancelledWithoutDeadlock) {
    // The worker is already waiting for the GUI when shutdown begins; the GUI
    // serves no events meanwhile, so only the release can end the wait.
    std::promise<void> asking;
    std::future<PromptAnswer> waiting = std::async(std::launch::async, [&] {
        asking.set_value();
        return frame_->Prompt().Show("Continue ? ", PromptIcon::Question, PromptButtons::YesNoCancel);
    });
    asking.get_future().wait();
    // Give the worker the chance to block; if it has not yet, it finds the
    // shutdown flag instead (the same answer).
    QThread::yieldCurrentThread();
    frame_->BeginShutdown();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "deadlock";
    EXPECT_EQ(waiting.get(), PromptAnswer::Cancel);

    auto later = std::async(std::launch::async, [&] {
        return frame_->Prompt().Show("Overwrite ? ", PromptIcon::Question, PromptButtons::OkCancel);
    });
    ASSERT_EQ(later.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(later.get(), PromptAnswer::Cancel);
    QCoreApplication::processEvents();  // the abandoned request must not show anything now
    EXPECT_TRUE(prompt_.Prompts().empty()) << "no prompt reached the user";
}

TEST_F(FrameTest, ToolbarLayoutRoundTrip) {
    platform::SettingsStore store(prompt_);
    EXPECT_FALSE(frame_->RestoreLayout(store)) << "nothing stored: the default stays";
    frame_->removeToolBar(&frame_->ToolBar());
    frame_->addToolBar(Qt::LeftToolBarArea, &frame_->ToolBar());
    frame_->SaveLayout(store);  // not bound to a file: kept in memory only
    YWinApp other(&prompt_);
    EXPECT_TRUE(other.RestoreLayout(store));
    EXPECT_EQ(other.toolBarArea(&other.ToolBar()), Qt::LeftToolBarArea);
    std::vector<std::uint8_t> junk{1, 2, 3};
    store.SetBinary(platform::kSettingsRoot, kToolbarLayoutValue, junk);
    EXPECT_FALSE(other.RestoreLayout(store));
}

// A modeless tool dialog with a field, counting how often it was set up.
class ToolDial : public YDial {
public:
    ToolDial() {
        auto* edit = new QLineEdit(this);
        SetItemId(edit, 1433);
        (new QVBoxLayout(this))->addWidget(edit);
    }
    int inits = 0;

protected:
    void OnInit() override {
        ++inits;
        SetItemDouble(this, 1433, 20.0, 1);
    }
};

TEST_F(FrameTest, AlreadyOpenDialogIsRaisedAndRestoredNotDuplicated) {
    ToolDial dial;
    ASSERT_TRUE(dial.Create(false));
    EXPECT_TRUE(dial.isVisible());
    EXPECT_EQ(ItemText(&dial, 1433), "20.0");
    SetItemText(&dial, 1433, "25.5");
    dial.showMinimized();
    ASSERT_TRUE(dial.Create(false));
    EXPECT_EQ(dial.inits, 1) << "not set up a second time";
    EXPECT_FALSE(dial.windowState() & Qt::WindowMinimized) << "restored";
    EXPECT_EQ(ItemText(&dial, 1433), "25.5") << "the open dialog keeps its state";
    EXPECT_EQ(QApplication::topLevelWidgets().count(&dial), 1);
    dial.End(1);
    EXPECT_FALSE(dial.IsOpen());
    EXPECT_EQ(dial.Result(), 1);
    ASSERT_TRUE(dial.Create(false));
    EXPECT_EQ(dial.inits, 2) << "opened anew after it ended";
    dial.End(0);
}

TEST_F(FrameTest, DialogWorkRunsOnItsThreadAndAnswersThroughTheDialog) {
    ToolDial dial;
    ASSERT_TRUE(dial.RunOnThread(frame_->Prompt(), false, "instrument"));
    QThread* gui = QThread::currentThread();
    std::atomic<QThread*> workedOn{nullptr};
    std::atomic<QThread*> answeredOn{nullptr};
    ASSERT_TRUE(dial.PostToWorker([&] {
        workedOn = QThread::currentThread();
        dial.PostToDialog([&] {
            answeredOn = QThread::currentThread();
            SetItemText(&dial, 1433, "done");
        });
    }));
    ASSERT_TRUE(test::ServeUntil([&] { return answeredOn.load() != nullptr; }));
    EXPECT_NE(workedOn.load(), gui);
    EXPECT_EQ(answeredOn.load(), gui);
    EXPECT_EQ(ItemText(&dial, 1433), "done");

    // The worker asks the GUI something while the dialog is being stopped.
    prompt_.Script(PromptAnswer::Ok);
    dial.PostToWorker([this] { frame_->Prompt().Show("Device stopped ! "); });
    EXPECT_TRUE(dial.StopWorker()) << "the GUI served the worker while it waited";
    EXPECT_FALSE(dial.HasWorker());
    EXPECT_EQ(prompt_.Prompts().size(), 1u);
    dial.End(0);
}

TEST_F(FrameTest, StoppingABusyWorkerNeverBlocksTheGui) {
    ToolDial dial;
    ASSERT_TRUE(dial.RunOnThread(frame_->Prompt(), false, "instrument"));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> finished{false};
    dial.PostToWorker([released, &finished] {
        released.wait();  // busy until the test lets it go
        finished = true;
    });
    EXPECT_FALSE(dial.StopWorker(0)) << "gave up at once instead of joining a busy thread";
    EXPECT_FALSE(dial.HasWorker());
    EXPECT_FALSE(dial.PostToWorker([] {})) << "posting is over";
    release.set_value();
    ASSERT_TRUE(test::ServeUntil([&] { return finished.load(); }));
    QCoreApplication::processEvents();  // the thread is ended from the event loop
    dial.End(0);
}

TEST_F(FrameTest, DialogThreadThatCannotStartIsReported) {
    ToolDial dial;
    prompt_.Script(PromptAnswer::Ok);
    EXPECT_FALSE(dial.RunOnThread(frame_->Prompt(), false, "instrument", 1));  // no such stack
    EXPECT_FALSE(dial.IsOpen());
    auto prompts = prompt_.Prompts();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Failed to open the dialog ! ");
    EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
}

}  // namespace
}  // namespace sonbex::ywin
