#include "Platform/RecordingPrompt.h"

namespace sonbex::platform {

PromptAnswer RecordingPrompt::Ask(const PromptRequest& request) {
    std::lock_guard lock(mutex_);
    prompts_.push_back(request);
    if (!script_.empty()) {
        const PromptAnswer answer = script_.front();
        script_.pop_front();
        if (Offers(request.buttons, answer)) return answer;
    }
    unexpected_.push_back(request);
    return SafeAnswer(request.buttons);
}

void RecordingPrompt::Script(PromptAnswer answer) {
    std::lock_guard lock(mutex_);
    script_.push_back(answer);
}

std::vector<PromptRequest> RecordingPrompt::Prompts() const {
    std::lock_guard lock(mutex_);
    return prompts_;
}

std::vector<PromptRequest> RecordingPrompt::Unexpected() const {
    std::lock_guard lock(mutex_);
    return unexpected_;
}

std::size_t RecordingPrompt::UnusedScript() const {
    std::lock_guard lock(mutex_);
    return script_.size();
}

void RecordingPrompt::Clear() {
    std::lock_guard lock(mutex_);
    script_.clear();
    prompts_.clear();
    unexpected_.clear();
}

}  // namespace sonbex::platform
