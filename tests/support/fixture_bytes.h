// Hand-placed bytes for layout fixtures: every field is put at (and read from) its offset
// here, independently of the readers and writers under test.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel::test {

inline void putU8(std::vector<std::uint8_t>& b, std::size_t off, std::uint8_t v)
{
    b.at(off) = v;
}

inline void putU16(std::vector<std::uint8_t>& b, std::size_t off, std::uint16_t v)
{
    b.at(off) = static_cast<std::uint8_t>(v & 0xFF);
    b.at(off + 1) = static_cast<std::uint8_t>(v >> 8);
}

inline void putF32(std::vector<std::uint8_t>& b, std::size_t off, float v)
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i)
        b.at(off + i) = static_cast<std::uint8_t>(bits >> (8 * i));
}

inline void putF64(std::vector<std::uint8_t>& b, std::size_t off, double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (std::size_t i = 0; i < 8; ++i)
        b.at(off + i) = static_cast<std::uint8_t>(bits >> (8 * i));
}

// A length byte and the raw (already Windows-1250) characters; the rest stays as it is.
inline void putText(std::vector<std::uint8_t>& b, std::size_t off, const std::string& raw)
{
    b.at(off) = static_cast<std::uint8_t>(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i)
        b.at(off + 1 + i) = static_cast<std::uint8_t>(raw[i]);
}

inline float getF32(const std::vector<std::uint8_t>& b, std::size_t off)
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(b.at(off + i)) << (8 * i);
    return std::bit_cast<float>(bits);
}

inline double getF64(const std::vector<std::uint8_t>& b, std::size_t off)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(b.at(off + i)) << (8 * i);
    return std::bit_cast<double>(bits);
}

// The raw characters of a length-prefixed text.
inline std::string getText(const std::vector<std::uint8_t>& b, std::size_t off)
{
    const std::size_t n = b.at(off);
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(off + 1),
                       b.begin() + static_cast<std::ptrdiff_t>(off + 1 + n));
}

} // namespace kapsorel::test
