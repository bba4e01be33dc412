// The procedure editor's step operations and the texts of a step grid row, as plain
// functions over the editor's Procedure buffer.
#pragma once

#include "core/base/result.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"

#include <array>
#include <cstdint>
#include <string>

namespace kapsorel {

// Step grid columns: "Krok", "Perioda", "Akce", value 1, value 2, start condition,
// end condition or text, "Tisk", "Rep.", "Popis".
constexpr int kStepGridColumns = 10;
using StepGridRow = std::array<std::string, kStepGridColumns>;

// The row the step grid shows for step `position` (0-based): the interval is left
// empty for "Konec nab.", "Konec vyb." and "Signalizace"; values by FormatValueText and
// conditions by ConditionText with the battery type `shown` (null = none).
StepGridRow stepGridRow(const ProcedureStep& step, int position, const BatteryType* shown);

// Appends copies of the steps first..last (inclusive) at the end; on a procedure with
// no steps one empty step is appended instead. Refused beyond 200 steps.
Status appendStepCopies(Procedure& procedure, int first, int last);
void removeStep(Procedure& procedure, int position);
// Exchanges the step with its neighbour; false when it is already first / last.
bool moveStepUp(Procedure& procedure, int position);
bool moveStepDown(Procedure& procedure, int position);

// A new step type chosen in "Akce": the type is stored, and the record interval and
// values that the new type does not let the user edit are emptied.
void changeStepType(ProcedureStep& step, std::uint8_t type);

} // namespace kapsorel
