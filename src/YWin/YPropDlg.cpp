#include "YWin/YPropDlg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace sonbex::ywin {

YPropDlg::YPropDlg(const QString& title, QWidget* parent) : YDial(parent), tabs_(new QTabWidget(this)) {
    setWindowTitle(title);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &YPropDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &YPropDlg::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { ApplyAll(); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int i) {
        if (i >= 0 && i < PageCount()) pages_[i]->OnActivate();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
}

void YPropDlg::AddPage(YPropSheet* page, const QString& title) {
    pages_.push_back(page);
    tabs_->addTab(page, title);
}

int YPropDlg::CurrentPage() const { return tabs_->currentIndex(); }
void YPropDlg::SetCurrentPage(int index) { tabs_->setCurrentIndex(index); }

bool YPropDlg::ApplyAll() {
    for (int i = 0; i < PageCount(); ++i) {
        if (!pages_[i]->OnApply()) {
            SetCurrentPage(i);
            return false;
        }
    }
    return true;
}

void YPropDlg::OnInit() {
    if (CurrentPage() >= 0 && CurrentPage() < PageCount()) pages_[CurrentPage()]->OnActivate();
}

void YPropDlg::accept() {
    if (ApplyAll()) YDial::accept();
}

void YPropDlg::reject() {
    for (YPropSheet* page : pages_) page->OnCancel();
    YDial::reject();
}

}  // namespace sonbex::ywin
