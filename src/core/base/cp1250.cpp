#include "core/base/cp1250.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kapsorel {

namespace {

// Code points of bytes 0x80..0xFF. Zero marks the bytes with no assigned character.
constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

char32_t charOfByte(std::uint8_t b)
{
    if (b < 0x80)
        return b;
    const char16_t c = kHigh[b - 0x80];
    return c ? c : b;
}

struct ByteOfChar {
    char32_t code;
    std::uint8_t byte;
};

// The bytes 0x80..0xFF by the character they stand for, for a binary search.
constexpr std::array<ByteOfChar, 128> kByteOfChar = [] {
    std::array<ByteOfChar, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(0x80 + i);
        table[i] = {kHigh[i] ? kHigh[i] : char32_t{byte}, byte};
    }
    std::sort(table.begin(), table.end(), [](const ByteOfChar& a, const ByteOfChar& b) { return a.code < b.code; });
    return table;
}();

// The byte of each character below U+0180 (Latin-1 and Latin Extended-A, where most of
// the code page lies), 0 for those it lacks: one look-up instead of a search.
constexpr std::array<std::uint8_t, 0x180> kLatinBytes = [] {
    std::array<std::uint8_t, 0x180> table{};
    for (const ByteOfChar& e : kByteOfChar)
        if (e.code < table.size())
            table[e.code] = e.byte;
    return table;
}();

// Writes the UTF-8 form of c at out and returns the number of bytes written (1 to 4).
std::size_t putUtf8(char* out, char32_t c)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is not valid.
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& c)
{
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    std::size_t len = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        c = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        c = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        c = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::string cp1250ToUtf8(std::string_view raw)
{
    // Every character of the code page takes at most three bytes in UTF-8.
    std::string out(raw.size() * 3, '\0');
    std::size_t n = 0;
    for (char ch : raw)
        n += putUtf8(out.data() + n, charOfByte(static_cast<std::uint8_t>(ch)));
    out.resize(n);
    return out;
}

std::string utf8ToCp1250(std::string_view utf8)
{
    // One byte per character, and a character takes at least one byte of UTF-8.
    std::string out(utf8.size(), '\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t len = decodeUtf8(utf8, i, c);
        if (len == 0) {
            out[n++] = utf8[i];
            ++i;
            continue;
        }
        i += len;
        if (c < 0x80) {
            out[n++] = static_cast<char>(c);
            continue;
        }
        if (c < kLatinBytes.size()) {
            const std::uint8_t b = kLatinBytes[c];
            out[n++] = b != 0 ? static_cast<char>(b) : '?';
            continue;
        }
        const auto found = std::lower_bound(kByteOfChar.begin(), kByteOfChar.end(), c,
                                            [](const ByteOfChar& e, char32_t code) { return e.code < code; });
        out[n++] = found != kByteOfChar.end() && found->code == c ? static_cast<char>(found->byte) : '?';
    }
    out.resize(n);
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const std::size_t len = decodeUtf8(bytes, i, c);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

} // namespace kapsorel
