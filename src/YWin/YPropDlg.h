#pragma once
// Property sheets: YPropDlg is a dialog of tabbed pages (YPropSheet) with
// OK, Cancel and Apply. OK and Apply ask every page to apply its fields; a
// page that refuses (a bad value) is shown and the dialog stays open.
// Cancel lets every page put back what it changed.
// Threads: the GUI thread only.

#include "YWin/YDial.h"

#include <QWidget>

#include <vector>

class QTabWidget;

namespace sonbex::ywin {

class YPropSheet : public QWidget {
    Q_OBJECT
public:
    explicit YPropSheet(QWidget* parent = nullptr) : QWidget(parent) {}
    // The page is shown (fill the fields from the settings).
    virtual void OnActivate() {}
    // Store the fields; false refuses (the page explains itself).
    virtual bool OnApply() { return true; }
    virtual void OnCancel() {}
};

class YPropDlg : public YDial {
    Q_OBJECT
public:
    explicit YPropDlg(const QString& title, QWidget* parent = nullptr);
    // The dialog owns the page.
    void AddPage(YPropSheet* page, const QString& title);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    YPropSheet* Page(int index) const { return pages_.at(index); }
    int CurrentPage() const;
    void SetCurrentPage(int index);
    // What OK and Apply do; true when every page applied.
    bool ApplyAll();

public:
    // OK and Cancel (public as in QDialog).
    void accept() override;
    void reject() override;

protected:
    void OnInit() override;

private:
    QTabWidget* tabs_;
    std::vector<YPropSheet*> pages_;
};

}  // namespace sonbex::ywin
