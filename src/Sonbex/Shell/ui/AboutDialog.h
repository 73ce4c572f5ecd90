#pragma once
// The about box: product, edition, the version of this build and the Qt
// version it runs on.
// Threads: the GUI thread only.

#include "YWin/YDial.h"

namespace sonbex::shell {

class AboutDialog : public ywin::YDial {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    // "Sonbex Analyzer 3 Std\nVersion 3.0.0 ..." as shown.
    QString Text() const;

private:
    QString text_;
};

// "Version 3.0.0" of this build.
QString VersionText();

}  // namespace sonbex::shell
