// The headless program as a user runs it: exit status, stdout and stderr.

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CliProgram, ExitStatusAndOutputFollowTheConventions) {
    struct Case {
        const char* args;
        int status;
        const char* expectInOutput;
    } cases[] = {
        {"--help", 0, "paths"},
        {"--version", 0, "sonbex3-cli 3."},
        {"", 2, "VERB"},
        {"no-such-verb", 2, "no-such-verb"},
        {"paths --help", 0, "--json"},
        {"paths --no-such-option", 2, "no-such-option"},
        {"paths --json", 0, "\"config\""},
        {"paths -o /nonexistent-dir/x.txt", 1, "cannot write /nonexistent-dir/x.txt"},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << "args: '" << c.args << "'\n" << r.out;
        EXPECT_NE(r.out.find(c.expectInOutput), std::string::npos) << "args: '" << c.args << "'\n" << r.out;
    }
}

}  // namespace
