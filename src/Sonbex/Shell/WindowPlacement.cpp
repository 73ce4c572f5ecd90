#include "Sonbex/Shell/WindowPlacement.h"

#include <cmath>

namespace sonbex::shell {

ScreenRect PlaceMainWindow(const ScreenRect& s, const ScreenRect& d) {
    constexpr int kMargin = 8;
    const bool unusable = s.Width() < 1 || s.Height() < 1 || s.Width() > d.Width() ||
                          s.Height() > d.Height() || s.left > d.right - kMargin ||
                          s.top > d.bottom - kMargin || s.right < d.left + kMargin ||
                          s.bottom < d.top + kMargin;
    if (!unusable) return s;
    const int dx = d.Width() / 32, dy = d.Height() / 32;
    return {d.left + dx, d.top + dy, d.right - dx, d.bottom - dy};
}

std::vector<ScreenRect> TileWindows(int count, const ScreenRect& area, bool sideBySide) {
    std::vector<ScreenRect> out;
    if (count <= 0) return out;
    // Lay out in "lanes" (columns side by side, rows over and under), each lane
    // split into cells along the other direction.
    const int lanes = count <= 3 ? count : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
    const int perLane = (count + lanes - 1) / lanes;
    const int along = sideBySide ? area.Width() : area.Height();
    const int across = sideBySide ? area.Height() : area.Width();
    int placed = 0;
    for (int lane = 0; lane < lanes && placed < count; ++lane) {
        const int cells = lane == lanes - 1 ? count - placed : perLane;
        const int a0 = along * lane / lanes, a1 = along * (lane + 1) / lanes;
        for (int cell = 0; cell < cells; ++cell) {
            const int c0 = across * cell / cells, c1 = across * (cell + 1) / cells;
            if (sideBySide)
                out.push_back({area.left + a0, area.top + c0, area.left + a1, area.top + c1});
            else
                out.push_back({area.left + c0, area.top + a0, area.left + c1, area.top + a1});
        }
        placed += cells;
    }
    return out;
}

}  // namespace sonbex::shell
