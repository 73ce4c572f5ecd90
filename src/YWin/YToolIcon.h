#pragma once
// Icons of toolbar buttons: drawn from a source icon (an SVG, a theme icon) at
// whatever size and pixel ratio the button asks for, with a disabled form of
// their own: the picture in pale grey at reduced opacity, so a disabled
// button never looks like an enabled one, whatever the style would make of it.
// Threads: the GUI thread only.

#include <QIcon>
#include <QImage>

namespace sonbex::ywin {

QIcon MakeToolIcon(const QIcon& source);
// The disabled form of a picture (the same size, greyed and faded).
QImage DisabledForm(const QImage& picture);

}  // namespace sonbex::ywin
