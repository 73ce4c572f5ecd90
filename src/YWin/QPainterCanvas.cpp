#include "YWin/QPainterCanvas.h"

#include "YWin/IGraphWnd.h"
#include "YWin/YGraphics.h"

#include "Platform/AtomicFile.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPolygon>
#include <QSvgGenerator>

namespace sonbex::ywin {
namespace {

QPoint Q(YPoint p) { return {p.x, p.y}; }
QRect Q(const YRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }
QPolygon Q(const std::vector<YPoint>& pts) {
    QPolygon poly;
    poly.reserve(static_cast<int>(pts.size()));
    for (const YPoint& p : pts) poly << Q(p);
    return poly;
}

Qt::PenStyle Q(PenStyle s) {
    switch (s) {
        case PenStyle::Solid:
            return Qt::SolidLine;
        case PenStyle::Dash:
            return Qt::DashLine;
        case PenStyle::Dot:
            return Qt::DotLine;
        case PenStyle::DashDot:
            return Qt::DashDotLine;
        case PenStyle::None:
            return Qt::NoPen;
    }
    return Qt::SolidLine;
}

}  // namespace

QColor ToQColor(YColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
YColor FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

QImage ToQImage(const YBitmap& b, bool transparent) {
    if (!b.IsValid()) return {};
    QImage img(b.width, b.height, QImage::Format_ARGB32);
    for (int y = 0; y < b.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < b.width; ++x) {
            YColor c = b.pixels[static_cast<std::size_t>(y) * b.width + x];
            line[x] = transparent && c == kTransparentColor ? qRgba(0, 0, 0, 0)
                                                            : qRgb(RedOf(c), GreenOf(c), BlueOf(c));
        }
    }
    return img;
}

QPainterCanvas::QPainterCanvas(QPainter& painter, YRect bounds, bool monochrome)
    : painter_(painter), bounds_(bounds), mono_(monochrome) {}

void QPainterCanvas::SetPen(const YPen& pen) {
    QPen p(ToQColor(pen.color));
    p.setWidth(pen.width);
    p.setStyle(Q(pen.style));
    painter_.setPen(p);
}

void QPainterCanvas::SetBrush(const YBrush& brush) {
    painter_.setBrush(brush.hollow ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.color)));
}

void QPainterCanvas::SetFont(const YFont& font) {
    QFont f(QString::fromStdString(font.face));
    f.setPixelSize(std::max(1, font.pixelHeight));
    f.setBold(font.bold);
    f.setItalic(font.italic);
    painter_.setFont(f);
    angleTenths_ = font.angleTenths;
}

void QPainterCanvas::Line(YPoint from, YPoint to) { painter_.drawLine(Q(from), Q(to)); }
void QPainterCanvas::Polyline(const std::vector<YPoint>& pts) { painter_.drawPolyline(Q(pts)); }
void QPainterCanvas::Polygon(const std::vector<YPoint>& pts) { painter_.drawPolygon(Q(pts)); }
void QPainterCanvas::Rectangle(const YRect& r) { painter_.drawRect(Q(r)); }
void QPainterCanvas::Ellipse(const YRect& r) { painter_.drawEllipse(Q(r)); }
void QPainterCanvas::FillRect(const YRect& r, YColor c) { painter_.fillRect(Q(r), ToQColor(c)); }

void QPainterCanvas::Text(YPoint anchor, std::string_view utf8, unsigned align, YColor color) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QFontMetrics fm(painter_.font());
    int w = fm.horizontalAdvance(text);
    int x = 0, y = fm.ascent();  // offsets from the anchor to the baseline start
    if (align & kAlignRight)
        x = -w;
    else if (align & kAlignHCenter)
        x = -w / 2;
    if (align & kAlignBaseline)
        y = 0;
    else if (align & kAlignBottom)
        y = -fm.descent();
    else if (align & kAlignVCenter)
        y = (fm.ascent() - fm.descent()) / 2;
    QPen old = painter_.pen();
    painter_.setPen(ToQColor(color));
    painter_.save();
    painter_.translate(anchor.x, anchor.y);
    if (angleTenths_ != 0) painter_.rotate(-angleTenths_ / 10.0);
    painter_.drawText(x, y, text);
    painter_.restore();
    painter_.setPen(old);
}

YTextSize QPainterCanvas::MeasureText(std::string_view utf8) const {
    QFontMetrics fm(painter_.font());
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return {fm.horizontalAdvance(text), fm.height()};
}

void QPainterCanvas::Bitmap(const YBitmap& bitmap, const YRect& target, bool transparent) {
    QImage img = ToQImage(bitmap, transparent);
    if (!img.isNull())
        painter_.drawImage(QRect(target.left, target.top, target.Width(), target.Height()), img);
}

void QPainterCanvas::SetClip(const YRect& r) {
    painter_.setClipRect(QRect(r.left, r.top, r.Width(), r.Height()));
}
void QPainterCanvas::ResetClip() { painter_.setClipping(false); }

void RenderToPainter(IGraphWnd& doc, QPainter& painter, const YRect& area, unsigned flags) {
    QPainterCanvas canvas(painter, area, (flags & kDrawMonochrome) != 0);
    YGraphics g(canvas);
    doc.Draw(g, area, flags);
}

QImage RenderToImage(IGraphWnd& doc, int width, int height, unsigned flags) {
    QImage img(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    RenderToPainter(doc, painter, {0, 0, img.width(), img.height()}, flags | kDrawPicture);
    return img;
}

bool RenderToSvg(IGraphWnd& doc, const QString& file, int width, int height, const QString& title) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    RenderToPainter(doc, painter, {0, 0, width, height}, kDrawPicture);
    if (!painter.end()) return false;
    const QByteArray& bytes = buffer.data();
    return platform::WriteFileAtomically(
        file.toStdString(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace sonbex::ywin
