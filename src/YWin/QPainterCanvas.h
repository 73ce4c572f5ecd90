#pragma once
// The canvas over a QPainter: the screen (paint events), pictures (QImage),
// SVG files (QSvgGenerator) and the printer all draw through it; and helpers
// that draw a document into a picture or an SVG file.
// Threads: QImage and SVG drawing work on any thread; widgets only on the GUI thread.

#include "YWin/ICanvas.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

namespace sonbex::ywin {

class IGraphWnd;

QColor ToQColor(YColor c);
YColor FromQColor(const QColor& c);
QImage ToQImage(const YBitmap& bitmap, bool transparent);

class QPainterCanvas : public ICanvas {
public:
    // The painter must be active and outlive the canvas; `bounds` is the area
    // the document may draw in (device coordinates).
    QPainterCanvas(QPainter& painter, YRect bounds, bool monochrome = false);

    YRect Bounds() const override { return bounds_; }
    bool IsMonochrome() const override { return mono_; }
    void SetPen(const YPen& pen) override;
    void SetBrush(const YBrush& brush) override;
    void SetFont(const YFont& font) override;
    void Line(YPoint from, YPoint to) override;
    void Polyline(const std::vector<YPoint>& points) override;
    void Polygon(const std::vector<YPoint>& points) override;
    void Rectangle(const YRect& rect) override;
    void Ellipse(const YRect& rect) override;
    void FillRect(const YRect& rect, YColor color) override;
    void Text(YPoint anchor, std::string_view utf8, unsigned align, YColor color) override;
    YTextSize MeasureText(std::string_view utf8) const override;
    void Bitmap(const YBitmap& bitmap, const YRect& target, bool transparent) override;
    void SetClip(const YRect& rect) override;
    void ResetClip() override;

private:
    QPainter& painter_;
    YRect bounds_;
    bool mono_;
    int angleTenths_ = 0;
};

// Draws `doc` into `area` of an active painter (a widget, a picture, the
// printer); kDrawMonochrome in `flags` makes the canvas monochrome.
void RenderToPainter(IGraphWnd& doc, QPainter& painter, const YRect& area, unsigned flags);
// Draws `doc` into a new picture of `width` x `height` pixels (white first).
QImage RenderToImage(IGraphWnd& doc, int width, int height, unsigned flags);
// Draws `doc` into an SVG file (written whole or not at all); false on failure.
bool RenderToSvg(IGraphWnd& doc, const QString& file, int width, int height, const QString& title);

}  // namespace sonbex::ywin
