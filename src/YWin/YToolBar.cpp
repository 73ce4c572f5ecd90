#include "YWin/YToolBar.h"

#include "YWin/YDialogItems.h"

#include <QAction>
#include <QTime>
#include <QToolButton>

namespace sonbex::ywin {

YToolBar::YToolBar(const QString& title, QWidget* parent) : QToolBar(title, parent) {
    setObjectName(QStringLiteral("toolbar"));
}

QAction* YToolBar::AddButton(int commandId, const QIcon& icon, const QString& tip) {
    QAction* action = addAction(icon, tip);
    action->setObjectName(ItemName(commandId));
    action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, commandId] {
        if (onCommand_) onCommand_(commandId);
    });
    if (auto* button = qobject_cast<QToolButton*>(widgetForAction(action))) button->setAutoRaise(flat_);
    return action;
}

QAction* YToolBar::Button(int commandId) const { return findChild<QAction*>(ItemName(commandId)); }

void YToolBar::SetFlat(bool flat) {
    flat_ = flat;
    for (QToolButton* button : findChildren<QToolButton*>()) button->setAutoRaise(flat);
}

YStatusBar::YStatusBar(QWidget* parent) : QStatusBar(parent) {
    clockTimer_.setInterval(1000);
    connect(&clockTimer_, &QTimer::timeout, this, &YStatusBar::UpdateClock);
}

void YStatusBar::SetPaneCount(int count) {
    while (static_cast<int>(panes_.size()) > count) {
        delete panes_.back();
        panes_.pop_back();
    }
    while (static_cast<int>(panes_.size()) < count) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QStringLiteral("pane%1").arg(panes_.size()));
        addPermanentWidget(pane);
        panes_.push_back(pane);
    }
    if (clock_) {  // the clock stays the rightmost pane
        removeWidget(clock_);
        addPermanentWidget(clock_);
        clock_->show();
    }
}

void YStatusBar::SetPaneText(int index, const QString& text) {
    if (index >= 0 && index < static_cast<int>(panes_.size())) panes_[index]->setText(text);
}

QString YStatusBar::PaneText(int index) const {
    return index >= 0 && index < static_cast<int>(panes_.size()) ? panes_[index]->text() : QString();
}

void YStatusBar::SetShowTime(bool show) {
    if (show == ShowsTime()) return;
    if (show) {
        clock_ = new QLabel(this);
        clock_->setObjectName(QStringLiteral("clock"));
        addPermanentWidget(clock_);
        UpdateClock();
        clockTimer_.start();
    } else {
        clockTimer_.stop();
        delete clock_;
        clock_ = nullptr;
    }
}

void YStatusBar::SetTime24Hour(bool on) {
    time24_ = on;
    UpdateClock();
}

void YStatusBar::UpdateClock() {
    if (clock_)
        clock_->setText(QTime::currentTime().toString(time24_ ? QStringLiteral("HH:mm:ss")
                                                              : QStringLiteral("h:mm:ss AP")));
}

}  // namespace sonbex::ywin
