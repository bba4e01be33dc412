#include "core/definitions/step_value.h"

#include "core/base/cp1250.h"

#include <bit>

namespace kapsorel {

StepValue StepValue::number(std::uint8_t format, float value)
{
    StepValue v;
    v.format = format;
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        v.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    return v;
}

StepValue StepValue::reference(std::uint8_t defaultFormat, std::string_view idUtf8)
{
    StepValue v;
    v.format = static_cast<std::uint8_t>(defaultFormat + kFormatReferenceOffset);
    const std::string raw = utf8ToCp1250(idUtf8);
    for (std::size_t i = 0; i < 2 && i < raw.size(); ++i)
        v.bytes[i] = static_cast<std::uint8_t>(raw[i]);
    return v;
}

float StepValue::single() const
{
    const std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                               (static_cast<std::uint32_t>(bytes[2]) << 16) |
                               (static_cast<std::uint32_t>(bytes[3]) << 24);
    return std::bit_cast<float>(bits);
}

std::string StepValue::referenceId() const
{
    std::string raw;
    for (std::size_t i = 0; i < 2 && bytes[i] != 0; ++i)
        raw.push_back(static_cast<char>(bytes[i]));
    return cp1250ToUtf8(raw);
}

bool StepValue::refersTo(std::string_view idUtf8) const
{
    const std::string raw = utf8ToCp1250(idUtf8);
    return raw.size() == 2 && static_cast<std::uint8_t>(raw[0]) == bytes[0] &&
           static_cast<std::uint8_t>(raw[1]) == bytes[1];
}

} // namespace kapsorel
