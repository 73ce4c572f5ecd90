#pragma once
// The tip of the day (dialog 102): one tip in 20-point bold Arial on white,
// "&Next Tip", and a check box bound to "show the tip of the day at
// start-up". Showing a tip stores the index of the next one in the global
// configuration. Without tips the dialog does not open.
// Threads: the GUI thread only.

#include "Sonbex/Shell/GlobalConfig.h"
#include "YWin/YDial.h"

#include <string>
#include <vector>

class QCheckBox;
class QLabel;

namespace sonbex::shell {

class TipsDialog : public ywin::YDial {
    Q_OBJECT
public:
    // `config` must outlive the dialog.
    TipsDialog(std::vector<std::string> tips, GlobalConfig& config, QWidget* parent = nullptr);

    // Opens the dialog (modal or not); false, and nothing shown, when there are no tips.
    bool Open(bool modal);
    void ShowNextTip();
    QString CurrentTip() const;

protected:
    void OnInit() override;
    void OnEnd(int result) override;

private:
    void ShowTip(std::size_t index);

    std::vector<std::string> tips_;
    GlobalConfig& config_;
    std::size_t shown_ = 0;
    QLabel* tip_;
    QCheckBox* showAtStart_;
};

}  // namespace sonbex::shell
