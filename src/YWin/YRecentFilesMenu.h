#pragma once
// The recent-file list in a menu: a separator, then "&1 path" ... with the
// command ids 150 to 157 (object names "id150" ...), inserted before a given
// action of the menu (or at its end) and rebuilt whenever the list changes.
// Threads: the GUI thread only.

#include "Platform/YRecentFileList.h"

#include <QMenu>
#include <QPointer>

#include <functional>
#include <vector>

namespace sonbex::ywin {

class YRecentFilesMenu {
public:
    // `list` and `menu` must outlive this object; `before` may be null.
    // `onChosen` gets the command id of the chosen item, from the event loop
    // once the menu's signal has returned.
    YRecentFilesMenu(platform::YRecentFileList& list, QMenu& menu, QAction* before,
                     std::function<void(int commandId)> onChosen);
    ~YRecentFilesMenu();
    void Rebuild();
    const std::vector<QAction*>& Actions() const { return actions_; }

private:
    platform::YRecentFileList& list_;
    QPointer<QMenu> menu_;
    QPointer<QAction> before_;
    std::function<void(int)> onChosen_;
    std::vector<QAction*> actions_;  // the separator first, when there are entries
};

}  // namespace sonbex::ywin
