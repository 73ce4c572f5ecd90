#pragma once
// The abstract drawing surface every document draws on: the screen, a
// picture, the printer, an SVG file and the tests' recording canvas all
// implement it. Qt-free and header-only, so the Qt-free document models and
// the headless program draw through the same routine.
//
// Coordinates are device pixels (y downwards); colours are 0x00BBGGRR.
// Threads: a canvas is used by one thread at a time.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::ywin {

using YColor = std::uint32_t;  // 0x00BBGGRR
constexpr YColor Rgb(int r, int g, int b) {
    return static_cast<YColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(YColor c) { return c & 0xFF; }
constexpr int GreenOf(YColor c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(YColor c) { return (c >> 16) & 0xFF; }
// Pixels of this colour in a bitmap are not drawn.
inline constexpr YColor kTransparentColor = 0xFF00FF;

struct YPoint {
    int x = 0;
    int y = 0;
    bool operator==(const YPoint&) const = default;
};

struct YRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const YRect&) const = default;
};

enum class PenStyle { Solid, Dash, Dot, DashDot, None };
struct YPen {
    YColor color = 0;
    int width = 1;  // pixels; 0 is the thinnest line the device draws
    PenStyle style = PenStyle::Solid;
    bool operator==(const YPen&) const = default;
};

struct YBrush {
    YColor color = 0xFFFFFF;
    bool hollow = false;  // outlines only
    bool operator==(const YBrush&) const = default;
};

struct YFont {
    std::string face = "Arial";
    int pixelHeight = 13;
    bool bold = false;
    bool italic = false;
    int angleTenths = 0;  // counter-clockwise, tenths of a degree (vertical axis titles: 900)
    bool operator==(const YFont&) const = default;
};

// Text alignment relative to the anchor point, combined with |.
enum TextAlign : unsigned {
    kAlignLeft = 0,
    kAlignRight = 1,
    kAlignHCenter = 2,
    kAlignTop = 0,
    kAlignBottom = 4,
    kAlignVCenter = 8,
    kAlignBaseline = 16,
};

// A device-independent picture, rows from the top, pixels 0x00BBGGRR.
struct YBitmap {
    int width = 0;
    int height = 0;
    std::vector<YColor> pixels;  // width * height
    bool IsValid() const {
        return width > 0 && height > 0 && pixels.size() == static_cast<std::size_t>(width) * height;
    }
};

struct YTextSize {
    int width = 0;
    int height = 0;
};

class ICanvas {
public:
    virtual ~ICanvas() = default;

    virtual YRect Bounds() const = 0;  // the drawable area
    // Print previews and printers draw in black on white when monochrome.
    virtual bool IsMonochrome() const { return false; }

    virtual void SetPen(const YPen& pen) = 0;
    virtual void SetBrush(const YBrush& brush) = 0;
    virtual void SetFont(const YFont& font) = 0;

    virtual void Line(YPoint from, YPoint to) = 0;
    virtual void Polyline(const std::vector<YPoint>& points) = 0;
    // Outlined with the pen, filled with the brush.
    virtual void Polygon(const std::vector<YPoint>& points) = 0;
    virtual void Rectangle(const YRect& rect) = 0;
    virtual void Ellipse(const YRect& rect) = 0;
    // Filled with `color`, no outline.
    virtual void FillRect(const YRect& rect, YColor color) = 0;
    virtual void Text(YPoint anchor, std::string_view utf8, unsigned align, YColor color) = 0;
    virtual YTextSize MeasureText(std::string_view utf8) const = 0;
    // Scaled into `target`; pixels of `transparent` (when set) are skipped.
    virtual void Bitmap(const YBitmap& bitmap, const YRect& target, bool transparent) = 0;

    // Clipping to a rectangle, until ResetClip.
    virtual void SetClip(const YRect& rect) = 0;
    virtual void ResetClip() = 0;
};

}  // namespace sonbex::ywin
