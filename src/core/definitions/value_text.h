// Step values as text: what the editor's cells and the conditions window type in,
// and what the step grid shows (with a battery type's values in check mode).
#pragma once

#include "core/definitions/battery_type.h"
#include "core/definitions/step_value.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kapsorel {

struct ParsedValue {
    StepValue value;
    bool failed = false; // the text was not a number; the value is then 0.0
};

// "" -> code 0 and zero bytes; "#AB" -> code default + 10 with the bytes of A and B;
// anything else -> code `defaultFormat` and the number as parseNumber reads it (the
// current decimal separator or a point, surrounding spaces allowed).
ParsedValue parseValueText(std::uint8_t defaultFormat, std::string_view text);

// The value as the step grid shows it. References show "#" + ID when `shown` is null,
// otherwise the shown battery type's value by code − 10, or "???" when it lacks the ID.
std::string formatValueText(const StepValue& value, const BatteryType* shown);

// A literal shown by format code 1-4 (1 and 5: whole number, halves to even); "" otherwise.
std::string formatLiteral(std::uint8_t format, float value);

} // namespace kapsorel
