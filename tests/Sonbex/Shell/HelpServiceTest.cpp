#include "Sonbex/Shell/HelpService.h"

#include "Sonbex/Shell/CommandTable.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

namespace sonbex::shell {
namespace {
namespace fs = std::filesystem;

const fs::path kHelpDir = fs::path(SONBEX_TEST_DATA) / ".." / ".." / "docs" / "help";

TEST(HelpService, EveryPageExistsAndLinksOnlyToPagesThatExist) {
    EXPECT_EQ(FindHelpFolder({"/nonexistent", kHelpDir}), kHelpDir);
    // A program in the build tree finds the source tree's pages.
    const fs::path found = FindHelpFolder(StandardHelpFolders());
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(fs::equivalent(found, kHelpDir)) << found;
    for (std::string_view page : HelpPages()) {
        const fs::path file = kHelpDir / std::string(page);
        ASSERT_TRUE(fs::is_regular_file(file)) << page;
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const std::string html = text.str();
        for (std::size_t at = html.find("href=\""); at != std::string::npos;
             at = html.find("href=\"", at + 1)) {
            const std::size_t end = html.find('"', at + 6);
            std::string target = html.substr(at + 6, end - at - 6);
            target = target.substr(0, target.find('#'));
            if (target.empty() || target.find(':') != std::string::npos) continue;
            EXPECT_TRUE(fs::is_regular_file(kHelpDir / target)) << page << " links to " << target;
        }
    }
}

TEST(HelpService, TopicsOpenTheirPage) {
    EXPECT_EQ(HelpPageForTopic(103), help::kGlobalSettings);
    EXPECT_EQ(HelpPageForTopic(cmd::kAppendFrequency), help::kResultRouting);
    EXPECT_EQ(HelpPageForTopic(cmd::kCascade), help::kWindows);
    EXPECT_EQ(HelpPageForTopic(cmd::kOpen), help::kOpeningFiles);
    EXPECT_EQ(HelpPageForTopic(2370), help::kContents) << "a topic without a page of its own";
    RecordingHelp recording;
    recording.ShowTopic(191);
    EXPECT_EQ(recording.Pages(), (std::vector<std::string>{help::kAppearance}));
}

TEST(HelpService, EveryPageHasATitleOfItsOwn) {
    std::set<std::string> titles;
    for (std::string_view page : HelpPages()) {
        const std::string title = ReadHelpTitle(kHelpDir / std::string(page));
        EXPECT_TRUE(title.size() > 20 && title.substr(title.size() - 20) == " - Sonbex Analyzer 3") << page;
        EXPECT_TRUE(titles.insert(ShortHelpTitle(title)).second) << page << " shares its title";
    }
    EXPECT_EQ(ShortHelpTitle("Global settings - Sonbex Analyzer 3"), "Global settings");
    EXPECT_EQ(ShortHelpTitle("Sonbex Analyzer 3"), "Sonbex Analyzer 3");

    const fs::path dir = fs::temp_directory_path() / ("sonbex-help-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "a.html") << "<HTML><head><TITLE lang=en>Box &amp; vent\n   design</title></head>";
    std::ofstream(dir / "b.html") << "<html><head><title>never closed";
    EXPECT_EQ(ReadHelpTitle(dir / "a.html"), "Box & vent design");
    EXPECT_EQ(ReadHelpTitle(dir / "b.html"), "");
    EXPECT_EQ(ReadHelpTitle(dir / "missing.html"), "");
    fs::remove_all(dir);
}

TEST(HelpService, PagesReadAsPlainText) {
    const std::string text = HelpPageText(kHelpDir / help::kGlobalSettings);
    EXPECT_EQ(text.substr(0, 17), "Global settings\n\n") << "the heading first, no navigation";
    EXPECT_NE(text.find("\n- Temporary Directory: where recordings are kept"), std::string::npos) << text;
    EXPECT_EQ(text.find('<'), std::string::npos);
    EXPECT_EQ(text.find("  "), std::string::npos) << "blanks collapsed";
    const std::string table = HelpPageText(kHelpDir / help::kOpeningFiles);
    EXPECT_NE(table.find("\n.SXZ\timpedance curves\n"), std::string::npos) << table;
    EXPECT_NE(table.find("program's own files"), std::string::npos) << "entities decoded";
    EXPECT_EQ(HelpPageText(kHelpDir / "missing.html"), "");

    EXPECT_EQ(HelpPageForName("Global-Settings"), help::kGlobalSettings);
    EXPECT_EQ(HelpPageForName("windows.html"), help::kWindows);
    EXPECT_EQ(HelpPageForName("../etc/passwd"), "");
    EXPECT_EQ(HelpPageForName(""), "");
}

}  // namespace
}  // namespace sonbex::shell
