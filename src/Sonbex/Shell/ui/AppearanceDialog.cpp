#include "Sonbex/Shell/ui/AppearanceDialog.h"

#include "YWin/QPainterCanvas.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonbex::shell {
namespace {

void Paint(QPushButton* cell, std::uint32_t color) {
    cell->setStyleSheet(QStringLiteral("background-color: %1").arg(ywin::ToQColor(color).name()));
}

}  // namespace

AppearanceDialog::AppearanceDialog(std::vector<ColorPage>& pages, GlobalConfig& config,
                                   ywin::IColorChooser& colors, platform::IPrompt& prompt,
                                   std::function<void()> repaintAll, QWidget* parent)
    : YDial(parent),
      pages_(pages),
      config_(config),
      colors_(colors),
      prompt_(prompt),
      repaintAll_(std::move(repaintAll)) {
    setWindowTitle(tr("Appearance"));
    setObjectName(QStringLiteral("id191"));

    auto* curves = new QGroupBox(tr("Curve Colors"), this);
    auto* curveGrid = new QGridLayout(curves);
    for (int i = 0; i < static_cast<int>(kMaxColorItems); ++i) {
        auto* cell = new QPushButton(curves);
        cell->setObjectName(QStringLiteral("curveColor%1").arg(i));
        cell->setFixedSize(36, 18);
        auto* label = new QLabel(curves);
        curveGrid->addWidget(cell, i / 2, (i % 2) * 2);
        curveGrid->addWidget(label, i / 2, (i % 2) * 2 + 1);
        connect(cell, &QPushButton::clicked, this, [this, i] { EditCurveColor(i); });
        curveCells_.push_back(cell);
        curveLabels_.push_back(label);
    }
    pageLabel_ = new QLabel(tr("Curve no."), curves);
    int pageCount = std::max<int>(1, static_cast<int>(pages_.size()));
    pageSpin_ = new ywin::YIntSpinButton(1, pageCount, 1, curves);
    pageSpin_->setObjectName(QStringLiteral("curveNo"));
    connect(pageSpin_, &ywin::YSpinButtonBase::ValueChanged, this,
            [this](double v) { ShowPage(static_cast<int>(v) - 1); });
    auto* restoreCurves = new QPushButton(tr("Re&store"), curves);
    restoreCurves->setObjectName(QStringLiteral("restoreCurves"));
    connect(restoreCurves, &QPushButton::clicked, this, &AppearanceDialog::RestoreCurves);
    int row = static_cast<int>(kMaxColorItems) / 2;
    curveGrid->addWidget(pageLabel_, row, 0);
    curveGrid->addWidget(pageSpin_, row, 1);
    curveGrid->addWidget(restoreCurves, row, 3);

    auto* window = new QGroupBox(tr("Window Colors (Global)"), this);
    auto* windowGrid = new QGridLayout(window);
    const QString names[] = {tr("Graph area"), tr("Outer frame"), tr("Lines"), tr("Grid"), tr("Text")};
    for (int i = 0; i < 5; ++i) {
        auto* cell = new QPushButton(window);
        cell->setObjectName(QStringLiteral("windowColor%1").arg(i));
        cell->setFixedSize(36, 18);
        windowGrid->addWidget(cell, i, 0);
        windowGrid->addWidget(new QLabel(names[i], window), i, 1);
        connect(cell, &QPushButton::clicked, this, [this, i] { EditWindowColor(i); });
        windowCells_.push_back(cell);
    }
    solidGrid_ = new QCheckBox(tr("Show solid &grid"), window);
    solidGrid_->setObjectName(QStringLiteral("solidGrid"));
    connect(solidGrid_, &QCheckBox::toggled, this, [this](bool on) {
        config_.solidGrid = on;
        Changed();
    });
    auto* restoreWindow = new QPushButton(tr("&Restore"), window);
    restoreWindow->setObjectName(QStringLiteral("restoreWindow"));
    connect(restoreWindow, &QPushButton::clicked, this, &AppearanceDialog::RestoreWindow);
    windowGrid->addWidget(solidGrid_, 5, 0, 1, 2);
    windowGrid->addWidget(restoreWindow, 6, 1);

    auto* fontBox = new QGroupBox(tr("Text Font (Global)"), this);
    font_ = new QComboBox(fontBox);
    font_->setObjectName(QStringLiteral("font"));
    font_->addItem(QString::fromLatin1(kFontChoiceArial));
    font_->addItem(QString::fromLatin1(kFontChoiceTimes));
    connect(font_, &QComboBox::currentIndexChanged, this, [this](int i) {
        config_.fontFace = i == 1 ? kFontTimes : kFontArial;
        Changed();
    });
    (new QHBoxLayout(fontBox))->addWidget(font_);

    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, [this] { End(0); });

    auto* columns = new QHBoxLayout;
    columns->addWidget(curves);
    auto* right = new QVBoxLayout;
    right->addWidget(window);
    right->addWidget(fontBox);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void AppearanceDialog::OnInit() {
    bool several = pages_.size() >= 2;
    pageLabel_->setVisible(several);
    pageSpin_->setVisible(several);
    ShowPage(0);
}

void AppearanceDialog::ShowPage(int page) {
    if (page < 0 || page >= static_cast<int>(pages_.size())) page = 0;
    page_ = page;
    Refresh();
}

void AppearanceDialog::Refresh() {
    const std::vector<ColorItem>* items = pages_.empty() ? nullptr : &pages_[page_].items;
    for (std::size_t i = 0; i < kMaxColorItems; ++i) {
        bool shown = items && i < items->size();
        curveCells_[i]->setVisible(shown);
        curveLabels_[i]->setVisible(shown);
        if (shown) {
            Paint(curveCells_[i], (*items)[i].color);
            curveLabels_[i]->setText(QString::fromStdString((*items)[i].label));
        }
    }
    for (int i = 0; i < 5; ++i) Paint(windowCells_[i], *WindowColor(i));
    const QSignalBlocker b1(solidGrid_), b2(font_), b3(pageSpin_);
    solidGrid_->setChecked(config_.solidGrid);
    font_->setCurrentIndex(config_.fontFace == kFontTimes ? 1 : 0);
    pageSpin_->SetValue(page_ + 1);
}

void AppearanceDialog::Changed() {
    Refresh();
    if (repaintAll_) repaintAll_();
}

std::uint32_t* AppearanceDialog::WindowColor(int index) {
    WindowColors& c = config_.colors;
    std::uint32_t* all[] = {&c.graphArea, &c.frame, &c.lines, &c.grid, &c.text};
    return all[std::clamp(index, 0, 4)];
}

void AppearanceDialog::EditCurveColor(int item) {
    if (pages_.empty() || item < 0 || item >= static_cast<int>(pages_[page_].items.size()) ||
        item >= static_cast<int>(kMaxColorItems))
        return;
    ColorItem& entry = pages_[page_].items[item];
    if (auto chosen = colors_.ChooseColor(entry.color, entry.label)) {
        entry.color = *chosen & 0xFFFFFF;
        Changed();
    }
}

void AppearanceDialog::EditWindowColor(int index) {
    if (index < 0 || index >= 5) return;
    std::uint32_t* color = WindowColor(index);
    if (auto chosen = colors_.ChooseColor(*color, "")) {
        *color = *chosen & 0xFFFFFF;
        Changed();
    }
}

void AppearanceDialog::RestoreCurves() {
    if (prompt_.Show(kRestoreCurveColorsQuestion, platform::PromptIcon::Question,
                     platform::PromptButtons::YesNo) != platform::PromptAnswer::Yes)
        return;
    RestoreCurveColors(pages_);
    Changed();
}

void AppearanceDialog::RestoreWindow() {
    if (prompt_.Show(kRestoreWindowColorsQuestion, platform::PromptIcon::Question,
                     platform::PromptButtons::YesNo) != platform::PromptAnswer::Yes)
        return;
    RestoreWindowColors(config_);
    Changed();
}

}  // namespace sonbex::shell
