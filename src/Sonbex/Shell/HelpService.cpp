#include "Sonbex/Shell/HelpService.h"

#include "Platform/Paths.h"
#include "Sonbex/Shell/CommandTable.h"

#include <algorithm>
#include <cctype>
#include <fstream>
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

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string DecodeEntities(std::string_view in) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < in.size();) {
        bool replaced = false;
        if (in[i] == '&')
            for (const auto& [name, c] : kEntities)
                if (in.substr(i, name.size()) == name) {
                    out += c;
                    i += name.size();
                    replaced = true;
                    break;
                }
        if (!replaced) {
            // Line breaks and runs of blanks inside the element read as one blank.
            const char c = in[i] == '\n' || in[i] == '\r' || in[i] == '\t' ? ' ' : in[i];
            if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
            ++i;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace

std::string ReadHelpTitle(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const std::string lower = Lower(head);
    const std::size_t open = lower.find("<title");
    if (open == std::string::npos) return {};
    const std::size_t start = lower.find('>', open);
    if (start == std::string::npos) return {};
    const std::size_t end = lower.find("</title", start);
    if (end == std::string::npos) return {};
    return DecodeEntities(std::string_view(head).substr(start + 1, end - start - 1));
}

std::string ShortHelpTitle(std::string_view title) {
    constexpr std::string_view kSuffix = " - Sonbex Analyzer 3";
    if (title.size() > kSuffix.size() && title.substr(title.size() - kSuffix.size()) == kSuffix)
        title.remove_suffix(kSuffix.size());
    return std::string(title);
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
