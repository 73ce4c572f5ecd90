#include "Sonbex/Shell/TipsFile.h"

#include <gtest/gtest.h>

#include <fstream>

namespace sonbex::shell {
namespace {

TEST(TipsFile, LinesAreTrimmedAndEmptyOnesSkipped) {
    std::vector<std::string> tips = ParseTips("  first tip \r\n\r\n\t\t\nsecond\ttip\t\rthird\n   ");
    EXPECT_EQ(tips, (std::vector<std::string>{"first tip", "second\ttip", "third"}));
    EXPECT_TRUE(ParseTips("").empty());
    EXPECT_TRUE(ParseTips(" \n\t\r\n").empty());
}

TEST(TipsFile, LimitsOfCountAndLength) {
    std::string many;
    for (int i = 0; i < 1100; ++i) many += "tip " + std::to_string(i) + "\n";
    std::vector<std::string> tips = ParseTips(many);
    ASSERT_EQ(tips.size(), kMaxTips);
    EXPECT_EQ(tips.back(), "tip 1023");

    std::string longLine(kMaxTipLength - 1, 'x');
    longLine += "\xC3\xA9tail";  // a two-byte character across the limit
    tips = ParseTips(longLine);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0], std::string(kMaxTipLength - 1, 'x')) << "never half a character";
}

TEST(TipsFile, StoredIndexIsReducedAndNegativeStartsAtZero) {
    struct Case {
        std::int32_t stored;
        std::size_t count;
        std::optional<std::size_t> shown;
    };
    const Case cases[] = {
        {0, 3, 0},           {5, 3, 2}, {-1, 3, 0}, {-2147483647 - 1, 3, 0}, {7, 0, std::nullopt},
        {0, 0, std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(TipToShow(c.stored, c.count), c.shown) << "stored " << c.stored << " of " << c.count;
    EXPECT_EQ(NextTipIndex(2, 3), 0);
    EXPECT_EQ(NextTipIndex(0, 3), 1);
    EXPECT_EQ(NextTipIndex(0, 0), 0);
}

TEST(TipsFile, MissingOrEmptyFileGivesNoTips) {
    auto dir = std::filesystem::temp_directory_path() / ("sonbex-tips-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(LoadTips(dir / "missing.cfg").empty());
    std::ofstream(dir / "empty.cfg").close();
    EXPECT_TRUE(LoadTips(dir / "empty.cfg").empty());
    std::ofstream(dir / "two.cfg") << "one\r\ntwo\r\n";
    EXPECT_EQ(LoadTips(dir / "two.cfg"), (std::vector<std::string>{"one", "two"}));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sonbex::shell
