#include "YWin/YMDIWnd.h"

#include "YWin/IGraphWnd.h"
#include "YWin/YStdWnd.h"

#include <QMdiSubWindow>
#include <QPointer>

namespace sonbex::ywin {

bool YMDIWnd::CloseAll() {
    // Closing deletes windows, so work on guarded pointers.
    std::vector<QPointer<QMdiSubWindow>> subs;
    if (QMdiSubWindow* current = area_->currentSubWindow()) subs.emplace_back(current);
    for (QMdiSubWindow* sub : area_->subWindowList())
        if (sub != area_->currentSubWindow()) subs.emplace_back(sub);
    for (const QPointer<QMdiSubWindow>& sub : subs)
        if (sub && !sub->close()) return false;
    return true;
}

YStdWnd* YMDIWnd::ActiveChild() const {
    QMdiSubWindow* sub = area_->currentSubWindow();
    return sub ? qobject_cast<YStdWnd*>(sub->widget()) : nullptr;
}

std::vector<YStdWnd*> YMDIWnd::Children() const {
    std::vector<YStdWnd*> out;
    for (QMdiSubWindow* sub : area_->subWindowList())
        if (auto* w = qobject_cast<YStdWnd*>(sub->widget())) out.push_back(w);
    return out;
}

IGraphWnd* YMDIWnd::FindObject(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window)) window = sub->widget();
    return dynamic_cast<IGraphWnd*>(window);
}

IGraphWnd* YMDIWnd::ActiveGraph() const { return FindObject(ActiveChild()); }

}  // namespace sonbex::ywin
