#include "Sonbex/Shell/CommandLine.h"

#include <gtest/gtest.h>

namespace sonbex::shell {
namespace {
namespace fs = std::filesystem;

TEST(CommandLine, FilesAreMadeAbsoluteAgainstTheStartDirectory) {
    struct Case {
        std::vector<std::string> args;
        std::vector<fs::path> files;
    };
    const Case cases[] = {
        {{"woofer.sxf"}, {"/home/me/work/woofer.sxf"}},
        {{"../other/z.sxz", "/abs/p.sxp"}, {"/home/me/other/z.sxz", "/abs/p.sxp"}},
        {{"./a//b.sxf"}, {"/home/me/work/a/b.sxf"}},
        {{"--", "--help", "-x.sxf"}, {"/home/me/work/--help", "/home/me/work/-x.sxf"}},
        {{"-"}, {"/home/me/work/-"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.args, "/home/me/work");
        EXPECT_TRUE(line.error.empty()) << line.error;
        EXPECT_FALSE(line.help);
        EXPECT_EQ(line.files, c.files) << (c.args.empty() ? "" : c.args[0]);
    }
}

TEST(CommandLine, Options) {
    const CommandLine help = ParseCommandLine({"a.sxf", "--help"}, "/w");
    EXPECT_TRUE(help.help);
    EXPECT_TRUE(ParseCommandLine({"-h"}, "/w").help);
    EXPECT_TRUE(ParseCommandLine({"--version"}, "/w").version);
    const CommandLine shot = ParseCommandLine({"--screenshot", "s.png", "b.sxf"}, "/w");
    EXPECT_EQ(shot.screenshot, fs::path("/w/s.png"));
    EXPECT_EQ(shot.files, (std::vector<fs::path>{"/w/b.sxf"}));
    EXPECT_FALSE(ParseCommandLine({"--screenshot"}, "/w").error.empty());
    EXPECT_FALSE(ParseCommandLine({"--bogus"}, "/w").error.empty());
    EXPECT_NE(CommandLineUsage("sonbex3").find("Usage: sonbex3"), std::string::npos);
}

}  // namespace
}  // namespace sonbex::shell
