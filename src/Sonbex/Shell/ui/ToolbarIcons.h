#pragma once
// The toolbar's icons: one drawn for every toolbar command of this program
// (SVG in the program's resources, ":/sonbex/toolbar/<name>.svg"), or the
// desktop theme's when the theme has every one of them, so the set never
// mixes. Either way a disabled button shows a pale grey form of its icon.
// Threads: the GUI thread only.

#include <QIcon>
#include <QString>

namespace sonbex::shell {

// The resource of a toolbar command's own icon; empty for a command without one.
QString ToolbarIconResource(int commandId);
// The desktop theme's name for it ("document-open"); empty when none.
QString ToolbarThemeIconName(int commandId);
// Whether the desktop theme has an icon for every toolbar command.
bool ThemeHasEveryToolbarIcon();
// The icon the toolbar shows: the theme's when `fromTheme`, else the program's own.
QIcon ToolbarIcon(int commandId, bool fromTheme);

}  // namespace sonbex::shell
