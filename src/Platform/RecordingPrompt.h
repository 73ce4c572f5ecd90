#pragma once
// Prompt service for tests: records every prompt and answers from a script.
// A prompt that finds the script empty, or whose scripted answer is not one of
// its buttons, is recorded as unexpected and gets the safe answer; a test
// checks Unexpected() is empty. Safe to call from any thread.

#include "Platform/IPrompt.h"

#include <deque>
#include <mutex>
#include <vector>

namespace sonbex::platform {

class RecordingPrompt : public IPrompt {
public:
    PromptAnswer Ask(const PromptRequest& request) override;

    // Queues the answer for the next prompt.
    void Script(PromptAnswer answer);

    std::vector<PromptRequest> Prompts() const;     // every prompt, in order
    std::vector<PromptRequest> Unexpected() const;  // those not answered by the script
    std::size_t UnusedScript() const;               // scripted answers not yet taken
    void Clear();

private:
    mutable std::mutex mutex_;
    std::deque<PromptAnswer> script_;
    std::vector<PromptRequest> prompts_;
    std::vector<PromptRequest> unexpected_;
};

}  // namespace sonbex::platform
