// `cmake --install` into a temporary prefix, then the installed programs as a user starts them.
#include "Platform/PrivateTempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Output {
    int status = -1;
    std::string out;
};

Output Capture(const std::string& command) {
    Output run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) run.out.append(buffer.data(), n);
    run.status = pclose(pipe);
    return run;
}

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        temp_ = new sonbex::platform::PrivateTempDir();
        prefix_ = temp_->Path() / "prefix";
        install_ = Capture(std::string(SONBEX_CMAKE) + " --install " + Quoted(SONBEX_BUILD_DIR) +
                           " --prefix " + Quoted(prefix_));
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }
    static inline sonbex::platform::PrivateTempDir* temp_ = nullptr;
    static inline fs::path prefix_;
    static inline Output install_;
};

TEST_F(InstallTest, PutsProgramsDataAndDesktopFilesUnderThePrefix) {
    ASSERT_EQ(install_.status, 0) << install_.out;
    for (const char* relative : {
             "bin/sonbex3",
             "bin/sonbex3-cli",
             "share/sonbex3/SXTIPS.CFG",
             "share/sonbex3/help/index.html",
             "share/applications/sonbex3.desktop",
             "share/metainfo/org.sonbex.Sonbex3.metainfo.xml",
             "share/mime/packages/sonbex3.xml",
             "share/icons/hicolor/scalable/apps/sonbex3.svg",
             "share/icons/hicolor/48x48/apps/sonbex3.png",
             "share/icons/hicolor/256x256/apps/sonbex3.png",
             "share/man/man1/sonbex3.1",
             "share/man/man1/sonbex3-cli.1",
         }) {
        EXPECT_TRUE(fs::is_regular_file(prefix_ / relative)) << relative;
    }
}

TEST_F(InstallTest, BitmapIconsHaveTheirSizes) {
    ASSERT_EQ(install_.status, 0) << install_.out;
    for (int size : {48, 256}) {
        const std::string png =
            ReadAll(prefix_ / "share/icons/hicolor" / (std::to_string(size) + "x" + std::to_string(size)) /
                    "apps/sonbex3.png");
        ASSERT_GE(png.size(), 24u) << size;
        EXPECT_EQ(png.substr(1, 3), "PNG") << size;
        // IHDR: big-endian width and height at bytes 16 and 20.
        auto be32 = [&](std::size_t at) {
            return (static_cast<unsigned char>(png[at]) << 24) |
                   (static_cast<unsigned char>(png[at + 1]) << 16) |
                   (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
        };
        EXPECT_EQ(be32(16), size);
        EXPECT_EQ(be32(20), size);
    }
}

TEST_F(InstallTest, InstalledProgramRunsAndReadsTheInstalledData) {
    ASSERT_EQ(install_.status, 0) << install_.out;
    const fs::path cli = prefix_ / "bin/sonbex3-cli";
    const Output version = Capture(Quoted(cli) + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "sonbex3-cli " SONBEX_VERSION "\n");

    const Output paths = Capture(Quoted(cli) + " paths --json");
    ASSERT_EQ(paths.status, 0) << paths.out;
    const auto j = nlohmann::json::parse(paths.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << paths.out;
    EXPECT_EQ(fs::path(j.value("shipped", "")), (prefix_ / "share/sonbex3").lexically_normal());

    const Output help = Capture(Quoted(cli) + " help --path");
    ASSERT_EQ(help.status, 0) << help.out;
    EXPECT_EQ(help.out, (prefix_ / "share/sonbex3/help/index.html").lexically_normal().string() + "\n");
}

TEST_F(InstallTest, ManPageHasASectionForEveryVerb) {
    ASSERT_EQ(install_.status, 0) << install_.out;
    const std::string page = ReadAll(prefix_ / "share/man/man1/sonbex3-cli.1");
    EXPECT_NE(page.find(".TH SONBEX3-CLI 1"), std::string::npos);
    const Output help = Capture(Quoted(prefix_ / "bin/sonbex3-cli") + " --help");
    std::istringstream lines(help.out.substr(help.out.find("Subcommands:")));
    std::string line;
    std::getline(lines, line);
    int verbs = 0;
    while (std::getline(lines, line) && !line.empty()) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        EXPECT_NE(page.find(".SS \"" + verb + "\""), std::string::npos) << verb;
        ++verbs;
    }
    EXPECT_GE(verbs, 5);
    // Verbs of verbs too.
    EXPECT_NE(page.find(".SS \"stimulus generate\""), std::string::npos);
}

}  // namespace
