#include "Sonbex/Shell/ui/TipsDialog.h"

#include "Sonbex/Shell/TipsFile.h"

#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace sonbex::shell {

TipsDialog::TipsDialog(std::vector<std::string> tips, GlobalConfig& config, QWidget* parent)
    : YDial(parent), tips_(std::move(tips)), config_(config) {
    setWindowTitle(tr("Tip of the Day"));
    setObjectName(QStringLiteral("id102"));
    tip_ = new QLabel(this);
    tip_->setObjectName(QStringLiteral("tip"));
    tip_->setTextFormat(Qt::PlainText);
    tip_->setWordWrap(false);  // broken by LayOutTip, at blanks only
    tip_->setMinimumSize(420, 160);
    tip_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    tip_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
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
    config_.nextTip = NextTipIndex(index, tips_.size());
    LayOutTip();
}

QStringList TipsDialog::BreakAtBlanks(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines.append(line);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty()) lines.append(line);
    return lines;
}

void TipsDialog::LayOutTip() {
    if (shown_ >= tips_.size()) return;
    const QString text = QString::fromStdString(tips_[shown_]).simplified();
    const QRect box =
        tip_->contentsRect().adjusted(tip_->margin(), tip_->margin(), -tip_->margin(), -tip_->margin());
    const int width = std::max(box.width(), 40);
    const int height = std::max(box.height(), 20);
    QFont font = tip_->font();
    QStringList lines;
    for (int points = 20; points >= 8; --points) {
        font.setPointSize(points);
        const QFontMetrics metrics(font);
        lines = BreakAtBlanks(text, metrics, width);
        bool fits = static_cast<int>(lines.size()) * metrics.lineSpacing() <= height;
        for (const QString& l : lines) fits = fits && metrics.horizontalAdvance(l) <= width;
        if (fits) break;
    }
    tip_->setFont(font);
    tip_->setText(lines.join(QLatin1Char('\n')));
}

void TipsDialog::resizeEvent(QResizeEvent* event) {
    YDial::resizeEvent(event);
    LayOutTip();
}

QStringList TipsDialog::ShownLines() const { return tip_->text().split(QLatin1Char('\n')); }

QFont TipsDialog::TipFont() const { return tip_->font(); }

void TipsDialog::ShowNextTip() {
    if (!tips_.empty()) ShowTip((shown_ + 1) % tips_.size());
}

QString TipsDialog::CurrentTip() const {
    return shown_ < tips_.size() ? QString::fromStdString(tips_[shown_]) : QString();
}

void TipsDialog::OnEnd(int) { config_.Set(kShowTips, showAtStart_->isChecked()); }

}  // namespace sonbex::shell
