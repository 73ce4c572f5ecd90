#pragma once
// The selection dialogs over the curve sets of a frequency graph: "Select a
// curve ..." (one set), "Save selected curve(s)", "Select visible curve(s)"
// and "Close selected curve(s)" (several). Each line reads "%2d:\t%s%c": the
// position, the title and '*' for a set that is not saved.
// Threads: the GUI thread only.

#include "Sonbex/Curves/FreqCurveList.h"
#include "YWin/YDial.h"

#include <vector>

class QListWidget;

namespace sonbex::curves {

class FreqCurveListDialog : public ywin::YDial {
    Q_OBJECT
public:
    enum class Purpose { Select, Save, Visible, Close };

    // `list` must outlive the dialog. Visible starts with the visible sets
    // picked and OK applies the choice to the sets; the others only report it.
    FreqCurveListDialog(FreqCurveList& list, Purpose purpose, QWidget* parent = nullptr);

    static QString Caption(Purpose purpose);
    // The sets picked when the dialog ended with OK (in list order).
    const std::vector<std::size_t>& Picked() const { return picked_; }
    QListWidget* List() const { return lines_; }

protected:
    void OnInit() override;
    void OnEnd(int result) override;

private:
    FreqCurveList& list_;
    Purpose purpose_;
    QListWidget* lines_;
    std::vector<std::size_t> picked_;
};

}  // namespace sonbex::curves
