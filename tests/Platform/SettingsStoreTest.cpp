#include "Platform/PrivateTempDir.h"
#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

namespace sonbex::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    fs::path File() const { return dir_.Path() / "sonbex3" / "settings.json"; }
    std::vector<fs::path> FolderContents() const {
        std::vector<fs::path> names;
        for (const auto& e : fs::directory_iterator(File().parent_path()))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    PrivateTempDir dir_;
    RecordingPrompt prompt_;
};

constexpr const char* kKey = "Sonbex3\\Measurement";

TEST_F(SettingsStoreTest, ValuesRoundTripExactlyThroughTheFile) {
    SettingsStore::Binary all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    const double doubles[] = {0.1,
                              1e-300,
                              std::numeric_limits<double>::denorm_min(),
                              2.2250738585072009e-308,
                              -0.0,
                              std::numeric_limits<double>::max(),
                              343.3,
                              -std::numeric_limits<double>::infinity()};
    const std::int32_t ints[] = {0, -1, INT32_MIN, INT32_MAX};
    const std::string texts[] = {"", "Arial", "Größe µF 日本 🎵", "quote \" back\\slash\nnewline"};
    {
        SettingsStore store(prompt_);
        ASSERT_TRUE(store.Open(File()));
        EXPECT_FALSE(store.IsReadOnly());
        for (std::size_t i = 0; i < 256; ++i)  // every length up to 256, so every base64 tail occurs
            ASSERT_TRUE(store.SetBinary("Blobs", "b" + std::to_string(i), std::span(all).first(i)));
        ASSERT_TRUE(store.SetBinary(kKey, "Measurement Config", all));
        for (std::size_t i = 0; i < std::size(doubles); ++i)
            store.SetDouble(kKey, "d" + std::to_string(i), doubles[i]);
        store.SetDouble(kKey, "nan", std::nan(""));
        for (std::size_t i = 0; i < std::size(ints); ++i)
            store.SetInt(kKey, "i" + std::to_string(i), ints[i]);
        for (std::size_t i = 0; i < std::size(texts); ++i)
            store.SetText(kKey, "t" + std::to_string(i), texts[i]);
        ASSERT_TRUE(store.Save());
    }
    SettingsStore store(prompt_);
    ASSERT_TRUE(store.Open(File()));
    SettingsStore::Binary blob;
    ASSERT_TRUE(store.GetBinary(kKey, "Measurement Config", blob));
    EXPECT_EQ(blob, all);
    for (std::size_t i = 0; i < 256; ++i) {
        ASSERT_TRUE(store.GetBinary("Blobs", "b" + std::to_string(i), blob)) << i;
        EXPECT_EQ(blob, SettingsStore::Binary(all.begin(), all.begin() + i)) << "blob of " << i << " bytes";
    }
    for (std::size_t i = 0; i < std::size(doubles); ++i) {
        double d = 12345;
        ASSERT_TRUE(store.GetDouble(kKey, "d" + std::to_string(i), d)) << doubles[i];
        EXPECT_EQ(d, doubles[i]) << doubles[i];
        EXPECT_EQ(std::signbit(d), std::signbit(doubles[i])) << doubles[i];
    }
    double nan = 0;
    ASSERT_TRUE(store.GetDouble(kKey, "nan", nan));
    EXPECT_TRUE(std::isnan(nan));
    for (std::size_t i = 0; i < std::size(ints); ++i) {
        std::int32_t v = 12345;
        ASSERT_TRUE(store.GetInt(kKey, "i" + std::to_string(i), v));
        EXPECT_EQ(v, ints[i]);
    }
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        std::string t = "unchanged";
        ASSERT_TRUE(store.GetText(kKey, "t" + std::to_string(i), t));
        EXPECT_EQ(t, texts[i]);
    }
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(SettingsStoreTest, MissingOrWrongTypedValuesFailAndKeepTheDefault) {
    SettingsStore store(prompt_);
    ASSERT_TRUE(store.Open(File()));  // no file yet: an empty store, no report
    store.SetInt(kKey, "Int", 7);
    store.SetText(kKey, "Text", "7");
    store.SetDouble(kKey, "Double", 7.0);
    const std::uint8_t bytes[3] = {1, 2, 3};
    store.SetBinary(kKey, "Blob", bytes);

    struct Case {
        const char* key;
        const char* name;
        bool asInt, asDouble, asText, asBinary;
    };
    const Case cases[] = {
        {kKey, "Int", true, false, false, false},       {kKey, "Text", false, false, true, false},
        {kKey, "Double", false, true, false, false},    {kKey, "Blob", false, false, false, true},
        {kKey, "Missing", false, false, false, false},  {"Sonbex3\\Other", "Int", false, false, false, false},
        {"Sonbex3", "Int", false, false, false, false},
    };
    for (const Case& c : cases) {
        std::int32_t i = -5;
        double d = -5;
        std::string t = "default";
        SettingsStore::Binary b{9};
        EXPECT_EQ(store.GetInt(c.key, c.name, i), c.asInt) << c.key << " " << c.name;
        EXPECT_EQ(store.GetDouble(c.key, c.name, d), c.asDouble) << c.key << " " << c.name;
        EXPECT_EQ(store.GetText(c.key, c.name, t), c.asText) << c.key << " " << c.name;
        EXPECT_EQ(store.GetBinary(c.key, c.name, b), c.asBinary) << c.key << " " << c.name;
        if (!c.asInt) {
            EXPECT_EQ(i, -5) << c.name;
        }
        if (!c.asDouble) {
            EXPECT_EQ(d, -5) << c.name;
        }
        if (!c.asText) {
            EXPECT_EQ(t, "default") << c.name;
        }
        if (!c.asBinary) {
            EXPECT_EQ(b, SettingsStore::Binary{9}) << c.name;
        }
    }

    // A fixed record is taken only at its exact length.
    std::uint8_t two[2] = {}, three[3] = {}, four[4] = {};
    EXPECT_FALSE(store.GetBinaryExact(kKey, "Blob", two));
    EXPECT_TRUE(store.GetBinaryExact(kKey, "Blob", three));
    EXPECT_FALSE(store.GetBinaryExact(kKey, "Blob", four));
    EXPECT_EQ(three[2], 3);
}

TEST_F(SettingsStoreTest, KeysAndSubKeys) {
    SettingsStore store(prompt_);
    ASSERT_TRUE(store.Open(File()));
    EXPECT_TRUE(store.SetInt("Root\\A", "x", 1));
    EXPECT_TRUE(store.SetInt("Root\\A\\Deep", "x", 1));
    EXPECT_TRUE(store.SetInt("Root\\B", "y", 2));
    EXPECT_TRUE(store.SetInt("Root\\B", "z", 3));
    EXPECT_TRUE(store.SetInt("RootX", "x", 4));
    EXPECT_EQ(store.SubKeys(""), (std::vector<std::string>{"Root", "RootX"}));
    EXPECT_EQ(store.SubKeys("Root"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store.ValueNames("Root\\B"), (std::vector<std::string>{"y", "z"}));
    EXPECT_TRUE(store.RemoveValue("Root\\B", "y"));
    EXPECT_FALSE(store.RemoveValue("Root\\B", "y"));
    EXPECT_TRUE(store.RemoveKey("Root\\A"));
    EXPECT_FALSE(store.HasValue("Root\\A\\Deep", "x"));
    EXPECT_EQ(store.SubKeys("Root"), (std::vector<std::string>{"B"}));
    EXPECT_TRUE(store.HasValue("RootX", "x"));

    for (const char* badKey : {"", "\\A", "A\\", "A\\\\B"})
        EXPECT_FALSE(store.SetInt(badKey, "x", 1)) << badKey;
    EXPECT_FALSE(store.SetInt("A", "", 1));
    EXPECT_FALSE(store.SetText("A", "t", "\xE9t\xE9"));  // Windows-1252, not UTF-8: converted by the caller
}

TEST_F(SettingsStoreTest, InterruptedSaveLeavesTheOldFileIntact) {
    SettingsStore store(prompt_);
    ASSERT_TRUE(store.Open(File()));
    store.SetInt(kKey, "Version", 1);
    ASSERT_TRUE(store.Save());
    chmod(File().c_str(), 0640);
    const std::string before = ReadFile(File());

    store.SetInt(kKey, "Version", 2);
    const std::string after = store.ToText();
    bool temporaryWasComplete = false;
    store.SetWriteOptions({[&](const fs::path& temporary) {
                               temporaryWasComplete = ReadFile(temporary) == after;
                               return false;  // the save stops here, before the rename
                           },
                           0644});
    EXPECT_FALSE(store.Save());
    EXPECT_TRUE(temporaryWasComplete);
    EXPECT_EQ(ReadFile(File()), before);
    EXPECT_EQ(FolderContents(), (std::vector<fs::path>{"settings.json", "settings.json.lock"}));

    store.SetWriteOptions({});
    ASSERT_TRUE(store.Save());
    struct stat st {};
    ASSERT_EQ(stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a save keeps the file's mode";
    store.Open(dir_.Path() / "elsewhere.json");  // lets go of the lock
    SettingsStore again(prompt_);
    ASSERT_TRUE(again.Open(File()));
    std::int32_t version = 0;
    EXPECT_TRUE(again.GetInt(kKey, "Version", version));
    EXPECT_EQ(version, 2);
}

TEST_F(SettingsStoreTest, CorruptFileIsSetAsideReportedOnceAndDefaultsUsed) {
    SettingsStore good(prompt_);
    good.Open(dir_.Path() / "good.json");
    good.SetInt(kKey, "Int", 5);
    const std::string text = good.ToText();
    auto replace = [&](std::string from, std::string to) {
        std::string s = text;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    struct Case {
        const char* name;
        std::string contents;
    };
    const Case cases[] = {
        {"truncated", text.substr(0, text.size() / 2)},
        {"garbage", std::string("\x00\xff\x13garbage", 10)},
        {"empty", ""},
        {"not an object", "[1, 2]"},
        {"other format", replace("sonbex3-settings", "other")},
        {"later version", replace("\"version\": 1", "\"version\": 2")},
        {"int out of range", replace("\"int\": 5", "\"int\": 2147483648")},
        {"int as fraction", replace("\"int\": 5", "\"int\": 5.5")},
        {"unknown type", replace("\"int\": 5", "\"long\": 5")},
        {"bad double", replace("\"int\": 5", "\"double\": \"1.5x\"")},
        {"bad base64", replace("\"int\": 5", "\"binary\": \"AB=C\"")},
        {"too deep", replace("\"int\": 5", "\"int\": [[[[5]]]]")},
    };
    for (const Case& c : cases) {
        fs::remove_all(File().parent_path());
        fs::create_directories(File().parent_path());
        WriteFile(File(), c.contents);
        prompt_.Clear();
        SettingsStore store(prompt_);
        EXPECT_FALSE(store.Open(File())) << c.name;
        EXPECT_TRUE(store.SubKeys("").empty()) << c.name;
        EXPECT_EQ(ReadFile(File().string() + ".bad"), c.contents) << c.name;
        EXPECT_FALSE(fs::exists(File())) << c.name;
        ASSERT_EQ(prompt_.Prompts().size(), 1u) << c.name;
        EXPECT_EQ(prompt_.Prompts()[0].caption, "Sonbex 3");
        EXPECT_EQ(prompt_.Prompts()[0].icon, PromptIcon::Warning);
        EXPECT_NE(prompt_.Prompts()[0].text.find("settings.json.bad"), std::string::npos) << c.name;
        EXPECT_TRUE(store.Save()) << c.name;  // a fresh, good file
    }
}

TEST_F(SettingsStoreTest, OlderBadCopiesAreKept) {
    fs::create_directories(File().parent_path());
    for (const char* contents : {"first", "second", "third"}) {
        WriteFile(File(), contents);
        SettingsStore store(prompt_);
        EXPECT_FALSE(store.Open(File()));
    }
    EXPECT_EQ(ReadFile(File().string() + ".bad"), "first");
    EXPECT_EQ(ReadFile(File().string() + ".bad.1"), "second");
    EXPECT_EQ(ReadFile(File().string() + ".bad.2"), "third");
}

TEST_F(SettingsStoreTest, SecondInstanceReadsButDoesNotWrite) {
    SettingsStore first(prompt_);
    ASSERT_TRUE(first.Open(File()));
    first.SetInt(kKey, "Owner", 1);
    ASSERT_TRUE(first.Save());
    const std::string saved = ReadFile(File());

    RecordingPrompt secondPrompt;
    {
        SettingsStore second(secondPrompt);
        EXPECT_TRUE(second.Open(File()));
        EXPECT_TRUE(second.IsReadOnly());
        ASSERT_EQ(secondPrompt.Prompts().size(), 1u);
        EXPECT_EQ(secondPrompt.Prompts()[0].icon, PromptIcon::Warning);
        std::int32_t owner = 0;
        EXPECT_TRUE(second.GetInt(kKey, "Owner", owner));
        EXPECT_EQ(owner, 1);
        EXPECT_TRUE(second.SetInt(kKey, "Owner", 2));  // in memory only
        EXPECT_FALSE(second.Save());
        EXPECT_EQ(ReadFile(File()), saved);
    }
    EXPECT_FALSE(first.IsReadOnly());
    EXPECT_TRUE(first.Save());
    EXPECT_TRUE(prompt_.Prompts().empty());

    first.Open(dir_.Path() / "elsewhere.json");  // lets go of the first file's lock
    SettingsStore third(secondPrompt);
    ASSERT_TRUE(third.Open(File()));
    EXPECT_FALSE(third.IsReadOnly());
}

TEST_F(SettingsStoreTest, ReadOnlyInstanceLeavesACorruptFileInPlace) {
    SettingsStore first(prompt_);
    ASSERT_TRUE(first.Open(File()));
    WriteFile(File(), "{broken");
    SettingsStore second(prompt_);
    EXPECT_FALSE(second.Open(File()));
    EXPECT_EQ(ReadFile(File()), "{broken");
    EXPECT_FALSE(fs::exists(File().string() + ".bad"));
}

}  // namespace
}  // namespace sonbex::platform
