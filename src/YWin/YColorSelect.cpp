#include "YWin/YColorSelect.h"

#include "YWin/QPainterCanvas.h"
#include "YWin/YGuiBridge.h"

#include <QColorDialog>

#include <memory>

namespace sonbex::ywin {

std::optional<YColor> YColorSelect::ChooseColor(YColor initial, const std::string& title) {
    auto result = std::make_shared<std::optional<YColor>>();
    auto show = [this, result, initial, title] {
        QColor c = QColorDialog::getColor(ToQColor(initial), parent_.data(), QString::fromStdString(title));
        if (c.isValid()) *result = FromQColor(c);
    };
    if (bridge_.IsGuiThread())
        show();
    else if (!bridge_.Call(show))
        return std::nullopt;
    return *result;
}

}  // namespace sonbex::ywin
