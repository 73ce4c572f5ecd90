// The curve list of a frequency graph: unique titles, the 255-set limit,
// colour slots, append and replace.

#include "Sonbex/Curves/FreqCurveList.h"

#include "Platform/RecordingPrompt.h"

#include <gtest/gtest.h>

namespace sonbex::curves {
namespace {

struct Result {
    YDoubleVec f{3}, mag{3};
    CurveInput in;
    Result() {
        f[0] = 100;
        f[1] = 200;
        f[2] = 400;
        in.frequency = &f;
        in.magnitude = &mag;
    }
};

void Add(FreqCurveList& list, const std::string& title, bool append = true,
         platform::IPrompt* prompt = nullptr) {
    Result r;
    ASSERT_TRUE(list.AddCurve(title, nullptr, r.in, nullptr, append, true, prompt)) << title;
}

TEST(FreqCurveList, UniqueTitles) {
    const std::string long255(255, 'x');
    struct Case {
        const char* name;
        std::vector<std::string> existing;
        std::string title;
        std::string expected;
    } cases[] = {
        {"free", {"Tweeter"}, "Woofer", "Woofer"},
        {"taken", {"Woofer"}, "Woofer", "Woofer (1)"},
        {"case-insensitive", {"Woofer", "woofer (1)"}, "Woofer", "Woofer (2)"},
        {"gap is used", {"Woofer", "Woofer (2)"}, "WOOFER", "WOOFER (1)"},
        {"empty title", {""}, "", " (1)"},
        {"long title fits its field", {long255}, long255, std::string(251, 'x') + " (1)"},
    };
    for (const Case& c : cases) {
        FreqCurveList list;
        for (const std::string& t : c.existing) Add(list, t);
        // Added with the existing titles as they are.
        for (std::size_t i = 0; i < c.existing.size(); ++i)
            ASSERT_EQ(list[i].Title(), c.existing[i]) << c.name;
        Add(list, c.title);
        EXPECT_EQ(list[list.Size() - 1].Title(), c.expected) << c.name;
        EXPECT_LE(list[list.Size() - 1].Title().size(), kTitleFieldSize - 1) << c.name;
    }
}

TEST(FreqCurveList, ReplaceKeepsItsOwnTitleAndColour) {
    FreqCurveList list;
    Add(list, "A");
    Add(list, "B");
    Add(list, "B", false);  // replaces the last set: no clash with itself
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list[1].Title(), "B");
    EXPECT_EQ(list[1].ColourIndex(), 1);
}

TEST(FreqCurveList, NextColourIndex) {
    FreqCurveList list;
    for (int i = 0; i < 7; ++i) Add(list, "c");
    std::vector<int> colours;
    for (std::size_t i = 0; i < list.Size(); ++i) colours.push_back(list[i].ColourIndex());
    EXPECT_EQ(colours, (std::vector<int>{0, 1, 2, 3, 4, 5, 0}));
    list.Remove(2);  // slot 2 is free again
    EXPECT_EQ(list.NextColourIndex(), 2);
}

TEST(FreqCurveList, The256thSetTakesTheOldestSavedOne) {
    FreqCurveList list;
    for (int i = 0; i < 255; ++i) Add(list, "s" + std::to_string(i));
    list[3].MarkSaved(true);
    list[7].MarkSaved(true);
    Add(list, "new");
    ASSERT_EQ(list.Size(), 255u);
    EXPECT_EQ(list[3].Title(), "s4");  // s3, the oldest saved set, went
    EXPECT_EQ(list[254].Title(), "new");
    EXPECT_EQ(list[0].Title(), "s0");  // the unsaved oldest stays
}

TEST(FreqCurveList, The256thSetAsksBeforeAnUnsavedOneGoes) {
    FreqCurveList list;
    for (int i = 0; i < 255; ++i) Add(list, "s" + std::to_string(i));
    Result r;
    // Nobody to ask: refused, nothing lost.
    EXPECT_FALSE(list.AddCurve("new", nullptr, r.in, nullptr, true, true, nullptr));
    EXPECT_EQ(list[0].Title(), "s0");

    platform::RecordingPrompt prompt;
    prompt.Script(platform::PromptAnswer::No);
    EXPECT_FALSE(list.AddCurve("new", nullptr, r.in, nullptr, true, true, &prompt));
    EXPECT_EQ(list[0].Title(), "s0");
    prompt.Script(platform::PromptAnswer::Yes);
    EXPECT_TRUE(list.AddCurve("new", nullptr, r.in, nullptr, true, true, &prompt));
    EXPECT_EQ(list.Size(), 255u);
    EXPECT_EQ(list[0].Title(), "s1");
    EXPECT_EQ(list[254].Title(), "new");
    ASSERT_EQ(prompt.Prompts().size(), 2u);
    EXPECT_EQ(prompt.Prompts()[0].text, kReplaceUnsavedQuestion);
}

TEST(FreqCurveList, FailedResultLeavesTheListAsItWas) {
    FreqCurveList list;
    Add(list, "A");
    Result r;
    YDoubleVec bad(2);
    r.in.magnitude = &bad;  // shorter than the axis
    EXPECT_FALSE(list.AddCurve("B", nullptr, r.in, nullptr, true, true));
    EXPECT_EQ(list.Size(), 1u);
}

TEST(FreqCurveList, SelectionLines) {
    FreqCurveList list;
    Add(list, "Woofer");
    list[0].MarkSaved(true);
    Add(list, "Tweeter");
    EXPECT_EQ(SelectionLine(0, list[0]), " 1:\tWoofer ");
    EXPECT_EQ(SelectionLine(1, list[1]), " 2:\tTweeter*");
}

}  // namespace
}  // namespace sonbex::curves
