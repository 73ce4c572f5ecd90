#pragma once
// The frame's toolbar and status bar.
// YToolBar: command buttons (object name "id<command>"), flat or raised.
// YStatusBar: a message pane, extra text panes and an optional clock pane.
// Threads: the GUI thread only.

#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <vector>

namespace sonbex::ywin {

class YToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit YToolBar(const QString& title, QWidget* parent = nullptr);
    // `onCommand` receives the command id of every button pressed.
    void SetCommandHandler(std::function<void(int)> onCommand) { onCommand_ = std::move(onCommand); }
    QAction* AddButton(int commandId, const QIcon& icon, const QString& tip);
    QAction* Button(int commandId) const;
    void SetFlat(bool flat);
    bool IsFlat() const { return flat_; }

private:
    std::function<void(int)> onCommand_;
    bool flat_ = true;
};

class YStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit YStatusBar(QWidget* parent = nullptr);
    // Extra panes to the right of the message area; index 0 is the first.
    void SetPaneCount(int count);
    void SetPaneText(int index, const QString& text);
    QString PaneText(int index) const;
    // Shows or hides the clock pane at once.
    void SetShowTime(bool show);
    bool ShowsTime() const { return clock_ != nullptr; }
    void SetTime24Hour(bool on);

private:
    void UpdateClock();

    std::vector<QLabel*> panes_;
    QLabel* clock_ = nullptr;
    QTimer clockTimer_;
    bool time24_ = false;
};

}  // namespace sonbex::ywin
