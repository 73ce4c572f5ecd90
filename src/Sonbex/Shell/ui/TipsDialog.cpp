#include "Sonbex/Shell/ui/TipsDialog.h"

#include "Sonbex/Shell/TipsFile.h"

#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonbex::shell {

TipsDialog::TipsDialog(std::vector<std::string> tips, GlobalConfig& config, QWidget* parent)
    : YDial(parent), tips_(std::move(tips)), config_(config) {
    setWindowTitle(tr("Tip of the Day"));
    setObjectName(QStringLiteral("id102"));
    tip_ = new QLabel(this);
    tip_->setObjectName(QStringLiteral("tip"));
    tip_->setWordWrap(true);
    tip_->setMinimumSize(420, 160);
    tip_->setMargin(12);
    tip_->setAutoFillBackground(true);
    QPalette pal = tip_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    tip_->setPalette(pal);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(20);
    font.setBold(true);
    tip_->setFont(font);

    showAtStart_ = new QCheckBox(tr("&Show tips at startup"), this);
    showAtStart_->setObjectName(QStringLiteral("showTips"));
    auto* next = new QPushButton(tr("&Next Tip"), this);
    next->setObjectName(QStringLiteral("nextTip"));
    connect(next, &QPushButton::clicked, this, &TipsDialog::ShowNextTip);
    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("close"));
    connect(close, &QPushButton::clicked, this, [this] { End(0); });

    auto* row = new QHBoxLayout;
    row->addWidget(showAtStart_);
    row->addStretch();
    row->addWidget(next);
    row->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tip_);
    layout->addLayout(row);
}

bool TipsDialog::Open(bool modal) {
    if (tips_.empty()) return false;
    return Create(modal);
}

void TipsDialog::OnInit() {
    showAtStart_->setChecked(config_.Has(kShowTips));
    if (auto first = TipToShow(config_.nextTip, tips_.size())) ShowTip(*first);
}

void TipsDialog::ShowTip(std::size_t index) {
    shown_ = index;
    tip_->setText(QString::fromStdString(tips_[index]));
    config_.nextTip = NextTipIndex(index, tips_.size());
}

void TipsDialog::ShowNextTip() {
    if (!tips_.empty()) ShowTip((shown_ + 1) % tips_.size());
}

QString TipsDialog::CurrentTip() const { return tip_->text(); }

void TipsDialog::OnEnd(int) { config_.Set(kShowTips, showAtStart_->isChecked()); }

}  // namespace sonbex::shell
