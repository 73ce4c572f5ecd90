#include "Sonbex/Shell/HelpService.h"

#include "Platform/Paths.h"
#include "Sonbex/Shell/CommandTable.h"

#include <system_error>

namespace sonbex::shell {
namespace fs = std::filesystem;

std::vector<std::string_view> HelpPages() {
    return {help::kContents,   help::kMainWindow,  help::kOpeningFiles, help::kGlobalSettings,
            help::kAppearance, help::kTipOfTheDay, help::kWindows,      help::kResultRouting};
}

std::string_view HelpPageForTopic(int topic) {
    switch (topic) {
        case 103:  // the global settings dialog
        case cmd::kGlobalSettings:
            return help::kGlobalSettings;
        case 191:  // the appearance dialog
            return help::kAppearance;
        case 102:  // the tips dialog
        case cmd::kTipOfTheDay:
            return help::kTipOfTheDay;
        case cmd::kOpen:
        case cmd::kImport:
            return help::kOpeningFiles;
        case cmd::kLevels:
        case 1610:  // the "Level's" window
        case 1470:  // "Mixer Settings"
            return help::kLevels;
    }
    if (topic >= cmd::kShowLimitsResult && topic <= cmd::kCyclicMeasurement) return help::kResultRouting;
    if (topic >= cmd::kTileSideBySide && topic <= cmd::kCloseAll) return help::kWindows;
    if (topic >= 100 && topic < 1000) return help::kMainWindow;
    return help::kContents;
}

fs::path FindHelpFolder(const std::vector<fs::path>& candidates) {
    for (const fs::path& dir : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(dir / help::kContents, ec)) return dir;
    }
    return {};
}

std::vector<fs::path> StandardHelpFolders() {
    std::vector<fs::path> out;
    for (const fs::path& shared : platform::Paths::ShippedDataDirs()) {
        out.push_back(shared / "help");
        // share/sonbex3 of the source tree sits beside docs/.
        out.push_back((shared / ".." / ".." / "docs" / "help").lexically_normal());
    }
    return out;
}

bool RecordingHelp::ShowPage(std::string_view page) {
    std::lock_guard lock(mutex_);
    pages_.emplace_back(page);
    return true;
}

std::vector<std::string> RecordingHelp::Pages() const {
    std::lock_guard lock(mutex_);
    return pages_;
}

}  // namespace sonbex::shell
