#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Platform/StderrPrompt.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace sonbex::platform {
namespace {

TEST(Prompt, SafeAnswerIsCancelThenNoThenOk) {
    struct Case {
        PromptButtons buttons;
        PromptAnswer safe;
    };
    const Case cases[] = {{PromptButtons::Ok, PromptAnswer::Ok},
                          {PromptButtons::OkCancel, PromptAnswer::Cancel},
                          {PromptButtons::YesNo, PromptAnswer::No},
                          {PromptButtons::YesNoCancel, PromptAnswer::Cancel},
                          {PromptButtons::RetryCancel, PromptAnswer::Cancel}};
    for (const Case& c : cases) {
        EXPECT_EQ(SafeAnswer(c.buttons), c.safe) << static_cast<int>(c.buttons);
        EXPECT_TRUE(Offers(c.buttons, c.safe));
    }
    EXPECT_FALSE(Offers(PromptButtons::YesNo, PromptAnswer::Ok));
    EXPECT_FALSE(Offers(PromptButtons::OkCancel, PromptAnswer::Retry));
}

TEST(Prompt, StderrPromptPrintsCaptionAndTextAndTakesTheSafeAnswer) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    StderrPrompt prompt(out);
    EXPECT_EQ(prompt.Show("Overwrite ? ", PromptIcon::Question, PromptButtons::YesNo), PromptAnswer::No);
    EXPECT_EQ(prompt.Show("Failed ! ", PromptIcon::Error, PromptButtons::Ok, "Sonbex 3 Error"),
              PromptAnswer::Ok);
    std::rewind(out);
    char buffer[256] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buffer, n), "Sonbex 3: Overwrite ? \nSonbex 3 Error: Failed ! \n");
}

TEST(Prompt, RecordingPromptAnswersFromItsScriptAndFlagsTheRest) {
    RecordingPrompt prompt;
    prompt.Script(PromptAnswer::Yes);
    prompt.Script(PromptAnswer::Retry);  // not a button of the second prompt
    EXPECT_EQ(prompt.Show("Save changes ? ", PromptIcon::Question, PromptButtons::YesNoCancel),
              PromptAnswer::Yes);
    EXPECT_EQ(prompt.Show("Continue ? ", PromptIcon::Question, PromptButtons::OkCancel),
              PromptAnswer::Cancel);
    EXPECT_EQ(prompt.Show("Done", PromptIcon::Information), PromptAnswer::Ok);  // nothing scripted
    ASSERT_EQ(prompt.Prompts().size(), 3u);
    EXPECT_EQ(prompt.Prompts()[0].caption, "Sonbex 3");
    EXPECT_EQ(prompt.Prompts()[0].text, "Save changes ? ");
    ASSERT_EQ(prompt.Unexpected().size(), 2u);
    EXPECT_EQ(prompt.Unexpected()[0].text, "Continue ? ");
    EXPECT_EQ(prompt.Unexpected()[1].text, "Done");
    EXPECT_EQ(prompt.UnusedScript(), 0u);
}

TEST(Prompt, RecordingPromptIsSafeFromManyThreads) {
    RecordingPrompt prompt;
    for (int i = 0; i < 400; ++i) prompt.Script(PromptAnswer::Ok);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i) prompt.Show("x");
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(prompt.Prompts().size(), 400u);
    EXPECT_TRUE(prompt.Unexpected().empty());
}

TEST(FileChooser, FilterStringsSplitIntoLabelsAndPatterns) {
    const auto filters =
        ParseFileFilter("Sonbex files (*.sxf)|*.sxf|Pictures|*.bmp;*.jpg|All files (*.*)|*.*|Dangling");
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].label, "Sonbex files (*.sxf)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.sxf"}));
    EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.bmp", "*.jpg"}));
    EXPECT_EQ(filters[2].patterns, (std::vector<std::string>{"*.*"}));
    EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST(FileChooser, ScriptedChooserRecordsRequestsAndAnswersInOrder) {
    ScriptedFileChooser chooser;
    chooser.Script("/data/a.sxf");
    chooser.ScriptCancel();
    chooser.Script("/data/out", 1);
    EXPECT_EQ(chooser.OpenFile("Open", "Sonbex files (*.sxf)|*.sxf"), std::filesystem::path("/data/a.sxf"));
    EXPECT_FALSE(chooser.SaveFile("Save", "Sonbex files (*.sxf)|*.sxf", "x.sxf", ".sxf"));
    const auto chosen = chooser.Choose({ChooserKind::SaveFile, "Export", "EMF|*.emf|JPEG|*.jpg", 0, {}, {}});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->filterIndex, 1);
    EXPECT_FALSE(chooser.ChooseFolder("Locate a temporary directory")) << "nothing left in the script";
    const auto requests = chooser.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].kind, ChooserKind::SaveFile);
    EXPECT_EQ(requests[1].defaultExtension, ".sxf");
    EXPECT_EQ(requests[3].kind, ChooserKind::Folder);
    ASSERT_EQ(chooser.Unexpected().size(), 1u);
    EXPECT_EQ(chooser.Unexpected()[0].title, "Locate a temporary directory");
}

}  // namespace
}  // namespace sonbex::platform
