#include "Sonbex/Shell/WindowPlacement.h"

#include <gtest/gtest.h>

namespace sonbex::shell {
namespace {

TEST(WindowPlacement, StoredRectangleIsCheckedAgainstTheDesktop) {
    const ScreenRect desk{0, 0, 1280, 1024};
    const ScreenRect inset{40, 32, 1240, 992};  // 1280/32 and 1024/32 from each side
    struct Case {
        const char* name;
        ScreenRect stored;
        ScreenRect placed;
    };
    const Case cases[] = {
        {"inside", {100, 50, 900, 700}, {100, 50, 900, 700}},
        {"whole desktop", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
        {"never stored", {-1, -1, -1, -1}, inset},
        {"empty width", {100, 100, 100, 500}, inset},
        {"wider than the desktop", {0, 0, 1281, 500}, inset},
        {"taller than the desktop", {0, 0, 500, 1025}, inset},
        {"beyond the right edge", {1273, 10, 1900, 500}, inset},
        {"just inside the right edge", {1272, 10, 1900, 500}, {1272, 10, 1900, 500}},
        {"below the bottom", {10, 1017, 500, 1400}, inset},
        {"left of the desktop", {-900, 10, 7, 500}, inset},
        {"just reaching in from the left", {-900, 10, 8, 500}, {-900, 10, 8, 500}},
        {"above the desktop", {10, -800, 500, 7}, inset},
        {"far off on a removed monitor", {-2000, 100, -1000, 700}, inset},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaceMainWindow(c.stored, desk), c.placed) << c.name;
    // A desktop not at the origin (a second monitor to the left).
    const ScreenRect wide{-1280, 0, 1280, 1024};
    EXPECT_EQ(PlaceMainWindow({-1000, 100, -300, 700}, wide), (ScreenRect{-1000, 100, -300, 700}));
    EXPECT_EQ(PlaceMainWindow({-1600, 100, -1273, 700}, wide), (ScreenRect{-1200, 32, 1200, 992}));
}

TEST(WindowPlacement, TilingCoversTheAreaWithoutOverlap) {
    const ScreenRect area{0, 0, 900, 600};
    for (bool sideBySide : {true, false}) {
        for (int n = 1; n <= 17; ++n) {
            const auto cells = TileWindows(n, area, sideBySide);
            ASSERT_EQ(static_cast<int>(cells.size()), n) << n;
            long covered = 0;
            for (std::size_t i = 0; i < cells.size(); ++i) {
                EXPECT_GT(cells[i].Width(), 0) << n;
                EXPECT_GT(cells[i].Height(), 0) << n;
                covered += long(cells[i].Width()) * cells[i].Height();
                for (std::size_t j = 0; j < i; ++j) {
                    const bool apart = cells[i].right <= cells[j].left || cells[j].right <= cells[i].left ||
                                       cells[i].bottom <= cells[j].top || cells[j].bottom <= cells[i].top;
                    EXPECT_TRUE(apart) << n << " windows: " << i << " overlaps " << j;
                }
            }
            EXPECT_EQ(covered, 900L * 600) << n << (sideBySide ? " side by side" : " over and under");
        }
    }
    const auto two = TileWindows(2, area, true);
    EXPECT_EQ(two[0], (ScreenRect{0, 0, 450, 600}));
    EXPECT_EQ(two[1], (ScreenRect{450, 0, 900, 600}));
    const auto rows = TileWindows(3, area, false);
    EXPECT_EQ(rows[2], (ScreenRect{0, 400, 900, 600}));
    EXPECT_TRUE(TileWindows(0, area, true).empty());
}

}  // namespace
}  // namespace sonbex::shell
