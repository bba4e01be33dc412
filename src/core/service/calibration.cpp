// Two-point calibration arithmetic and the raw reading and constant texts.
#include "core/service/calibration.h"

#include "core/base/numbers.h"

#include <cmath>
#include <limits>

namespace kapsorel {

const char* const kCalibrationErrorText = "Error";

Result<Calibration> twoPointCalibration(std::int16_t rawMin, std::int16_t rawMax, double vMin, double vMax)
{
    const Error error{kCalibrationErrorText};
    const auto span = static_cast<float>(vMax - vMin);
    if (span == 0.0f || !std::isfinite(span))
        return error;
    const int rawSpan = rawMax - rawMin;
    if (rawSpan == 0)
        return error;
    const float constant = span / static_cast<float>(rawSpan);
    if (constant == 0.0f || !std::isfinite(constant))
        return error;
    const auto offset = static_cast<float>(vMin / static_cast<double>(constant) - rawMin);
    if (!std::isfinite(offset))
        return error;
    const double rounded = roundHalfEven(static_cast<double>(offset));
    if (rounded < std::numeric_limits<std::int16_t>::min() || rounded > std::numeric_limits<std::int16_t>::max())
        return error;
    return Calibration{static_cast<std::int16_t>(rounded), constant};
}

std::int16_t rawFromShown(long long shown)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned long long>(shown) & 0xFFFFu));
}

std::string unsignedRawText(std::int16_t raw)
{
    return std::to_string(static_cast<std::uint16_t>(raw));
}

std::string signedRawText(std::int16_t raw)
{
    return std::to_string(raw);
}

std::string constantText(float constant, int decimals)
{
    return formatDecimals(static_cast<double>(constant), decimals);
}

Result<float> constantFromField(std::string_view text, float kept, int decimals)
{
    if (text == constantText(kept, decimals))
        return kept;
    const auto typed = parseNumber(text);
    if (!typed)
        return Error{"Neplatná konstanta: \"" + std::string(text) + "\""};
    const auto constant = static_cast<float>(*typed);
    if (!std::isfinite(constant))
        return Error{"Neplatná konstanta: \"" + std::string(text) + "\""};
    return constant;
}

} // namespace kapsorel
