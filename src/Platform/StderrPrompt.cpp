#include "Platform/StderrPrompt.h"

namespace sonbex::platform {

PromptAnswer StderrPrompt::Ask(const PromptRequest& request) {
    std::lock_guard lock(mutex_);
    std::fprintf(out_, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    std::fflush(out_);
    return SafeAnswer(request.buttons);
}

}  // namespace sonbex::platform
