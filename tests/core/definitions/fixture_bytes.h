// Hand-placed bytes for layout fixtures: every field is put at its offset here,
// independently of the writers under test.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel::test {

inline void putU8(std::vector<std::uint8_t>& b, std::size_t off, std::uint8_t v) { b.at(off) = v; }

inline void putU16(std::vector<std::uint8_t>& b, std::size_t off, std::uint16_t v)
{
    b.at(off) = static_cast<std::uint8_t>(v & 0xFF);
    b.at(off + 1) = static_cast<std::uint8_t>(v >> 8);
}

inline void putF32(std::vector<std::uint8_t>& b, std::size_t off, float f)
{
    const auto v = std::bit_cast<std::uint32_t>(f);
    for (std::size_t i = 0; i < 4; ++i)
        b.at(off + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

// A length byte and the raw (already Windows-1250) characters; the rest stays as it is.
inline void putStr(std::vector<std::uint8_t>& b, std::size_t off, const std::string& raw)
{
    b.at(off) = static_cast<std::uint8_t>(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i)
        b.at(off + 1 + i) = static_cast<std::uint8_t>(raw[i]);
}

}  // namespace kapsorel::test
