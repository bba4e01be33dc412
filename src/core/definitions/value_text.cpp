#include "core/definitions/value_text.h"

#include "core/base/cp1250.h"
#include "core/base/numbers.h"

#include <cmath>
#include <limits>
#include <string>

namespace kapsorel {

ParsedValue parseValueText(std::uint8_t defaultFormat, std::string_view text)
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
    const std::optional<double> number = parseNumber(text);
    r.failed = !number || std::fabs(*number) > static_cast<double>(std::numeric_limits<float>::max());
    r.value = StepValue::number(defaultFormat, r.failed ? 0.0f : static_cast<float>(*number));
    return r;
}

std::string formatLiteral(std::uint8_t format, float value)
{
    switch (format) {
    case kFormatWhole:
    case kFormatDuration:
        return std::to_string(roundHalfEvenToInt(value));
    case kFormatOneDecimal:
        return formatNumber("%4.1f", value);
    case kFormatTwoDecimals:
        return formatNumber("%4.2f", value);
    case kFormatThreeDecimals:
        return formatNumber("%5.3f", value);
    default:
        return {};
    }
}

std::string formatValueText(const StepValue& value, const BatteryType* shown)
{
    if (value.format > kFormatMax)
        return {};
    if (!value.isReference())
        return formatLiteral(value.format, value.single());
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
    return formatLiteral(shownFormat, var->value);
}

} // namespace kapsorel
