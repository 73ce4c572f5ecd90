#include "Sonbex/Curves/ui/FreqCurveListDialog.h"

#include "YLib/YText.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonbex::curves {

QString FreqCurveListDialog::Caption(Purpose purpose) {
    switch (purpose) {
        case Purpose::Select:
            return QStringLiteral("Select a curve ...");
        case Purpose::Save:
            return QStringLiteral("Save selected curve(s)");
        case Purpose::Visible:
            return QStringLiteral("Select visible curve(s)");
        case Purpose::Close:
            return QStringLiteral("Close selected curve(s)");
    }
    return {};
}

FreqCurveListDialog::FreqCurveListDialog(FreqCurveList& list, Purpose purpose, QWidget* parent)
    : ywin::YDial(parent), list_(list), purpose_(purpose) {
    setObjectName(QStringLiteral("freqCurveList"));
    setWindowTitle(Caption(purpose));
    lines_ = new QListWidget(this);
    lines_->setObjectName(QStringLiteral("curves"));
    lines_->setSelectionMode(purpose == Purpose::Select ? QAbstractItemView::SingleSelection
                                                        : QAbstractItemView::MultiSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { End(QDialog::Accepted); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { End(QDialog::Rejected); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines_);
    layout->addWidget(buttons);
}

void FreqCurveListDialog::OnInit() {
    lines_->clear();
    picked_.clear();
    for (std::size_t i = 0; i < list_.Size(); ++i) {
        lines_->addItem(QString::fromStdString(Utf8FromWindows1252(SelectionLine(i, list_[i]))));
        if (purpose_ == Purpose::Visible && list_[i].Visible())
            lines_->item(static_cast<int>(i))->setSelected(true);
    }
}

void FreqCurveListDialog::OnEnd(int result) {
    picked_.clear();
    if (result != QDialog::Accepted) return;
    for (int i = 0; i < lines_->count(); ++i)
        if (lines_->item(i)->isSelected()) picked_.push_back(static_cast<std::size_t>(i));
    if (purpose_ == Purpose::Visible)
        for (std::size_t i = 0; i < list_.Size(); ++i)
            list_[i].SetVisible(lines_->item(static_cast<int>(i))->isSelected());
}

}  // namespace sonbex::curves
