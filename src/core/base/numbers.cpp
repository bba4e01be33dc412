#include "core/base/numbers.h"

#include "core/base/locale_formats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kapsorel {

double roundHalfEven(double v)
{
    if (!std::isfinite(v))
        return v;
    const double floorV = std::floor(v);
    const double diff = v - floorV;
    if (diff < 0.5)
        return floorV;
    if (diff > 0.5)
        return floorV + 1.0;
    return std::fmod(floorV, 2.0) == 0.0 ? floorV : floorV + 1.0;
}

long long roundHalfEvenToInt(double v)
{
    const double r = roundHalfEven(v);
    if (!(r == r))
        return 0;
    if (r >= 9.2e18)
        return 9200000000000000000LL;
    if (r <= -9.2e18)
        return -9200000000000000000LL;
    return static_cast<long long>(r);
}

namespace {

// Enough for every double in fixed notation (309 digits) with the most decimals allowed.
constexpr int kMaxPrecision = 100;
constexpr std::size_t kNumberBuffer = 512;

// One printf conversion of a floating value.
struct Conversion {
    bool left = false;  // '-'
    bool plus = false;  // '+'
    bool space = false; // ' '
    bool zero = false;  // '0'
    int width = 0;
    int precision = 6;
    char kind = 'f';
};

int readCount(const char*& p)
{
    int n = 0;
    while (*p >= '0' && *p <= '9') {
        n = std::min(n * 10 + (*p - '0'), 1000);
        ++p;
    }
    return n;
}

// Parses the conversion after a '%'; `p` ends after it. False when it is no floating
// conversion (the caller then writes the text as it stands).
bool readConversion(const char*& p, Conversion& c)
{
    for (;; ++p) {
        if (*p == '-')
            c.left = true;
        else if (*p == '+')
            c.plus = true;
        else if (*p == ' ')
            c.space = true;
        else if (*p == '0')
            c.zero = true;
        else if (*p != '#')
            break;
    }
    c.width = readCount(p);
    if (*p == '.') {
        ++p;
        c.precision = std::min(readCount(p), kMaxPrecision);
    }
    while (*p == 'l' || *p == 'L')
        ++p;
    if (*p == '\0' || std::strchr("fFeEgG", *p) == nullptr)
        return false;
    c.kind = *p++;
    return true;
}

std::string numberText(double value, const Conversion& c, char separator)
{
    std::array<char, kNumberBuffer> buf{};
    const char lower = static_cast<char>(c.kind | 0x20);
    const std::chars_format style = lower == 'f'   ? std::chars_format::fixed
                                    : lower == 'e' ? std::chars_format::scientific
                                                   : std::chars_format::general;
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, style, c.precision);
    std::string digits(buf.data(), res.ec == std::errc() ? res.ptr : buf.data());
    if (c.kind != lower)
        std::transform(digits.begin(), digits.end(), digits.begin(),
                       [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 0x20) : ch; });
    std::replace(digits.begin(), digits.end(), '.', separator);
    std::string sign;
    if (!digits.empty() && digits.front() == '-') {
        sign = "-";
        digits.erase(digits.begin());
    } else if (c.plus) {
        sign = "+";
    } else if (c.space) {
        sign = " ";
    }
    const std::size_t width = static_cast<std::size_t>(c.width);
    const std::size_t length = sign.size() + digits.size();
    if (length >= width)
        return sign + digits;
    const std::size_t fill = width - length;
    if (c.left)
        return sign + digits + std::string(fill, ' ');
    if (c.zero && std::isfinite(value))
        return sign + std::string(fill, '0') + digits;
    return std::string(fill, ' ') + sign + digits;
}

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string formatNumber(const char* format, double value)
{
    const char separator = localeFormats().decimalSeparator;
    std::string out;
    bool used = false;
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            p += 2;
            continue;
        }
        const char* start = p++;
        Conversion c;
        if (!used && readConversion(p, c)) {
            out += numberText(value, c, separator);
            used = true;
        } else {
            if (*p != '\0')
                ++p;
            out.append(start, p);
        }
    }
    return out;
}

std::string formatDecimals(double value, int decimals)
{
    Conversion c;
    c.precision = std::clamp(decimals, 0, kMaxPrecision);
    return numberText(value, c, localeFormats().decimalSeparator);
}

std::optional<double> parseNumber(std::string_view text)
{
    const char separator = localeFormats().decimalSeparator;
    const std::string_view s = trimSpaces(text);
    std::string plain;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            plain += '-';
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (isDigit(c)) {
            digits = true;
            plain += c;
        } else if ((c == separator || c == '.') && !point) {
            point = true;
            plain += '.';
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            plain += s[i++];
        const std::size_t exponentStart = i;
        while (i < s.size() && isDigit(s[i]))
            plain += s[i++];
        if (i == exponentStart)
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace kapsorel
