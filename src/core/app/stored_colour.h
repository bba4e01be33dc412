// Colours as the configuration stores them in one 32-bit integer: high byte 0 holds
// red (lowest byte), green and blue; high byte 0xFF holds a Windows system colour number (an
// index of the desktop colour scheme, such as the window or button face colour).
#pragma once

#include <cstdint>

namespace kapsorel {

struct StoredColour {
    enum class Kind { Rgb, System };
    Kind kind = Kind::Rgb;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t systemIndex = 0; // meaningful for Kind::System

    bool operator==(const StoredColour&) const = default;
};

// Any high byte other than 0xFF is read as red/green/blue from the three low bytes.
StoredColour decodeColour(std::int32_t value);
std::int32_t encodeColour(const StoredColour& colour);
std::int32_t encodeRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
std::int32_t encodeSystemColour(std::uint8_t index);

} // namespace kapsorel
