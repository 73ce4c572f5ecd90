#pragma once
// The drawing wrapper documents use: a current pen, brush, font and text
// colour over an ICanvas, a current position for MoveTo/LineTo, and point
// lists (YPolygon). Qt-free and header-only. Monochrome canvases get every
// colour except white as black.
// Threads: one YGraphics per drawing, on the drawing thread.

#include "YWin/ICanvas.h"

#include <utility>

namespace sonbex::ywin {

class YPolygon {
public:
    void Add(int x, int y) { points_.push_back({x, y}); }
    void Add(YPoint p) { points_.push_back(p); }
    void Clear() { points_.clear(); }
    std::size_t Size() const { return points_.size(); }
    bool Empty() const { return points_.empty(); }
    const std::vector<YPoint>& Points() const { return points_; }

private:
    std::vector<YPoint> points_;
};

class YGraphics {
public:
    explicit YGraphics(ICanvas& canvas) : canvas_(canvas), mono_(canvas.IsMonochrome()) {
        canvas_.SetPen(pen_);
        canvas_.SetBrush(brush_);
        canvas_.SetFont(font_);
    }

    ICanvas& Canvas() { return canvas_; }
    YRect Bounds() const { return canvas_.Bounds(); }
    bool IsMonochrome() const { return mono_; }

    // Returns the previous pen (brush, font) so a caller can put it back.
    YPen SetPen(YPen pen) {
        pen.color = Device(pen.color);
        canvas_.SetPen(pen);
        return std::exchange(pen_, pen);
    }
    YPen SetPen(YColor color, int width = 1, PenStyle style = PenStyle::Solid) {
        return SetPen(YPen{color, width, style});
    }
    YBrush SetBrush(YBrush brush) {
        brush.color = Device(brush.color);
        canvas_.SetBrush(brush);
        return std::exchange(brush_, brush);
    }
    YBrush SetBrush(YColor color) { return SetBrush(YBrush{color, false}); }
    YBrush SetHollowBrush() { return SetBrush(YBrush{0, true}); }
    YFont SetFont(YFont font) {
        canvas_.SetFont(font);
        return std::exchange(font_, std::move(font));
    }
    YColor SetTextColor(YColor color) { return std::exchange(textColor_, Device(color)); }
    const YPen& Pen() const { return pen_; }
    const YBrush& Brush() const { return brush_; }
    const YFont& Font() const { return font_; }

    void MoveTo(int x, int y) { pos_ = {x, y}; }
    void LineTo(int x, int y) {
        canvas_.Line(pos_, {x, y});
        pos_ = {x, y};
    }
    void Line(int x1, int y1, int x2, int y2) {
        canvas_.Line({x1, y1}, {x2, y2});
        pos_ = {x2, y2};
    }
    void Polyline(const YPolygon& poly) {
        if (poly.Size() >= 2) canvas_.Polyline(poly.Points());
    }
    void Polygon(const YPolygon& poly) {
        if (poly.Size() >= 3) canvas_.Polygon(poly.Points());
    }
    void Rectangle(const YRect& r) { canvas_.Rectangle(r); }
    void Ellipse(const YRect& r) { canvas_.Ellipse(r); }
    void FillRect(const YRect& r, YColor color) { canvas_.FillRect(r, Device(color)); }
    void Text(int x, int y, std::string_view utf8, unsigned align = kAlignLeft | kAlignTop) {
        canvas_.Text({x, y}, utf8, align, textColor_);
    }
    YTextSize MeasureText(std::string_view utf8) const { return canvas_.MeasureText(utf8); }
    // Pixels of 0xFF00FF are left out.
    void Bitmap(const YBitmap& bitmap, const YRect& target) { canvas_.Bitmap(bitmap, target, true); }
    void OpaqueBitmap(const YBitmap& bitmap, const YRect& target) { canvas_.Bitmap(bitmap, target, false); }
    void SetClip(const YRect& r) { canvas_.SetClip(r); }
    void ResetClip() { canvas_.ResetClip(); }

private:
    YColor Device(YColor c) const { return mono_ && c != 0xFFFFFF ? 0 : c; }

    ICanvas& canvas_;
    bool mono_;
    YPen pen_;
    YBrush brush_;
    YFont font_;
    YColor textColor_ = 0;
    YPoint pos_;
};

}  // namespace sonbex::ywin
