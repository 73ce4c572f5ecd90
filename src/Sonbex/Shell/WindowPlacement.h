#pragma once
// Where the frame and the document windows go: the check of the stored main
// window rectangle against the desktop, and the tiling of document windows.
// Pure functions: safe from any thread.

#include <vector>

namespace sonbex::shell {

// left, top inclusive; right, bottom exclusive (as stored).
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// The stored rectangle when it is usable on `desktop`; otherwise the desktop
// inset on each side by a 32nd of its width (left, right) and height (top,
// bottom). Unusable: an extent below 1, larger than the desktop, or lying
// (all but 8 pixels) off any side of the desktop: right of it, below it,
// left of it or above it.
ScreenRect PlaceMainWindow(const ScreenRect& stored, const ScreenRect& desktop);

// Rectangles for `count` windows tiling `area`: side by side (columns) or one
// over the other (rows). Up to three windows share the area in one row or
// column; more are laid out in a grid of ceil(sqrt(count)) columns (rows),
// the last column (row) taking the remainder.
std::vector<ScreenRect> TileWindows(int count, const ScreenRect& area, bool sideBySide);

}  // namespace sonbex::shell
