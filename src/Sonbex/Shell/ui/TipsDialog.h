#pragma once
// The tip of the day (dialog 102): one tip in bold Arial on white, "&Next
// Tip", and a check box bound to "show the tip of the day at start-up".
// Showing a tip stores the index of the next one in the global configuration.
// Without tips the dialog does not open.
//
// The tip is set at 20 points when it fits the tip's box, else at the largest
// size down to 8 points at which it does, and its lines break only at blanks:
// a command or option ("sonbex3-cli --help") is never split.
// Threads: the GUI thread only.

#include "Sonbex/Shell/GlobalConfig.h"
#include "YWin/YDial.h"

#include <QFont>
#include <QStringList>

#include <string>
#include <vector>

class QCheckBox;
class QFontMetrics;
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
    // The lines the tip is shown in, and the font it is shown in.
    QStringList ShownLines() const;
    QFont TipFont() const;

    // The tip's words in lines no wider than `width` (as `metrics` measures),
    // broken at blanks only; a word wider than `width` stands on a line of its own.
    static QStringList BreakAtBlanks(const QString& text, const QFontMetrics& metrics, int width);

protected:
    void OnInit() override;
    void OnEnd(int result) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowTip(std::size_t index);
    void LayOutTip();

    std::vector<std::string> tips_;
    GlobalConfig& config_;
    std::size_t shown_ = 0;
    QLabel* tip_;
    QCheckBox* showAtStart_;
};

}  // namespace sonbex::shell
