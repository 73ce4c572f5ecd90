#include "Platform/PrivateTempDir.h"
#include "Platform/RecordingPrompt.h"
#include "Sonbex/Measurement/MeasSettings.h"
#include "Sonbex/Measurement/YPresets.h"
#include "Waveform/YWaveformModules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace sonbex::measurement {
namespace {
namespace fs = std::filesystem;

struct ParseCase {
    const char* what;
    std::string text;
    std::vector<PresetSlot> expected;  // the first slots; the rest empty
};

TEST(Presets, ParsingFollowsTheLineRules) {
    const std::string ten = [] {
        std::string s;
        for (int i = 1; i <= 11; ++i)
            s += "Title=T" + std::to_string(i) + "\nFilename=/f" + std::to_string(i) + ".mst\n";
        return s;
    }();
    std::vector<PresetSlot> firstTen;
    for (int i = 1; i <= 10; ++i)
        firstTen.push_back({"T" + std::to_string(i), "/f" + std::to_string(i) + ".mst"});
    const ParseCase cases[] = {
        {"title and file",
         "[Preset 01]\r\nTitle=Woofer\r\nFilename=/m/woofer.mst\r\n",
         {{"Woofer", "/m/woofer.mst"}}},
        {"title without file name", "Title=Only a title\r\n", {{"Only a title", ""}}},
        {"file name without title moves on",
         "Filename=/a.mst\nTitle=Second\nFilename=/b.mst\n",
         {{"", "/a.mst"}, {"Second", "/b.mst"}}},
        {"relative path", "Title=Rel\nFilename=sub/rel.mst\n", {{"Rel", "/cfg/dir/sub/rel.mst"}}},
        {"empty file name stays empty", "Title=E\nFilename=\nTitle=F\n", {{"E", ""}, {"F", ""}}},
        {"comments and blanks",
         "  \t; a comment\nTITLE=Tweeter ; the small one  \nfilename=  /t.mst\t\n",
         {{"Tweeter", "/t.mst"}}},
        {"'[' lines ignored",
         "[Title=Not]\nTitle=Yes\n[Filename=/no.mst]\nFilename=/yes.mst\n",
         {{"Yes", "/yes.mst"}}},
        {"stop after the tenth file name", ten, firstTen},
        {"long title bounded", "Title=" + std::string(2000, 'x') + "\n", {{std::string(255, 'x'), ""}}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PresetSlots slots = YPresets::Parse(c.text, "/cfg/dir");
        for (int i = 0; i < kPresetSlots; ++i) {
            const PresetSlot expected = i < int(c.expected.size()) ? c.expected[i] : PresetSlot{};
            EXPECT_EQ(slots[i].title, expected.title) << "slot " << i;
            EXPECT_EQ(slots[i].fileName, expected.fileName) << "slot " << i;
        }
    }
}

TEST(Presets, SavedFileReadsBackWithAbsoluteNamesAndMenuTexts) {
    platform::PrivateTempDir dir;
    const fs::path file = dir.Path() / "SXPRESET.CFG";
    {
        std::ofstream out(file);
        out << "Title=Near field\nFilename=near.mst\nFilename=/abs/x.mst\n";
    }
    YPresets presets(file);
    ASSERT_TRUE(presets.Load());
    EXPECT_EQ(presets.FileName(0), (dir.Path() / "near.mst").string());
    EXPECT_EQ(presets.MenuText(0), "Near field\t#1");
    EXPECT_EQ(presets.MenuText(1), "Undefined Preset\t#2");
    EXPECT_TRUE(presets.IsEnabled(0));
    EXPECT_FALSE(presets.IsEnabled(1));
    ASSERT_TRUE(presets.Save());
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind("; SXPRESET.CFG - Sonbex Analyzer 3 Presets File\r\n;\r\n", 0), 0u);
    EXPECT_NE(text.find("[Preset 01]\r\nTitle=Near field\r\nFilename=" + (dir.Path() / "near.mst").string() +
                        "\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Preset 10]\r\nTitle=\r\nFilename=\r\n\r\n; End Of File\r\n"), std::string::npos);
    YPresets again(file);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Slots(), presets.Slots());

    YPresets missing(dir.Path() / "none.cfg");
    EXPECT_FALSE(missing.Load());
    EXPECT_EQ(missing.Slots(), PresetSlots{});
}

TEST(Presets, RunAsksAboutUnsavedChangesThenOpensAndStarts) {
    platform::PrivateTempDir dir;
    platform::RecordingPrompt prompt;
    YWaveformModules modules{YWaveformModules::Options{}};
    ASSERT_TRUE(modules.Init(44100.0, 2, 2, 16, 1, 1.0, 1.0));
    MeasSettings settings({nullptr, &modules, &prompt});
    settings.Edit().SetF64(off::kStop, 12000.0);
    const fs::path mst = dir.Path() / "Preset.MST";
    ASSERT_TRUE(settings.SaveFile(mst));
    settings.Edit().SetF64(off::kStop, 20000.0);

    YPresets presets;
    PresetSlots slots{};
    slots[0] = {"Woofer", mst.string()};
    slots[1] = {"Text", (dir.Path() / "notes.txt").string()};
    slots[2] = {"Gone", (dir.Path() / "gone.mst").string()};
    presets.SetSlots(slots);
    std::vector<std::string> started;
    auto start = [&](const std::string& t) { started.push_back(t); };

    EXPECT_FALSE(presets.Run(1, settings, prompt, start)) << "not an .mst file";
    EXPECT_FALSE(presets.Run(2, settings, prompt, start)) << "missing file";
    settings.MarkChanged();
    prompt.Script(platform::PromptAnswer::Yes);
    EXPECT_FALSE(presets.Run(0, settings, prompt, start)) << "Yes: the user saves first";
    EXPECT_EQ(settings.Config().StopFrequency(), 20000.0);
    prompt.Script(platform::PromptAnswer::No);
    EXPECT_TRUE(presets.Run(0, settings, prompt, start));
    EXPECT_EQ(settings.Config().StopFrequency(), 12000.0);
    EXPECT_EQ(started, std::vector<std::string>{"Woofer"});
    ASSERT_EQ(prompt.Prompts().size(), 2u);
    EXPECT_EQ(prompt.Prompts()[0].text, kSaveFirstQuestion);
    EXPECT_TRUE(prompt.Unexpected().empty());
}

}  // namespace
}  // namespace sonbex::measurement
