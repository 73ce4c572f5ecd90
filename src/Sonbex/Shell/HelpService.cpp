#include "Sonbex/Shell/HelpService.h"

#include "Platform/Paths.h"
#include "Sonbex/Shell/CommandTable.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
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

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string DecodeEntities(std::string_view in) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&nbsp;", ' '}};
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

std::string_view HelpPageForName(std::string_view name) {
    std::string wanted = Lower(std::string(name));
    if (wanted.size() < 5 || wanted.substr(wanted.size() - 5) != ".html") wanted += ".html";
    for (std::string_view page : HelpPages())
        if (page == wanted) return page;
    return {};
}

std::string HelpPageText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string lower = Lower(html);
    // What the text is made of: runs of text (blanks collapsed) and breaks.
    std::string out;
    auto breakLines = [&out](int lines) {
        while (!out.empty() && out.back() == ' ') out.pop_back();
        int have = 0;
        for (auto it = out.rbegin(); it != out.rend() && *it == '\n'; ++it) ++have;
        if (out.empty()) return;
        for (; have < lines; ++have) out += '\n';
    };
    std::size_t i = lower.find("<body");
    i = i == std::string::npos ? 0 : lower.find('>', i) + 1;
    while (i < html.size()) {
        if (html[i] != '<') {
            const std::size_t next = std::min(html.find('<', i), html.size());
            std::string text = DecodeEntities(std::string_view(html).substr(i, next - i));
            const bool leadingBlank = std::isspace(static_cast<unsigned char>(html[i])) != 0;
            if (!text.empty()) {
                if (leadingBlank && !out.empty() && out.back() != '\n' && out.back() != ' ' &&
                    out.back() != '\t')
                    out += ' ';
                out += text;
                if (std::isspace(static_cast<unsigned char>(html[next - 1]))) out += ' ';
            } else if (leadingBlank && !out.empty() && out.back() != '\n' && out.back() != ' ') {
                out += ' ';
            }
            i = next;
            continue;
        }
        const std::size_t end = lower.find('>', i);
        if (end == std::string::npos) break;
        std::string tag = lower.substr(i + 1, end - i - 1);
        i = end + 1;
        const bool closing = !tag.empty() && tag[0] == '/';
        if (closing) tag.erase(0, 1);
        tag = tag.substr(0, tag.find_first_of(" \t\n/"));
        if (!closing && (tag == "nav" || tag == "style" || tag == "script")) {  // left out whole
            const std::size_t close = lower.find("</" + tag, i);
            i = close == std::string::npos ? html.size() : lower.find('>', close) + 1;
            continue;
        }
        if (tag == "h1" || tag == "h2" || tag == "h3" || tag == "p" || tag == "ul" || tag == "ol" ||
            tag == "dl" || tag == "table")
            breakLines(2);
        else if (tag == "br" || tag == "tr" || tag == "dt")
            breakLines(1);
        else if (!closing && tag == "li") {
            breakLines(1);
            out += "- ";
        } else if (!closing && tag == "dd") {
            breakLines(1);
            out += "    ";
        } else if (!closing && (tag == "td" || tag == "th")) {
            if (!out.empty() && out.back() != '\n') {
                while (!out.empty() && out.back() == ' ') out.pop_back();
                out += '\t';
            }
        }
    }
    breakLines(1);
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
