// The toolbar's image sets (small, medium, large, from the program's resources) and the
// application's normal and fault icons.
#pragma once

#include <QIcon>
#include <QSize>
#include <QString>

namespace kapsorel::ui {

// Pixel size of icon size 0, 1 or 2.
QSize toolbarIconSize(int size);
// The image of a toolbar item (by its object name) in set 0, 1 or 2; "TBXrun_resume" is
// the Start item's image while a stopped test waits to be resumed.
QIcon toolbarIcon(const QString& item, int size);
// The resource path of that image.
QString toolbarIconPath(const QString& item, int size);
QIcon appIcon(bool fault);

} // namespace kapsorel::ui
