// The help pages from the headless program: by topic, by name, listed.

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HelpVerb, PagesByTopicByNameAndListed) {
    const struct {
        const char* args;
        int status;
        const char* expect;
    } cases[] = {
        {"help", 0, "Sonbex Analyzer 3 help\n"},
        {"help 103", 0, "Global settings\n\nView, Global Settings changes"},  // the global settings dialog
        {"help 803", 0, "Document windows"},                                  // the Cascade command
        {"help Opening-Files", 0, "\n.SXZ\timpedance curves\n"},
        {"help global-settings.html --path", 0, "docs/help/global-settings.html\n"},
        {"help --list", 0, "tip-of-the-day.html\tTip of the day\n"},
        {"help --list --json", 0, "\"title\": \"Global settings\""},
        {"help 191 --json", 0, "\"page\": \"appearance.html\""},
        {"help no-such-page", 1, "no help page 'no-such-page'"},
    };
    for (const auto& k : cases) {
        const CliRun r = RunCli(k.args);
        EXPECT_EQ(r.status, k.status) << k.args << "\n" << r.out;
        EXPECT_NE(r.out.find(k.expect), std::string::npos) << k.args << "\n" << r.out;
        if (k.status == 0 && std::string(k.args).find("json") == std::string::npos) {
            EXPECT_EQ(r.out.find('<'), std::string::npos) << "no markup left: " << k.args;
        }
    }
}

}  // namespace
