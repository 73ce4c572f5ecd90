#pragma once
// A canvas for tests: records every drawing call as one line of text
// ("line 0,0 10,10", "text 5,5 a=0 c=0x000000 'Hello'") plus the state in
// force, so a test can check what a document drew without pixels.
// Text is measured as 0.6 x font height per byte, one font height high.
// Qt-free and header-only.

#include "YWin/ICanvas.h"

#include <cstdio>
#include <string>
#include <vector>

namespace sonbex::ywin {

class RecordingCanvas : public ICanvas {
public:
    explicit RecordingCanvas(YRect bounds = {0, 0, 640, 480}, bool monochrome = false)
        : bounds_(bounds), mono_(monochrome) {}

    const std::vector<std::string>& Ops() const { return ops_; }
    void Clear() { ops_.clear(); }
    // Ops that start with `prefix` ("line", "text", "pen" ...).
    std::vector<std::string> OpsOf(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const auto& op : ops_)
            if (op.compare(0, prefix.size(), prefix) == 0) out.push_back(op);
        return out;
    }
    const YPen& CurrentPen() const { return pen_; }
    const YBrush& CurrentBrush() const { return brush_; }
    const YFont& CurrentFont() const { return font_; }

    YRect Bounds() const override { return bounds_; }
    bool IsMonochrome() const override { return mono_; }
    void SetPen(const YPen& pen) override {
        pen_ = pen;
        Add("pen " + Hex(pen.color) + " w=" + std::to_string(pen.width) +
            " s=" + std::to_string(static_cast<int>(pen.style)));
    }
    void SetBrush(const YBrush& brush) override {
        brush_ = brush;
        Add(brush.hollow ? std::string("brush hollow") : "brush " + Hex(brush.color));
    }
    void SetFont(const YFont& font) override {
        font_ = font;
        Add("font '" + font.face + "' h=" + std::to_string(font.pixelHeight) + (font.bold ? " bold" : "") +
            (font.italic ? " italic" : "") + " a=" + std::to_string(font.angleTenths));
    }
    void Line(YPoint a, YPoint b) override { Add("line " + P(a) + " " + P(b)); }
    void Polyline(const std::vector<YPoint>& pts) override { Add("polyline" + Ps(pts)); }
    void Polygon(const std::vector<YPoint>& pts) override { Add("polygon" + Ps(pts)); }
    void Rectangle(const YRect& r) override { Add("rect " + R(r)); }
    void Ellipse(const YRect& r) override { Add("ellipse " + R(r)); }
    void FillRect(const YRect& r, YColor c) override { Add("fill " + R(r) + " " + Hex(c)); }
    void Text(YPoint at, std::string_view utf8, unsigned align, YColor c) override {
        Add("text " + P(at) + " a=" + std::to_string(align) + " c=" + Hex(c) + " '" + std::string(utf8) +
            "'");
    }
    YTextSize MeasureText(std::string_view utf8) const override {
        return {static_cast<int>(utf8.size() * font_.pixelHeight * 6 / 10), font_.pixelHeight};
    }
    void Bitmap(const YBitmap& b, const YRect& target, bool transparent) override {
        Add("bitmap " + std::to_string(b.width) + "x" + std::to_string(b.height) + " " + R(target) +
            (transparent ? " transparent" : ""));
    }
    void SetClip(const YRect& r) override { Add("clip " + R(r)); }
    void ResetClip() override { Add("noclip"); }

private:
    void Add(std::string op) { ops_.push_back(std::move(op)); }
    static std::string P(YPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    static std::string R(const YRect& r) { return P({r.left, r.top}) + " " + P({r.right, r.bottom}); }
    static std::string Ps(const std::vector<YPoint>& pts) {
        std::string s;
        for (const auto& p : pts) s += " " + P(p);
        return s;
    }
    static std::string Hex(YColor c) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c));
        return buf;
    }

    YRect bounds_;
    bool mono_;
    YPen pen_;
    YBrush brush_;
    YFont font_;
    std::vector<std::string> ops_;
};

}  // namespace sonbex::ywin
