#pragma once
// Help: short HTML pages (docs/help/ in the source tree, share/sonbex3/help
// when installed) shown in the program's own help window. Commands and
// dialogs name a numeric help topic (the command id, the dialog id); the
// pages that exist are listed here, and a topic without a page of its own
// opens the contents page.
//
// The desktop program shows pages in HelpWindow (Qt, in ui/); tests that only
// need to know what was asked for use RecordingHelp.
// Threads: the GUI thread (the recording service is safe from any thread).

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::shell {

namespace help {
inline constexpr const char* kContents = "index.html";
inline constexpr const char* kMainWindow = "main-window.html";
inline constexpr const char* kOpeningFiles = "opening-files.html";
inline constexpr const char* kGlobalSettings = "global-settings.html";
inline constexpr const char* kAppearance = "appearance.html";
inline constexpr const char* kLevels = "levels.html";
inline constexpr const char* kTipOfTheDay = "tip-of-the-day.html";
inline constexpr const char* kWindows = "windows.html";
inline constexpr const char* kResultRouting = "result-routing.html";
}  // namespace help

// Every page of the help, contents first.
std::vector<std::string_view> HelpPages();
// The page of a numeric help topic (or of a command id); the contents page
// when the topic has none.
std::string_view HelpPageForTopic(int topic);

// The help folder: the first of `candidates` holding the contents page; empty when none.
std::filesystem::path FindHelpFolder(const std::vector<std::filesystem::path>& candidates);
// Where an installed or built program looks: beside the shipped data
// (share/sonbex3/help) and the source tree's docs/help.
std::vector<std::filesystem::path> StandardHelpFolders();

// The text of the page's <title> element, entities &amp; &lt; &gt; &quot;
// decoded; empty when the file cannot be read or has none. Reads at most the
// first 64 KiB.
std::string ReadHelpTitle(const std::filesystem::path& file);
// The title without the program's name that every page ends with
// ("Global settings - Sonbex Analyzer 3" -> "Global settings").
std::string ShortHelpTitle(std::string_view title);

// The page a name asks for: "global-settings", "global-settings.html" (any
// letter case); empty when no page has that name.
std::string_view HelpPageForName(std::string_view name);
// The page as plain text for a terminal: headings, paragraphs and list items
// on lines of their own ("- item"), table cells separated by tabs, entities
// decoded; the head and the navigation links left out. Empty when the file
// cannot be read.
std::string HelpPageText(const std::filesystem::path& file);

class IHelpService {
public:
    virtual ~IHelpService() = default;
    // Opens a page of the help folder; false when it cannot be shown.
    virtual bool ShowPage(std::string_view page) = 0;
    bool ShowTopic(int topic) { return ShowPage(HelpPageForTopic(topic)); }
};

class RecordingHelp : public IHelpService {
public:
    bool ShowPage(std::string_view page) override;
    std::vector<std::string> Pages() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> pages_;
};

}  // namespace sonbex::shell
