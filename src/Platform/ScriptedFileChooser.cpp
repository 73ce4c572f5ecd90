#include "Platform/ScriptedFileChooser.h"

namespace sonbex::platform {

std::optional<ChooserResult> ScriptedFileChooser::Choose(const ChooserRequest& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    if (script_.empty()) {
        unexpected_.push_back(request);
        return std::nullopt;
    }
    auto answer = std::move(script_.front());
    script_.pop_front();
    return answer;
}

void ScriptedFileChooser::Script(std::filesystem::path chosen, int filterIndex) {
    std::lock_guard lock(mutex_);
    script_.push_back(ChooserResult{std::move(chosen), filterIndex});
}

void ScriptedFileChooser::ScriptCancel() {
    std::lock_guard lock(mutex_);
    script_.push_back(std::nullopt);
}

std::vector<ChooserRequest> ScriptedFileChooser::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<ChooserRequest> ScriptedFileChooser::Unexpected() const {
    std::lock_guard lock(mutex_);
    return unexpected_;
}

std::size_t ScriptedFileChooser::UnusedScript() const {
    std::lock_guard lock(mutex_);
    return script_.size();
}

}  // namespace sonbex::platform
