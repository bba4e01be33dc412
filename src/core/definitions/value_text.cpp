#include "core/definitions/value_text.h"

#include "core/base/cp1250.h"
#include "core/base/numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kapsorel {

namespace {

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The text as a number, with `separator` or '.' as the decimal separator.
bool parseNumber(std::string_view text, char separator, float& out)
{
    std::string s(trimSpaces(text));
    for (char& c : s)
        if (c == separator)
            c = '.';
    std::string_view v = s;
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    if (v.empty())
        return false;
    for (char c : v) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed)
            return false;
    }
    float f = 0.0f;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), f);
    if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(f))
        return false;
    out = f;
    return true;
}

} // namespace

ParsedValue parseValueText(std::uint8_t defaultFormat, std::string_view text, char separator)
{
    ParsedValue r;
    if (text.empty())
        return r;
    if (text.front() == '#') {
        const std::string raw = utf8ToCp1250(text);
        r.value.format = static_cast<std::uint8_t>(defaultFormat + kFormatReferenceOffset);
        r.value.bytes[0] = raw.size() > 1 ? static_cast<std::uint8_t>(raw[1]) : 0;
        r.value.bytes[1] = raw.size() > 2 ? static_cast<std::uint8_t>(raw[2]) : 0;
        return r;
    }
    float f = 0.0f;
    r.failed = !parseNumber(text, separator, f);
    r.value = StepValue::number(defaultFormat, r.failed ? 0.0f : f);
    return r;
}

std::string formatLiteral(std::uint8_t format, float value, char separator)
{
    switch (format) {
    case kFormatWhole:
    case kFormatDuration:
        return std::to_string(roundHalfEvenToInt(value));
    case kFormatOneDecimal:
        return formatNumber("%4.1f", value, separator);
    case kFormatTwoDecimals:
        return formatNumber("%4.2f", value, separator);
    case kFormatThreeDecimals:
        return formatNumber("%5.3f", value, separator);
    default:
        return {};
    }
}

std::string formatValueText(const StepValue& value, const BatteryType* shown, char separator)
{
    if (value.format > kFormatMax)
        return {};
    if (!value.isReference())
        return formatLiteral(value.format, value.single(), separator);
    if (value.format == kFormatReferenceOffset)
        return {};
    const std::string id = value.referenceId();
    if (!shown)
        return "#" + id;
    const BatteryVariable* var = shown->findReferenced(value);
    if (!var)
        return "???";
    const auto shownFormat = static_cast<std::uint8_t>(value.format - kFormatReferenceOffset);
    if (shownFormat == kFormatDuration)
        return id;
    return formatLiteral(shownFormat, var->value, separator);
}

} // namespace kapsorel
