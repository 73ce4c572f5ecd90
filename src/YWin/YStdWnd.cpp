#include "YWin/YStdWnd.h"

#include "YWin/IGraphWnd.h"
#include "YWin/QPainterCanvas.h"
#include "YWin/YMDIWnd.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>

namespace sonbex::ywin {

YStdWnd::YStdWnd(QWidget* parent) : QWidget(parent) {}

QMdiSubWindow* YStdWnd::Create(YMDIWnd& frame, const QString& title, const QIcon& icon) {
    if (SubWindow()) return nullptr;
    QMdiSubWindow* sub = frame.MdiArea()->addSubWindow(this);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(title);
    if (!icon.isNull()) sub->setWindowIcon(icon);
    setWindowTitle(title);
    sub->show();
    frame.MdiArea()->setActiveSubWindow(sub);
    return sub;
}

QMdiSubWindow* YStdWnd::SubWindow() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

IGraphWnd* YStdWnd::Graph() { return dynamic_cast<IGraphWnd*>(this); }

void YStdWnd::closeEvent(QCloseEvent* event) {
    if (QueryClose())
        event->accept();
    else
        event->ignore();
}

void YStdWnd::paintEvent(QPaintEvent* event) {
    IGraphWnd* graph = Graph();
    if (!graph) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    RenderToPainter(*graph, painter, {0, 0, width(), height()}, kDrawScreen);
}

}  // namespace sonbex::ywin
