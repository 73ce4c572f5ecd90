#pragma once
// The prompt service: every message box of the system goes through an IPrompt,
// so the desktop program can show a dialog, the headless program can print to
// stderr and a test can record and script the answers.

#include <string>

namespace sonbex::platform {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

inline constexpr const char* kDefaultCaption = "Sonbex 3";

struct PromptRequest {
    std::string text;
    std::string caption = kDefaultCaption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
};

// The answer taken when nobody can be asked: Cancel where offered, else No
// where offered, else Ok.
PromptAnswer SafeAnswer(PromptButtons buttons);
// True when `answer` is one of the buttons of `buttons`.
bool Offers(PromptButtons buttons, PromptAnswer answer);

// Implementations say from which threads Ask may be called; the ones in this
// library (StderrPrompt, RecordingPrompt) are safe from any thread.
class IPrompt {
public:
    virtual ~IPrompt() = default;
    // Shows the prompt and blocks until it is answered; the answer is always one
    // of the request's buttons.
    virtual PromptAnswer Ask(const PromptRequest& request) = 0;

    PromptAnswer Show(std::string text, PromptIcon icon = PromptIcon::None,
                      PromptButtons buttons = PromptButtons::Ok, std::string caption = kDefaultCaption) {
        return Ask(PromptRequest{std::move(text), std::move(caption), icon, buttons});
    }
};

}  // namespace sonbex::platform
