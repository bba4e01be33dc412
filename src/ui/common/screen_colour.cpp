#include "ui/common/screen_colour.h"

#include "core/app/stored_colour.h"

namespace kapsorel::ui {

QColor screenColour(std::int32_t stored, const QPalette& palette)
{
    const StoredColour c = decodeColour(stored);
    if (c.kind == StoredColour::Kind::Rgb)
        return QColor(c.red, c.green, c.blue);
    switch (c.systemIndex) {
    case 13:
        return palette.color(QPalette::Highlight);
    case 5:
        return palette.color(QPalette::Base);
    case 8:
        return palette.color(QPalette::WindowText);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace kapsorel::ui
