#pragma once
// The base of every dialog. Modal (Create runs it to its end) or modeless
// (Create shows it and returns); a dialog that is already open is brought to
// the top and restored when minimised instead of being opened twice.
//
// Dialogs whose work would stop the frame (the measurement, instruments,
// calibrations) keep their widgets on the GUI thread and run their work on a
// worker thread with its own message loop: RunOnThread starts the worker and
// opens the dialog; the dialog posts work with PostToWorker, the worker
// answers with PostToDialog (queued to the GUI thread, dropped when the
// dialog is gone). The GUI thread never waits for the worker except in
// StopWorker, which serves events while it waits (with a time limit).
//
// Help: F1 in the dialog (and a Help button that calls ShowHelp) opens the
// dialog's help topic in the frame's help window. The topic is the dialog's
// id, read from its object name "id<NNN>", unless SetHelpTopic names another.
//
// Threads: everything on the GUI thread except PostToDialog and
// PostToWorker, which any thread may call while the dialog exists.

#include "Platform/IPrompt.h"
#include "Platform/WorkerThread.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

namespace sonbex::ywin {

inline constexpr const char* kFailedToOpenDialog = "Failed to open the dialog ! ";

class YDial : public QDialog {
    Q_OBJECT
public:
    explicit YDial(QWidget* parent = nullptr);
    ~YDial() override;

    // Opens the dialog (see above). Modal: true after it ended (Result() tells
    // how). Modeless: true when shown. Already open: raised, true.
    bool Create(bool modal);
    // Ends the dialog with `result` (modal: leaves the run; modeless: hides it).
    void End(int result);
    bool IsOpen() const { return open_; }
    bool IsModalRun() const { return modal_; }
    int Result() const { return result_; }  // -1 until the dialog ended

    // Starts the worker thread (stackBytes 0: the system default), then opens
    // the dialog. When the thread cannot start, `prompt` shows "Failed to open
    // the dialog ! " and the result is false.
    bool RunOnThread(platform::IPrompt& prompt, bool modal, std::string threadName,
                     std::size_t stackBytes = 0);
    bool HasWorker() const { return worker_ && worker_->IsRunning(); }
    bool PostToWorker(std::function<void()> task);
    bool PostToDialog(std::function<void()> task);
    // Lets the worker finish what is queued, serving GUI events meanwhile, then
    // ends the thread. False when it did not finish within `timeoutMs`: the
    // thread is then ended from the event loop once it gets there (the GUI
    // never blocks on it). Posting to the worker is over either way.
    bool StopWorker(int timeoutMs = 5000);

    // The help topic: SetHelpTopic's, else the id of the object name, else 0.
    void SetHelpTopic(int topic) { helpTopic_ = topic; }
    int HelpTopic() const;
    // Asks the frame (the YWinApp this dialog belongs to, else the first one
    // of the program) to show the topic; false when there is no frame.
    bool ShowHelp();

protected:
    // Called by Create before the dialog is first shown (fill the fields).
    virtual void OnInit() {}
    // Called when the dialog ends, before it is hidden.
    virtual void OnEnd(int /*result*/) {}
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::shared_ptr<platform::WorkerThread> worker_;
    bool open_ = false;
    bool modal_ = false;
    int result_ = -1;
    int helpTopic_ = 0;
};

}  // namespace sonbex::ywin
