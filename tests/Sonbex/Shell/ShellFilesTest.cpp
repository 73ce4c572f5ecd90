#include "Sonbex/Shell/ShellFiles.h"

#include "Platform/Paths.h"

#include <gtest/gtest.h>

#include <fstream>

namespace sonbex::shell {
namespace {

namespace fs = std::filesystem;

class ShellFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("sonbex-shellfiles-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "user" / "Background");
        fs::create_directories(root_ / "shipped" / "Background");
    }
    void TearDown() override { fs::remove_all(root_); }
    void Touch(const fs::path& p) { std::ofstream(root_ / p) << "x"; }
    fs::path root_;
};

TEST_F(ShellFilesTest, BackgroundsOfBothFoldersSortedTheUsersFirst) {
    Touch("user/Background/Mine.BMP");
    Touch("user/Background/Sonbex2.bmp");
    Touch("user/Background/notes.txt");
    Touch("shipped/Background/Sonbex2.bmp");
    Touch("shipped/Background/Blue.bmp");
    fs::create_directories(root_ / "shipped/Background/Folder.bmp");
    auto list = ListBackgrounds({root_ / "user/Background", root_ / "shipped/Background", root_ / "missing"});
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "Blue");
    EXPECT_EQ(list[1].name, "Mine") << "extension in either case";
    EXPECT_EQ(list[2].name, "Sonbex2");
    EXPECT_EQ(list[2].file, root_ / "user/Background/Sonbex2.bmp") << "the user's copy hides the shipped one";
}

TEST_F(ShellFilesTest, TheUsersTipsFileComesFirst) {
    platform::Paths::Environment env;
    env.home = root_.string();
    env.dataHome = (root_ / "data").string();
    platform::Paths paths(env);
    fs::create_directories(paths.DataDir());
    std::ofstream(paths.DataDir() / "SXTIPS.CFG") << "tip\n";
    EXPECT_EQ(FindTipsFile(paths), paths.DataDir() / "SXTIPS.CFG");
    EXPECT_EQ(StandardGlobalConfigDefaults(paths).tempDir, "") << "recordings go to the private folder";
}

TEST_F(ShellFilesTest, RecordingsGoToTheConfiguredFolderOnlyWhenItExists) {
    GlobalConfig c = DefaultGlobalConfig();
    const fs::path own = root_ / "private";
    EXPECT_EQ(RecordingFolder(c, own), own) << "empty";
    c.tempDir = (root_ / "user").string();
    EXPECT_EQ(RecordingFolder(c, own), root_ / "user");
    c.tempDir = (root_ / "gone").string();
    EXPECT_EQ(RecordingFolder(c, own), own) << "missing";
    c.tempDir = (root_ / "user/Background/../../shipped").string();
    EXPECT_EQ(RecordingFolder(c, own), fs::path(c.tempDir));
}

}  // namespace
}  // namespace sonbex::shell
