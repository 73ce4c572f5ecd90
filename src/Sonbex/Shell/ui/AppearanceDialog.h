#pragma once
// The Appearance dialog (191) of every graph window: the calling window's
// curve colours, one page per curve number ("Curve no."), and the global
// window colours, grid style and text font. Every change is applied at once
// through `repaintAll`; "&Close" ends the dialog, and the caller then stores
// its own colours (the pages it passed in are edited in place).
// Threads: the GUI thread only.

#include "Platform/IPrompt.h"
#include "Sonbex/Shell/AppearanceColors.h"
#include "YWin/IColorChooser.h"
#include "YWin/YDial.h"

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace sonbex::ywin {
class YIntSpinButton;
}

namespace sonbex::shell {

inline constexpr const char* kFontChoiceArial = " Arial";
inline constexpr const char* kFontChoiceTimes = " Times New Roman";

class AppearanceDialog : public ywin::YDial {
    Q_OBJECT
public:
    // `pages`, `config` and the services must outlive the dialog.
    AppearanceDialog(std::vector<ColorPage>& pages, GlobalConfig& config, ywin::IColorChooser& colors,
                     platform::IPrompt& prompt, std::function<void()> repaintAll, QWidget* parent = nullptr);

    int CurrentPage() const { return page_; }
    void ShowPage(int page);
    // What clicking the cells does (item of the current page; window colour 0..4).
    void EditCurveColor(int item);
    void EditWindowColor(int index);
    void RestoreCurves();
    void RestoreWindow();

protected:
    void OnInit() override;

private:
    void Refresh();
    void Changed();
    std::uint32_t* WindowColor(int index);

    std::vector<ColorPage>& pages_;
    GlobalConfig& config_;
    ywin::IColorChooser& colors_;
    platform::IPrompt& prompt_;
    std::function<void()> repaintAll_;
    int page_ = 0;
    std::vector<QPushButton*> curveCells_;
    std::vector<QLabel*> curveLabels_;
    std::vector<QPushButton*> windowCells_;
    QLabel* pageLabel_;
    ywin::YIntSpinButton* pageSpin_;
    QCheckBox* solidGrid_;
    QComboBox* font_;
};

}  // namespace sonbex::shell
