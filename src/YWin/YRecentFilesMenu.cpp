#include "YWin/YRecentFilesMenu.h"

#include "YWin/YDialogItems.h"

namespace sonbex::ywin {

YRecentFilesMenu::YRecentFilesMenu(platform::YRecentFileList& list, QMenu& menu, QAction* before,
                                   std::function<void(int)> onChosen)
    : list_(list), menu_(&menu), before_(before), onChosen_(std::move(onChosen)) {
    list_.SetChangedCallback([this] { Rebuild(); });
    Rebuild();
}

YRecentFilesMenu::~YRecentFilesMenu() {
    list_.SetChangedCallback({});
    if (menu_)
        for (QAction* a : actions_) delete a;
}

void YRecentFilesMenu::Rebuild() {
    if (!menu_) return;
    for (QAction* a : actions_) delete a;
    actions_.clear();
    std::vector<std::string> texts = list_.MenuTexts();
    if (texts.empty()) return;
    QAction* separator = new QAction(menu_);
    separator->setSeparator(true);
    menu_->insertAction(before_, separator);
    actions_.push_back(separator);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        int id = platform::YRecentFileList::kFirstCommandId + static_cast<int>(i);
        QAction* a = new QAction(QString::fromStdString(texts[i]), menu_);
        a->setObjectName(ItemName(id));
        // Handled after the signal returns: the handler usually reorders the
        // list, which rebuilds the menu and deletes this action.
        QObject::connect(a, &QAction::triggered, menu_, [this, id] {
            QMetaObject::invokeMethod(
                menu_,
                [this, id] {
                    if (onChosen_) onChosen_(id);
                },
                Qt::QueuedConnection);
        });
        menu_->insertAction(before_, a);
        actions_.push_back(a);
    }
}

}  // namespace sonbex::ywin
