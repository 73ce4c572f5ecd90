#include "YWin/YHourglass.h"

#include <QApplication>
#include <QThread>

namespace sonbex::ywin {

YHourglass::YHourglass() {
    if (!qApp || QThread::currentThread() != qApp->thread()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    shown_ = true;
}

YHourglass::~YHourglass() {
    if (shown_) QApplication::restoreOverrideCursor();
}

}  // namespace sonbex::ywin
