#include "Platform/IPrompt.h"

namespace sonbex::platform {

bool Offers(PromptButtons buttons, PromptAnswer answer) {
    switch (buttons) {
        case PromptButtons::Ok:
            return answer == PromptAnswer::Ok;
        case PromptButtons::OkCancel:
            return answer == PromptAnswer::Ok || answer == PromptAnswer::Cancel;
        case PromptButtons::YesNo:
            return answer == PromptAnswer::Yes || answer == PromptAnswer::No;
        case PromptButtons::YesNoCancel:
            return answer == PromptAnswer::Yes || answer == PromptAnswer::No ||
                   answer == PromptAnswer::Cancel;
        case PromptButtons::RetryCancel:
            return answer == PromptAnswer::Retry || answer == PromptAnswer::Cancel;
    }
    return false;
}

PromptAnswer SafeAnswer(PromptButtons buttons) {
    if (Offers(buttons, PromptAnswer::Cancel)) return PromptAnswer::Cancel;
    if (Offers(buttons, PromptAnswer::No)) return PromptAnswer::No;
    return PromptAnswer::Ok;
}

}  // namespace sonbex::platform
