#include "Sonbex/Shell/OpenFailure.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace sonbex::shell {
namespace {
namespace fs = std::filesystem;

class OpenFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-open-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(OpenFailureTest, ProbeSaysWhatStopsReadingAFile) {
    std::ofstream(dir_ / "curve.sxf") << "@SXSPLCV003";
    std::ofstream(dir_ / "empty.sxf");
    fs::create_directories(dir_ / "folder.sxf");
    fs::create_symlink(dir_ / "gone.sxf", dir_ / "dangling.sxf");
    fs::create_symlink("/proc/self/mem", dir_ / "io-error.sxf");  // opens, but its first byte cannot be read
    ASSERT_EQ(::mkfifo((dir_ / "pipe.sxf").c_str(), 0600), 0);
    const struct {
        const char* name;
        FileProblem problem;
        const char* reason;
    } cases[] = {
        {"curve.sxf", FileProblem::None, "no problem"},
        {"empty.sxf", FileProblem::None, "no problem"},  // what an empty file means is the reader's to say
        {"missing.sxf", FileProblem::NotFound, "not found"},
        {"dangling.sxf", FileProblem::NotFound, "not found"},
        {"folder.sxf", FileProblem::NotAFile, "not a file (a folder)"},
        {"pipe.sxf", FileProblem::NotAFile, "not a file (not a regular file)"},
        {"io-error.sxf", FileProblem::NotReadable, "not readable (Input/output error)"},
    };
    for (const auto& k : cases) {
        const FileFailure f = ProbeReadable(dir_ / k.name);
        EXPECT_EQ(f.problem, k.problem) << k.name;
        EXPECT_EQ(ReasonText(f), k.reason) << k.name;
    }
    EXPECT_EQ(ProbeReadable("").problem, FileProblem::NotFound);
    if (::geteuid() != 0) {  // permissions stop everybody but root
        std::ofstream(dir_ / "locked.sxf") << "x";
        fs::permissions(dir_ / "locked.sxf", fs::perms::none);
        EXPECT_EQ(ReasonText(ProbeReadable(dir_ / "locked.sxf")), "not readable (Permission denied)");
    }
}

TEST(OpenFailure, TheMessageKeepsItsWordsAndNamesTheFileOnASecondLine) {
    EXPECT_EQ(MessageNamingFile("Couldn't open this file !", "/c/a.sxf",
                                DamagedAt(1184, "record count 1073741824")),
              "Couldn't open this file !\n/c/a.sxf: damaged at byte 1184 (record count 1073741824)");
    EXPECT_EQ(MessageNamingFile("Found no valid class for this filetype ! \n\n", "/c/x.abc",
                                {FileProblem::NotKnown, 0, {}}),
              "Found no valid class for this filetype ! \n/c/x.abc: not a file this program knows");
    EXPECT_EQ(ReasonText(DamagedAt(0)), "damaged at byte 0");
    EXPECT_EQ(ReasonText({FileProblem::NotBuilt, 0, "available once curve files are built"}),
              "available once curve files are built");
}

}  // namespace
}  // namespace sonbex::shell
