// Settings images with every byte distinct from its neighbours, and the settings file layouts
// placed by hand at the offsets of the four layouts, for the settings file tests.
#pragma once

#include "core/service/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <type_traits>
#include <vector>

namespace kapsorel::test {

using Bytes = std::vector<std::uint8_t>;

// `n` bytes counting from `seed`; all below 0x7F, so no float among them is a NaN and
// images compare equal after a round trip.
inline Bytes pattern(std::size_t n, unsigned seed)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(1 + (seed + i * 7) % 120);
    return b;
}

// A block's pattern with the values a settings file may hold: the settings block's Singles
// of a modest size, the section counts within 0-9 and 0-7.
template <class Block> Bytes blockPattern(unsigned seed)
{
    Bytes b = pattern(Block::kSize, seed);
    if constexpr (std::is_same_v<Block, PowerSettingsBlock>) {
        for (std::size_t at : {0, 4, 12, 16, 20, 24, 28, 32, 37})
            b[at + 3] = static_cast<std::uint8_t>(0x40 + b[at + 3] % 4);
    }
    if constexpr (std::is_same_v<Block, SectionsBlock>) {
        b[0] = static_cast<std::uint8_t>(b[0] % 10);
        b[1] = static_cast<std::uint8_t>(b[1] % 8);
    }
    return b;
}

template <class Block> Block patternBlock(unsigned seed)
{
    auto decoded = Block::decode(blockPattern<Block>(seed));
    EXPECT_TRUE(decoded.ok()) << decoded.error();
    return decoded.value();
}

inline PowerImages powerImages(unsigned seed)
{
    return {patternBlock<NetworkBlock>(seed), patternBlock<PortsBlock>(seed + 1),
            patternBlock<PowerSettingsBlock>(seed + 2), patternBlock<PowerAdcImage>(seed + 3),
            patternBlock<SectionsBlock>(seed + 4)};
}

inline MeasureImages measureImages(unsigned seed)
{
    return {patternBlock<NetworkBlock>(seed), patternBlock<PortsBlock>(seed + 1), patternBlock<CellAdcTable>(seed + 2)};
}

// A section's data as the layout table lists it: the blocks' own bytes one after another.
inline Bytes powerData(unsigned seed)
{
    Bytes out;
    for (const Bytes& part : {pattern(35, seed), pattern(23, seed + 1), blockPattern<PowerSettingsBlock>(seed + 2),
                              pattern(58, seed + 3), blockPattern<SectionsBlock>(seed + 4)})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes measureData(unsigned seed)
{
    Bytes out;
    for (const Bytes& part : {pattern(35, seed), pattern(23, seed + 1), pattern(186, seed + 2)})
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline void place(Bytes& file, std::size_t offset, const Bytes& data)
{
    ASSERT_LE(offset + data.size(), file.size());
    std::copy(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
}

// The four files of the layout table; seeds pick each section's contents.
inline Bytes powerOnlyFile(unsigned power)
{
    Bytes f(234, 0);
    f[0] = 2;
    f[1] = 1;
    place(f, 2, powerData(power));
    f[233] = 0;
    return f;
}

inline Bytes measureOnlyFile(unsigned measure)
{
    Bytes f(247, 0);
    f[0] = 1;
    f[1] = 2;
    place(f, 2, measureData(measure));
    f[246] = 0;
    return f;
}

inline Bytes powerFirstFile(unsigned power, unsigned measure)
{
    Bytes f(478, 0);
    f[0] = 2;
    f[1] = 1;
    place(f, 2, powerData(power));
    f[233] = 2;
    place(f, 234, measureData(measure));
    return f;
}

inline Bytes measureFirstFile(unsigned measure, unsigned power)
{
    Bytes f(478, 0);
    f[0] = 1;
    f[1] = 2;
    place(f, 2, measureData(measure));
    f[246] = 1;
    place(f, 247, powerData(power));
    return f;
}

} // namespace kapsorel::test
