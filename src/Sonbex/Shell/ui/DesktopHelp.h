#pragma once
// Help pages opened in the user's browser (QDesktopServices). When the help
// folder cannot be found, the user is told once per request.
// Threads: the GUI thread only.

#include "Platform/IPrompt.h"
#include "Sonbex/Shell/HelpService.h"

#include <filesystem>

namespace sonbex::shell {

inline constexpr const char* kHelpMissing = "The help pages could not be found ! ";

class DesktopHelp : public IHelpService {
public:
    // `folder` empty: the help is not installed. `prompt` must outlive the service.
    DesktopHelp(std::filesystem::path folder, platform::IPrompt& prompt);
    bool ShowPage(std::string_view page) override;

private:
    std::filesystem::path folder_;
    platform::IPrompt& prompt_;
};

}  // namespace sonbex::shell
