#include "YWin/YToolIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace sonbex::ywin {
namespace {

class ToolIconEngine : public QIconEngine {
public:
    explicit ToolIconEngine(QIcon source) : source_(std::move(source)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `size` is in device pixels (QIcon passes the logical size times `scale`).
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        const QSize logical = scale > 0 ? (QSizeF(size) / scale).toSize() : size;
        QPixmap normal = source_.pixmap(logical, scale, QIcon::Normal, state);
        if (mode != QIcon::Disabled || normal.isNull()) return normal;
        QPixmap grey = QPixmap::fromImage(DisabledForm(normal.toImage()));
        grey.setDevicePixelRatio(normal.devicePixelRatio());
        return grey;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State state) override {
        return source_.actualSize(size, QIcon::Normal, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return source_.availableSizes(); }
    QIconEngine* clone() const override { return new ToolIconEngine(source_); }
    QString key() const override { return QStringLiteral("sonbex-tool-icon"); }
    bool isNull() override { return source_.isNull(); }

private:
    QIcon source_;
};

}  // namespace

QImage DisabledForm(const QImage& picture) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = line[x];
            const int grey = qGray(p);
            // Pale: the grey is lifted towards the light end, the picture faded.
            const int pale = 150 + grey * 90 / 255;
            line[x] = qRgba(pale, pale, pale, qAlpha(p) * 45 / 100);
        }
    }
    return out;
}

QIcon MakeToolIcon(const QIcon& source) { return QIcon(new ToolIconEngine(source)); }

}  // namespace sonbex::ywin
