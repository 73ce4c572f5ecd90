#pragma once
// A document window: the content of one MDI child of the frame. A document
// that implements IGraphWnd is painted through it (the same drawing routine
// as printing and picture export). The window deletes itself when closed.
// Threads: the GUI thread only; workers ask the frame through YGuiBridge.

#include <QIcon>
#include <QWidget>

class QMdiSubWindow;

namespace sonbex::ywin {

class IGraphWnd;
class YMDIWnd;

class YStdWnd : public QWidget {
    Q_OBJECT
public:
    explicit YStdWnd(QWidget* parent = nullptr);

    // Puts the window into the frame's MDI area and shows it; the MDI child
    // owns it from then on. Null when it is already placed.
    QMdiSubWindow* Create(YMDIWnd& frame, const QString& title, const QIcon& icon = {});
    QMdiSubWindow* SubWindow() const;
    IGraphWnd* Graph();

    // Asked before the window closes (its close box, "Close All", shutdown);
    // false keeps it open (e.g. unsaved changes and the user cancelled).
    virtual bool QueryClose() { return true; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace sonbex::ywin
