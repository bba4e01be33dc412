// What the procedure editor's step grid accepts in a cell: the check of each column,
// with the exact message a refused edit shows.
#pragma once

#include "core/base/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kapsorel {

// Step grid columns: "Krok", "Perioda", "Akce", value 1, value 2, start condition,
// end condition or text, "Tisk", "Rep.", "Popis".
enum class StepColumn : int {
    Step = 0,
    Interval = 1,
    Action = 2,
    Value1 = 3,
    Value2 = 4,
    StartCondition = 5,
    EndConditionOrText = 6,
    Print = 7,
    Report = 8,
    Description = 9,
};

// The record interval below which an operator without service rights is refused.
constexpr int kMinIntervalWithoutService = 10;

// A whole number between `min` and `max` typed into a cell (spaces around allowed, an
// optional sign); nothing for anything else.
std::optional<long long> parseWholeNumber(std::string_view text, long long min, long long max);

// A reference typed into a value cell: "#" and exactly two characters that Windows-1250
// can hold. Refused with referenceTextMessage().
Status checkReferenceText(std::string_view text);
std::string referenceTextMessage();

// "Perioda": empty = 0, otherwise a whole number 0-65535; 1-9 is refused with
// "Minimum je 10s" without service rights.
Result<std::uint16_t> checkIntervalText(std::string_view text, bool serviceRights);

// "Tisk" and "Rep.": empty = 0, otherwise a whole number 0-255.
Result<std::uint8_t> checkByteText(std::string_view text);

// A number for value 1 (`valueIndex` 1) or value 2 (2) of a step of `type`: by the
// column's kind, kind 1 above its maximum is refused with "Maximum je %5.1f", kind 2 with
// "Maximum je " + the rounded maximum when the rounded value is above it; a negative
// value is refused except the relative jump of "Krok" ("Rel.", a backward jump), which
// goes down to minus its maximum ("Minimum je %5.1f"). A value the type does not use
// (not editable) is refused.
Status checkStepNumber(std::uint8_t type, int valueIndex, double value);

// A value cell's text: empty passes, a reference is checked by checkReferenceText, a
// number ("," read as ".") by checkStepNumber; anything else is refused with "Chyba "
// followed by the locale's decimal separator.
Status checkStepValueText(std::uint8_t type, int valueIndex, std::string_view text);

// The step type whose name is `name`, or nothing.
std::optional<std::uint8_t> stepTypeByName(std::string_view name);

// Whether the step type lets the column be typed into (the editable flags of the step
// type table; the conditions are edited in their window, not typed).
bool stepColumnEditable(std::uint8_t type, StepColumn column);

std::string notUsedByStepMessage();

} // namespace kapsorel
