// The stored colours of layouts and reports (0x00BBGGRR) as Qt colours and back.
#pragma once

#include <QColor>
#include <cstdint>

namespace kapsorel::ui {

inline QColor toQColor(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

inline std::uint32_t fromQColor(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

} // namespace kapsorel::ui
