#pragma once
// Prompt service of the headless program: prints "caption: text" and takes the
// safe answer (nobody is there to ask). Safe to call from any thread.

#include "Platform/IPrompt.h"

#include <cstdio>
#include <mutex>

namespace sonbex::platform {

class StderrPrompt : public IPrompt {
public:
    // `out` (default stderr) must stay open while the prompt is used.
    explicit StderrPrompt(std::FILE* out = stderr) : out_(out) {}
    PromptAnswer Ask(const PromptRequest& request) override;

private:
    std::FILE* out_;
    std::mutex mutex_;
};

}  // namespace sonbex::platform
