#include "Sonbex/Shell/ui/SplashScreen.h"

#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/ui/AboutDialog.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace sonbex::shell {

SplashScreen::SplashScreen(int showMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kSplashWidth, kSplashHeight);
    timer_.setSingleShot(true);
    timer_.setInterval(showMs);
    connect(&timer_, &QTimer::timeout, this, &QWidget::close);
}

void SplashScreen::ShowCentred() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - rect().center());
    }
    show();
    raise();
    timer_.start();
}

void SplashScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x10, 0x2a, 0x4a));
    sky.setColorAt(1, QColor(0x3a, 0x6e, 0xa5));
    p.fillRect(rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    // A loudspeaker cone as the emblem.
    p.setPen(QPen(QColor(0xe8, 0xee, 0xf5), 3));
    const QPointF centre(width() / 2.0, 120);
    for (int r : {70, 48, 22}) p.drawEllipse(centre, r, r);
    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(0, 200, width(), 40), Qt::AlignCenter, QString::fromUtf8(kProductTitle));
    QFont small = font();
    small.setPointSize(10);
    p.setFont(small);
    p.drawText(QRect(0, 245, width(), 24), Qt::AlignCenter, VersionText());
    p.setPen(QColor(0xc0, 0xd0, 0xe0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SplashScreen::mousePressEvent(QMouseEvent*) { close(); }

}  // namespace sonbex::shell
