#pragma once
// The colour chooser of the desktop program: QColorDialog on the GUI thread
// (a worker's request is marshalled; cancelled while shutdown is under way).
// Threads: ChooseColor from any thread.

#include "YWin/IColorChooser.h"

#include <QPointer>
#include <QWidget>

namespace sonbex::ywin {

class YGuiBridge;

class YColorSelect : public IColorChooser {
public:
    explicit YColorSelect(YGuiBridge& bridge, QWidget* parent = nullptr) : bridge_(bridge), parent_(parent) {}
    std::optional<YColor> ChooseColor(YColor initial, const std::string& title) override;

private:
    YGuiBridge& bridge_;
    QPointer<QWidget> parent_;
};

}  // namespace sonbex::ywin
