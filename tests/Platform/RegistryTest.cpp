#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRecentFileList.h"
#include "Platform/YRegistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace sonbex::platform {
namespace {

// A store on a fresh file in a test folder; the prompt must stay silent.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("sonbex-registry-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        ASSERT_TRUE(store_.Open(dir_ / "settings.json"));
    }
    void TearDown() override {
        EXPECT_TRUE(prompt_.Unexpected().empty());
        std::filesystem::remove_all(dir_);
    }
    // A fresh store reading what this one saved.
    std::unique_ptr<SettingsStore> Reopen() {
        auto other = std::make_unique<SettingsStore>(prompt_);
        other->FromText(store_.ToText());
        return other;
    }

    RecordingPrompt prompt_;
    SettingsStore store_{prompt_};
    std::filesystem::path dir_;
    const std::string key_ = SettingsSection("Smooth");
};

TEST_F(RegistryTest, OpenRules) {
    YRegistry reg(store_);
    EXPECT_FALSE(reg.Open(key_, false)) << "reading a key that does not exist";
    EXPECT_FALSE(reg.Open("", true)) << "empty path";
    ASSERT_TRUE(reg.Open(key_, true));
    EXPECT_FALSE(reg.Open(key_, true)) << "second Open while open";
    std::int32_t v = 0;
    EXPECT_FALSE(reg.ReadInt("x", v)) << "read in write mode";
    EXPECT_TRUE(reg.WriteInt("x", 5));
    EXPECT_TRUE(reg.Close());
    EXPECT_TRUE(std::filesystem::exists(store_.File())) << "Close saves what was written";
    ASSERT_TRUE(reg.Open(key_, false));
    EXPECT_FALSE(reg.WriteInt("x", 6)) << "write in read mode";
    EXPECT_TRUE(reg.ReadInt("x", v));
    EXPECT_EQ(v, 5);
}

TEST_F(RegistryTest, ValuesRoundTrip) {
    const double doubles[] = {0.1, 1.0 / 3.0, -273.15, 1e-300, 6.02214076e23, 12.5};
    const std::int32_t ints[] = {0, -1, 2147483647, -2147483647 - 1};
    const std::uint8_t blob[] = {0, 1, 2, 255, 0};
    {
        YRegistry reg(store_);
        ASSERT_TRUE(reg.Open(key_, true));
        for (std::size_t i = 0; i < std::size(doubles); ++i)
            reg.WriteDouble("d" + std::to_string(i), doubles[i]);
        for (std::size_t i = 0; i < std::size(ints); ++i) reg.WriteInt("i" + std::to_string(i), ints[i]);
        reg.WriteBool("yes", true);
        reg.WriteBool("no", false);
        reg.WriteString("s", "Grüße \"quoted\"");
        reg.WriteBinary("b", blob);
    }
    auto store = Reopen();
    YRegistry reg(*store);
    ASSERT_TRUE(reg.Open(key_, false));
    for (std::size_t i = 0; i < std::size(doubles); ++i) {
        double d = 0;
        EXPECT_TRUE(reg.ReadDouble("d" + std::to_string(i), d));
        EXPECT_EQ(d, doubles[i]) << "double " << i << " must keep every digit";
    }
    for (std::size_t i = 0; i < std::size(ints); ++i) {
        std::int32_t v = 7;
        EXPECT_TRUE(reg.ReadInt("i" + std::to_string(i), v));
        EXPECT_EQ(v, ints[i]);
    }
    bool b = false;
    EXPECT_TRUE(reg.ReadBool("yes", b) && b);
    EXPECT_TRUE(reg.ReadBool("no", b) && !b);
    std::string s;
    EXPECT_TRUE(reg.ReadString("s", s));
    EXPECT_EQ(s, "Grüße \"quoted\"");
    EXPECT_TRUE(reg.ReadString("s", s, 3));
    EXPECT_EQ(s, "Gr") << "cut back to a whole character";
    std::uint8_t exact[5] = {}, wrong[4] = {};
    EXPECT_TRUE(reg.ReadBinary("b", exact));
    EXPECT_EQ(std::vector<std::uint8_t>(exact, exact + 5), std::vector<std::uint8_t>(blob, blob + 5));
    EXPECT_FALSE(reg.ReadBinary("b", wrong)) << "length must match exactly";
}

// Text as other writers leave it: what reads, and what is garbage (the
// caller's default stays).
TEST_F(RegistryTest, TextParsing) {
    struct Case {
        const char* text;
        bool intOk;
        std::int32_t intValue;
        bool doubleOk;
        double doubleValue;
        bool boolOk;
        bool boolValue;
    };
    const Case cases[] = {
        {"12", true, 12, true, 12.0, false, false},
        {" -7 ", true, -7, true, -7.0, false, false},
        {"12,5", false, 0, true, 12.5, false, false},
        {"12.5", false, 0, true, 12.5, false, false},
        {"abc", false, 0, false, 0, false, false},
        {"12abc", false, 0, false, 0, false, false},
        {"", false, 0, false, 0, false, false},
        {"99999999999", false, 0, true, 99999999999.0, false, false},
        {"TRUE", false, 0, false, 0, true, true},
        {"False", false, 0, false, 0, true, false},
        {"yes", false, 0, false, 0, false, false},
    };
    {
        YRegistry reg(store_);
        ASSERT_TRUE(reg.Open(key_, true));
        for (std::size_t i = 0; i < std::size(cases); ++i)
            reg.WriteString("v" + std::to_string(i), cases[i].text);
    }
    YRegistry reg(store_);
    ASSERT_TRUE(reg.Open(key_, false));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        std::string name = "v" + std::to_string(i);
        std::int32_t iv = -99;
        double dv = -99;
        bool bv = !c.boolValue;
        EXPECT_EQ(reg.ReadInt(name, iv), c.intOk) << "int '" << c.text << "'";
        EXPECT_EQ(iv, c.intOk ? c.intValue : -99) << "int '" << c.text << "'";
        EXPECT_EQ(reg.ReadDouble(name, dv), c.doubleOk) << "double '" << c.text << "'";
        EXPECT_EQ(dv, c.doubleOk ? c.doubleValue : -99) << "double '" << c.text << "'";
        EXPECT_EQ(reg.ReadBool(name, bv), c.boolOk) << "bool '" << c.text << "'";
        if (c.boolOk) {
            EXPECT_EQ(bv, c.boolValue) << "bool '" << c.text << "'";
        }
    }
    std::int32_t iv = 3;
    EXPECT_FALSE(reg.ReadInt("missing", iv));
    EXPECT_EQ(iv, 3);
}

TEST_F(RegistryTest, TypedNumbersFromOtherWritersRead) {
    store_.SetInt(key_, "i", 42);
    store_.SetDouble(key_, "d", 2.25);
    YRegistry reg(store_);
    ASSERT_TRUE(reg.Open(key_, false));
    std::int32_t i = 0;
    double d = 0, di = 0;
    EXPECT_TRUE(reg.ReadInt("i", i));
    EXPECT_TRUE(reg.ReadDouble("d", d));
    EXPECT_TRUE(reg.ReadDouble("i", di));
    EXPECT_EQ(i, 42);
    EXPECT_EQ(d, 2.25);
    EXPECT_EQ(di, 42.0);
}

class RecentFilesTest : public RegistryTest {
protected:
    YRecentFileList MakeList() {
        return YRecentFileList(store_, [this](const std::string& p) { return !gone_.count(p); });
    }
    std::set<std::string> gone_;
    const std::string mru_ = std::string(kSettingsRoot) + "\\MRU";
};

TEST_F(RecentFilesTest, AddMovesAnEqualPathToTheFrontAndKeepsEight) {
    YRecentFileList list = MakeList();
    list.Attach(kSettingsRoot);
    for (int i = 1; i <= 9; ++i) list.Add("/m/f" + std::to_string(i) + ".sxf");
    ASSERT_EQ(list.Files().size(), 8u);
    EXPECT_EQ(list.Files().front(), "/m/f9.sxf");
    EXPECT_EQ(list.Files().back(), "/m/f2.sxf");
    list.Add("/m/f5.sxf");
    ASSERT_EQ(list.Files().size(), 8u) << "a repeat is not added twice";
    EXPECT_EQ(list.Files()[0], "/m/f5.sxf");
    EXPECT_EQ(std::count(list.Files().begin(), list.Files().end(), "/m/f5.sxf"), 1);
    std::string taken;
    EXPECT_TRUE(list.Take(3, taken));
    EXPECT_EQ(list.Files()[0], taken);
    EXPECT_FALSE(list.Take(8, taken));
    EXPECT_EQ(list.MenuTexts().front(), "&1 " + taken);
}

TEST_F(RecentFilesTest, SaveRemovesStaleEntriesAndAttachDropsMissingFiles) {
    {
        YRecentFileList list = MakeList();
        list.Attach(kSettingsRoot);
        for (int i = 1; i <= 5; ++i) list.Add("/m/f" + std::to_string(i));
        ASSERT_TRUE(list.Save());
    }
    // A shorter list saved later must not leave RecentFile4/5 behind.
    {
        YRecentFileList list = MakeList();
        list.Attach(kSettingsRoot);
        std::string taken;
        list.Take(4, taken);
        EXPECT_EQ(taken, "/m/f1");
        gone_ = {"/m/f3"};
        YRecentFileList reread = MakeList();
        reread.Attach(kSettingsRoot);
        EXPECT_EQ(reread.Files(), (std::vector<std::string>{"/m/f5", "/m/f4", "/m/f2", "/m/f1"}));
        ASSERT_TRUE(reread.Save());
    }
    EXPECT_FALSE(store_.HasValue(mru_, "RecentFile5"));
    EXPECT_TRUE(store_.HasValue(mru_, "RecentFile4"));
    auto cwd = std::filesystem::current_path();
    YRecentFileList list = MakeList();
    list.Attach(kSettingsRoot);
    EXPECT_EQ(std::filesystem::current_path(), cwd) << "the list never moves the current directory";
    EXPECT_EQ(list.InitialDirectory(), "/m");
}

TEST_F(RecentFilesTest, AttachStopsAtTheFirstGap) {
    store_.SetText(mru_, "RecentFile1", "/a");
    store_.SetText(mru_, "RecentFile2", "/a");
    store_.SetText(mru_, "RecentFile3", "");
    store_.SetText(mru_, "RecentFile4", "/b");
    store_.SetText(mru_, "RecentFile6", "/c");
    YRecentFileList list = MakeList();
    list.Attach(kSettingsRoot);
    EXPECT_EQ(list.Files(), (std::vector<std::string>{"/a", "/b"}));
}

TEST(ShortenPathForDisplay, KeepsHeadAndTail) {
    struct Case {
        const char* path;
        std::size_t max;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/me/a.sxf", 48, "/home/me/a.sxf"},
        {"/home/me/speakers/2026/woofer.sxf", 28, "/home/.../2026/woofer.sxf"},
        {"/home/me/speakers/2026/a-very-long-file-name.sxf", 20, ".../a-very-long-file-name.sxf"},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortenPathForDisplay(c.path, c.max), c.expected) << c.path;
}

}  // namespace
}  // namespace sonbex::platform
