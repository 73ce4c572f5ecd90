#include "YWin/YPopupMenu.h"

#include "YWin/YDialogItems.h"

#include <QAction>

namespace sonbex::ywin {

void YPopupMenu::Add(int commandId, const QString& text, bool enabled) {
    items_.emplace_back(commandId, text);
    enabled_.push_back(enabled);
}

void YPopupMenu::AddSeparator() {
    items_.emplace_back(0, QString());
    enabled_.push_back(false);
}

bool YPopupMenu::IsEnabled(int commandId) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].first == commandId && commandId != 0) return enabled_[i];
    return false;
}

int YPopupMenu::Track(QWidget* parent, QPoint globalPos) {
    QMenu menu(parent);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].first == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(items_[i].second);
        a->setData(items_[i].first);
        a->setEnabled(enabled_[i]);
        a->setObjectName(ItemName(items_[i].first));
    }
    QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

}  // namespace sonbex::ywin
