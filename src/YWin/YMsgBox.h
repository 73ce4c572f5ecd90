#pragma once
// The prompt service of the desktop program: a message box on the GUI
// thread, reached from any thread through the GUI bridge. While shutdown is
// under way (or when the bridge is gone) a prompt from a worker is not shown
// and gets the safe answer (Cancel where offered).
//
// The box itself is replaceable: tests pass a RecordingPrompt as presenter,
// which is then asked on the GUI thread instead of showing a QMessageBox.
// Threads: Ask from any thread.

#include "Platform/IPrompt.h"

#include <QPointer>
#include <QWidget>

namespace sonbex::ywin {

class YGuiBridge;

class YMsgBox : public platform::IPrompt {
public:
    // `bridge` must outlive the service; `presenter` (when given) too.
    explicit YMsgBox(YGuiBridge& bridge, platform::IPrompt* presenter = nullptr);
    // The window the boxes are centred on (the frame); may be null.
    void SetParent(QWidget* parent) { parent_ = parent; }

    platform::PromptAnswer Ask(const platform::PromptRequest& request) override;

private:
    platform::PromptAnswer Present(const platform::PromptRequest& request);

    YGuiBridge& bridge_;
    platform::IPrompt* presenter_;
    QPointer<QWidget> parent_;
};

}  // namespace sonbex::ywin
