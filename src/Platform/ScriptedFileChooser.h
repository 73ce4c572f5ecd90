#pragma once
// File chooser for tests and the headless program: records every request and
// answers from a script (a path, or a cancel). A request that finds the script
// empty is recorded as unexpected and cancelled. Safe to call from any thread.

#include "Platform/IFileChooser.h"

#include <deque>
#include <mutex>

namespace sonbex::platform {

class ScriptedFileChooser : public IFileChooser {
public:
    std::optional<ChooserResult> Choose(const ChooserRequest& request) override;

    void Script(std::filesystem::path chosen, int filterIndex = 0);
    void ScriptCancel();

    std::vector<ChooserRequest> Requests() const;
    std::vector<ChooserRequest> Unexpected() const;
    std::size_t UnusedScript() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::optional<ChooserResult>> script_;
    std::vector<ChooserRequest> requests_;
    std::vector<ChooserRequest> unexpected_;
};

}  // namespace sonbex::platform
