// The procedure editor's step operations and the texts of a step grid row, as plain
// functions over the editor's Procedure buffer.
#pragma once

#include "core/base/result.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"
#include "core/definitions/step_cell_check.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kapsorel {

// Step grid columns: "Krok", "Perioda", "Akce", value 1, value 2, start condition,
// end condition or text, "Tisk", "Rep.", "Popis".
constexpr int kStepGridColumns = 10;
using StepGridRow = std::array<std::string, kStepGridColumns>;

// The row the step grid shows for step `position` (0-based): the interval is left
// empty for "Konec nab.", "Konec vyb." and "Signalizace"; values by FormatValueText and
// conditions by ConditionText with the battery type `shown` (null = none).
StepGridRow stepGridRow(const ProcedureStep& step, int position, const BatteryType* shown);

// The type of a step row whose "Akce" has not been chosen yet (outside the step type
// table: such a step is never saved or copied).
constexpr std::uint8_t kStepTypeNotChosen = 255;

// Appends copies of the steps first..last (inclusive) at the end; on a procedure with
// no steps one empty step whose "Akce" is still to be chosen is appended instead.
// Refused beyond 200 steps.
Status appendStepCopies(Procedure& procedure, int first, int last);
void removeStep(Procedure& procedure, int position);
// Exchanges the step with its neighbour; false when it is already first / last.
bool moveStepUp(Procedure& procedure, int position);
bool moveStepDown(Procedure& procedure, int position);

// A new step type chosen in "Akce": the type is stored, the record interval and values
// that the new type does not let the user edit are emptied, the values it keeps take
// the new type's format codes (as if typed again), and a type without an end condition
// column gets the default end condition (none; a "Volba" step its default one), so a
// condition nobody can see is never evaluated.
void changeStepType(ProcedureStep& step, std::uint8_t type);

// A typed cell of the step grid into the step: each column checked by step_cell_check
// (an "Akce" text must be one of the eleven names); a refused edit leaves the step
// unchanged and carries the message to show.
Status setStepCell(ProcedureStep& step, StepColumn column, std::string_view text, bool serviceRights);

// What a save or a copy refuses, naming the row ("Krok 3: ..."): a step whose "Akce"
// was never chosen and a literal value the step's type does not accept.
Status checkStepsForSave(const Procedure& procedure);
std::string actionNotChosenMessage(int position);

} // namespace kapsorel
