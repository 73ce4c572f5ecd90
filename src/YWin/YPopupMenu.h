#pragma once
// A context menu of command ids: built item by item, then tracked at a point;
// the chosen command id comes back (0 when the menu was dismissed).
// Threads: the GUI thread only.

#include <QMenu>
#include <QPoint>
#include <QString>

#include <utility>
#include <vector>

namespace sonbex::ywin {

class YPopupMenu {
public:
    void Add(int commandId, const QString& text, bool enabled = true);
    void AddSeparator();
    // Shows the menu at `globalPos` and waits for the choice.
    int Track(QWidget* parent, QPoint globalPos);
    // The items as (id, text); separators have id 0.
    const std::vector<std::pair<int, QString>>& Items() const { return items_; }
    bool IsEnabled(int commandId) const;

private:
    std::vector<std::pair<int, QString>> items_;
    std::vector<bool> enabled_;
};

}  // namespace sonbex::ywin
