#include "Platform/Paths.h"
#include "Platform/PrivateTempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fstream>

namespace sonbex::platform {
namespace {

namespace fs = std::filesystem;

TEST(Paths, XdgFoldersAndTheirFallbacks) {
    struct Case {
        const char* name;
        Paths::Environment env;
        const char* config;
        const char* data;
        const char* cache;
    };
    const Case cases[] = {
        {"fallbacks",
         {"/home/u", "", "", ""},
         "/home/u/.config/sonbex3",
         "/home/u/.local/share/sonbex3",
         "/home/u/.cache/sonbex3"},
        {"xdg set", {"/home/u", "/c", "/d", "/k"}, "/c/sonbex3", "/d/sonbex3", "/k/sonbex3"},
        {"relative xdg ignored",
         {"/home/u", "rel", "rel", "rel"},
         "/home/u/.config/sonbex3",
         "/home/u/.local/share/sonbex3",
         "/home/u/.cache/sonbex3"},
    };
    for (const Case& c : cases) {
        const Paths paths(c.env);
        EXPECT_EQ(paths.ConfigDir(), fs::path(c.config)) << c.name;
        EXPECT_EQ(paths.DataDir(), fs::path(c.data)) << c.name;
        EXPECT_EQ(paths.CacheDir(), fs::path(c.cache)) << c.name;
    }
    EXPECT_EQ(Paths({"/h", "/c", "", ""}).SettingsFile(), fs::path("/c/sonbex3/settings.json"));
}

TEST(Paths, ShippedDataBesideTheProgramComesFirst) {
    const auto dirs = Paths::ShippedDataDirs("/opt/sx/bin/sonbex3");
    ASSERT_GE(dirs.size(), 2u);
    EXPECT_EQ(dirs.front(), fs::path("/opt/sx/share/sonbex3"));
    EXPECT_EQ(dirs.back().filename(), "sonbex3");
    EXPECT_EQ(dirs.back().parent_path().filename(), "share");
    // This test program runs from the build tree, so the source tree's share/ is searched.
    const auto here = Paths::ShippedDataDirs();
    EXPECT_NE(std::find(here.begin(), here.end(),
                        fs::path(SONBEX_TEST_DATA).parent_path().parent_path() / "share" / "sonbex3"),
              here.end());
    EXPECT_TRUE(Paths::FindShippedFile("no such file.cfg").empty());
}

TEST(PathText, ExtensionsLookOnlyAtTheFileNameIgnoringCase) {
    struct Case {
        const char* path;
        const char* ext;
        bool has;
    };
    const Case cases[] = {
        {"X.SXF", ".sxf", true},
        {"/data/a.sxf", ".SXF", true},
        {"/a.b/c", ".b", false},
        {"C:\\a.sxf\\b", ".sxf", false},
        {"C:\\m\\b.Mst", ".mst", true},
        {"a.sxf.bak", ".sxf", false},
        {".sxf", ".sxf", false},
        {"a.", ".", true},
        {"a", "", false},
        {"a.sx", ".sxf", false},
    };
    for (const Case& c : cases) EXPECT_EQ(HasExtension(c.path, c.ext), c.has) << c.path << " " << c.ext;

    EXPECT_EQ(FileNamePart("/a/b.c"), "b.c");
    EXPECT_EQ(FileNamePart("C:\\x\\y.mst"), "y.mst");
    EXPECT_EQ(Extension("/a.b/c"), "");
    EXPECT_EQ(Extension("/x/Y.SXF"), ".SXF");
    EXPECT_EQ(ReplaceExtension("/a.b/c", ".txt"), "/a.b/c.txt");
    EXPECT_EQ(ReplaceExtension("/a/c.SXF", ".sxz"), "/a/c.sxz");
    EXPECT_EQ(ReplaceExtension("/a/c.SXF", ""), "/a/c");
}

TEST(PathText, AbsolutePathsAndStoredWindowsPaths) {
    EXPECT_TRUE(IsAbsolutePath("/x"));
    EXPECT_FALSE(IsAbsolutePath("x/y"));
    EXPECT_FALSE(IsAbsolutePath("C:\\x"));
    EXPECT_FALSE(IsAbsolutePath(""));
    EXPECT_EQ(FromStoredPath("Background\\Sonbex2.bmp"), "Background/Sonbex2.bmp");
    EXPECT_EQ(FromStoredPath("/already/fine"), "/already/fine");
}

TEST(PrivateTempDir, IsPrivateAndRemovedWithItsContents) {
    fs::path kept;
    {
        const PrivateTempDir dir;
        ASSERT_TRUE(dir.IsValid());
        kept = dir.Path();
        struct stat st {};
        ASSERT_EQ(stat(kept.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(st.st_uid, getuid());
        fs::create_directories(kept / "sub");
        std::ofstream(kept / "sub" / "rec.ssd") << "data";
        const PrivateTempDir other;
        EXPECT_NE(other.Path(), kept);
    }
    EXPECT_FALSE(fs::exists(kept));
    const PrivateTempDir bad("/nonexistent/folder");
    EXPECT_FALSE(bad.IsValid());
}

}  // namespace
}  // namespace sonbex::platform
