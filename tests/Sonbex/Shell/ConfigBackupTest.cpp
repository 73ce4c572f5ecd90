#include "Sonbex/Shell/ConfigBackup.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Shell/GlobalConfig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace sonbex::shell {
namespace {
namespace fs = std::filesystem;

class ConfigBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-backup-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    static void Write(const fs::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
};

TEST_F(ConfigBackupTest, UnreadableFileIsCopiedOnceBeforeTheFirstSave) {
    const fs::path db = dir_ / "SX3SPK.SDB";
    Write(db, "damaged");
    ConfigBackup backups;
    EXPECT_TRUE(backups.BeforeOverwrite(db)) << "a file that loaded needs nothing";
    EXPECT_FALSE(fs::exists(dir_ / "SX3SPK.SDB.bad"));

    backups.NoteLoadFailed(db);
    EXPECT_TRUE(backups.BeforeOverwrite(db));
    EXPECT_EQ(Read(dir_ / "SX3SPK.SDB.bad"), "damaged");
    Write(db, "saved");
    EXPECT_TRUE(backups.BeforeOverwrite(db));  // the second save keeps the first backup
    EXPECT_EQ(Read(dir_ / "SX3SPK.SDB.bad"), "damaged");
    EXPECT_FALSE(fs::exists(dir_ / "SX3SPK.SDB.bad.1"));
}

TEST_F(ConfigBackupTest, EarlierBackupsAreKept) {
    const fs::path cfg = dir_ / "SXPRESET.CFG";
    Write(dir_ / "SXPRESET.CFG.bad", "older");
    Write(cfg, "newer damage");
    ConfigBackup backups;
    backups.NoteLoadFailed(cfg);
    EXPECT_TRUE(backups.BeforeOverwrite(cfg));
    EXPECT_EQ(Read(dir_ / "SXPRESET.CFG.bad"), "older");
    EXPECT_EQ(Read(dir_ / "SXPRESET.CFG.bad.1"), "newer damage");
    backups.NoteLoadFailed(dir_ / "missing.cfg");  // nothing to keep
    EXPECT_FALSE(backups.NeedsBackup(dir_ / "missing.cfg"));
}

TEST_F(ConfigBackupTest, UnreadableGlobalConfigValueIsKeptAside) {
    platform::RecordingPrompt prompt;
    platform::SettingsStore store(prompt);
    ASSERT_TRUE(store.Open(dir_ / "settings.json"));
    EXPECT_FALSE(BackUpUnreadableGlobalConfig(store)) << "no value";
    const auto good = EncodeGlobalConfig(GlobalConfig{});
    store.SetBinary(platform::kSettingsRoot, kGlobalConfigValue, good);
    EXPECT_FALSE(BackUpUnreadableGlobalConfig(store)) << "a readable value";
    const std::vector<std::uint8_t> shortValue(good.begin(), good.end() - 1);
    store.SetBinary(platform::kSettingsRoot, kGlobalConfigValue, shortValue);
    EXPECT_TRUE(BackUpUnreadableGlobalConfig(store));
    platform::SettingsStore::Binary kept;
    ASSERT_TRUE(store.GetBinary(platform::kSettingsRoot, kGlobalConfigBackupValue, kept));
    EXPECT_EQ(kept, shortValue);
    EXPECT_TRUE(prompt.Unexpected().empty());
}

}  // namespace
}  // namespace sonbex::shell
