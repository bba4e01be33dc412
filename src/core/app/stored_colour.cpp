#include "core/app/stored_colour.h"

namespace kapsorel {

StoredColour decodeColour(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    StoredColour c;
    if ((bits >> 24) == 0xFF) {
        c.kind = StoredColour::Kind::System;
        c.systemIndex = static_cast<std::uint8_t>(bits & 0xFF);
        return c;
    }
    c.red = static_cast<std::uint8_t>(bits & 0xFF);
    c.green = static_cast<std::uint8_t>((bits >> 8) & 0xFF);
    c.blue = static_cast<std::uint8_t>((bits >> 16) & 0xFF);
    return c;
}

std::int32_t encodeRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
                                     (static_cast<std::uint32_t>(blue) << 16));
}

std::int32_t encodeSystemColour(std::uint8_t index)
{
    return static_cast<std::int32_t>(0xFF000000u | index);
}

std::int32_t encodeColour(const StoredColour& colour)
{
    return colour.kind == StoredColour::Kind::System ? encodeSystemColour(colour.systemIndex)
                                                     : encodeRgb(colour.red, colour.green, colour.blue);
}

} // namespace kapsorel
