#pragma once
// The frame window: a QMainWindow whose centre is the MDI area of the
// document windows, with toolbar and status bar, and the services the rest of
// the program reaches the GUI through (the bridge for workers, the prompt
// service, the file chooser).
//
// Shutdown: closing the frame asks QueryClose() (by default every document,
// which may refuse); when it agrees, BeginShutdown() releases every worker
// waiting on the GUI ("cancelled") and the frame closes. Posted messages are
// still delivered meanwhile, so workers can finish.
//
// Threads: the GUI thread only, except Bridge() and Prompt(), which workers use.

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "YWin/YGuiBridge.h"
#include "YWin/YMDIWnd.h"

#include <QMainWindow>

#include <memory>

namespace sonbex::platform {
class SettingsStore;
}

namespace sonbex::ywin {

inline constexpr const char* kToolbarLayoutValue = "Toolbar Layout";

class YFileSelect;
class YMsgBox;
class YStatusBar;
class YToolBar;

// QApplication sets the process locale from the environment; number text of
// the C library must not follow it. Call after creating the QApplication
// (YWinApp's constructor does it too).
void UseCNumericLocale();

class YWinApp : public QMainWindow, public YMDIWnd {
    Q_OBJECT
public:
    // `presenter`, when given, answers every prompt instead of message boxes
    // (tests pass a RecordingPrompt); it must outlive the frame.
    explicit YWinApp(platform::IPrompt* presenter = nullptr, QWidget* parent = nullptr);
    ~YWinApp() override;

    YGuiBridge& Bridge() { return bridge_; }
    platform::IPrompt& Prompt();
    platform::IFileChooser& FileChooser();
    // Replaces the file chooser (tests: a ScriptedFileChooser); null restores the dialogs.
    void SetFileChooser(platform::IFileChooser* chooser) { chooserOverride_ = chooser; }
    YToolBar& ToolBar() { return *toolBar_; }
    YStatusBar& StatusBar() { return *statusBar_; }

    // The picture behind the documents; an empty or unreadable path shows none.
    void SetBackground(const QString& path);
    // Places the frame: a rectangle with a negative or empty extent keeps the
    // default placement; a rectangle off every screen is moved onto one.
    void InitWindows(int left, int top, int right, int bottom, bool maximised);

    // The toolbar's place and state, as the binary value "Toolbar Layout"
    // under the settings root. Restore keeps the default on a missing or
    // unusable value.
    bool SaveLayout(platform::SettingsStore& store) const;
    bool RestoreLayout(platform::SettingsStore& store);

    bool IsShuttingDown() const { return shuttingDown_; }
    // Releases workers waiting on the GUI; posted messages still arrive.
    void BeginShutdown();

    // A toolbar button (or, later, a menu item) was chosen.
    virtual void OnCommand(int /*commandId*/) {}
    // Shows the help of a numeric topic (a command or dialog id); false when
    // the program has no help.
    virtual bool ShowHelpTopic(int /*topic*/) { return false; }

protected:
    // Asked when the frame is to close; false keeps it open.
    virtual bool QueryClose() { return CloseAll(); }
    void closeEvent(QCloseEvent* event) override;

private:
    YGuiBridge bridge_;
    std::unique_ptr<YMsgBox> prompt_;
    std::unique_ptr<YFileSelect> chooser_;
    platform::IFileChooser* chooserOverride_ = nullptr;
    YToolBar* toolBar_;
    YStatusBar* statusBar_;
    bool shuttingDown_ = false;
};

}  // namespace sonbex::ywin
