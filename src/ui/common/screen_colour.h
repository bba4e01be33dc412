// A colour as the configuration stores it (RGB or a system colour index), shown on the screen:
// system colours come from the widget's palette.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace kapsorel::ui {

QColor screenColour(std::int32_t stored, const QPalette& palette);

} // namespace kapsorel::ui
