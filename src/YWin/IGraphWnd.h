#pragma once
// What every document window offers the application: menu state (undo,
// save, clipboard, QC limits), drawing into any canvas (screen, picture,
// printer, clipboard, the headless program), and the names that printing and
// the page header show. Qt-free: document models implement it without Qt.
// Threads: the GUI thread (or the headless program's one thread).

#include "YWin/ICanvas.h"

#include <optional>
#include <string>

namespace sonbex::ywin {

class YGraphics;

// Flags of IGraphWnd::Draw.
enum DrawFlag : unsigned {
    kDrawScreen = 0,
    kDrawPrinting = 0x1,  // a printer or print preview
    kDrawPicture = 0x2,   // a picture export or the clipboard
    kDrawMonochrome = 0x4,
};

// The acquisition time of a data set, as stored with it (local time).
struct YDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    bool operator==(const YDateTime&) const = default;
};

class IGraphWnd {
public:
    virtual ~IGraphWnd() = default;

    virtual bool CanUndo() const { return false; }
    virtual bool IsModified() const { return false; }
    virtual bool CanSave() const { return false; }
    virtual bool CanSaveLimits() const { return false; }
    virtual bool CanSaveSweepTable() const { return false; }
    virtual bool CanCut() const { return false; }
    virtual bool CanCopy() const { return true; }
    virtual bool CanPaste() const { return false; }
    virtual bool CanUseLimits() const { return false; }
    // Draws the document into `area` of the graphics' canvas.
    virtual void Draw(YGraphics& graphics, const YRect& area, unsigned flags) = 0;
    // The rectangle used for drawing and copying (the client area).
    virtual YRect GetRect() const = 0;
    virtual bool IsDesign() const { return false; }  // box design and crossover schematic
    virtual void OnCopied() {}
    virtual std::string KindName() const = 0;  // "Frequency Curve", "Impulse", "Box Design" ...
    virtual std::string Title() const = 0;
    virtual std::string SubKindName() const { return {}; }  // "Measurement", "Schematic" ...
    virtual std::optional<YDateTime> AcquireTime() const { return std::nullopt; }
};

}  // namespace sonbex::ywin
