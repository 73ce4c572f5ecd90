#pragma once
// Bookkeeping of the frame's MDI children: tile, cascade, close all, the
// active document, and the graph interface of a window.
// Threads: the GUI thread only.

#include <QMdiArea>

#include <vector>

namespace sonbex::ywin {

class IGraphWnd;
class YStdWnd;

class YMDIWnd {
public:
    explicit YMDIWnd(QMdiArea* area) : area_(area) {}
    virtual ~YMDIWnd() = default;

    QMdiArea* MdiArea() const { return area_; }
    void Tile() { area_->tileSubWindows(); }
    void Cascade() { area_->cascadeSubWindows(); }
    // Asks every document to close, the active one first; stops at the first
    // that refuses and returns false (the rest stay open).
    bool CloseAll();
    // The document that has (or last had) the focus; null when there is none.
    YStdWnd* ActiveChild() const;
    std::vector<YStdWnd*> Children() const;
    // The document interface of a window (or of the document inside an MDI
    // child); null for anything else.
    static IGraphWnd* FindObject(QWidget* window);
    IGraphWnd* ActiveGraph() const;

private:
    QMdiArea* area_;
};

}  // namespace sonbex::ywin
