#include "core/definitions/procedure_editing.h"

#include "core/definitions/condition_text.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/step_types.h"
#include "core/definitions/value_text.h"

#include <utility>

namespace kapsorel {

StepGridRow stepGridRow(const ProcedureStep& step, int position, const BatteryType* shown)
{
    StepGridRow row;
    row[0] = std::to_string(position + 1);
    const bool noInterval = step.type == static_cast<std::uint8_t>(StepType::EndOfCharge) ||
                            step.type == static_cast<std::uint8_t>(StepType::EndOfDischarge) ||
                            step.type == static_cast<std::uint8_t>(StepType::Signalling);
    row[1] = noInterval ? std::string() : std::to_string(step.recordInterval);
    row[2] = stepTypeName(step.type);
    row[3] = formatValueText(step.value1, shown);
    row[4] = formatValueText(step.value2, shown);
    row[5] = ConditionText(step.startCondition, shown);
    const bool endColumn = step.type < kStepTypeCount && kStepTypes[step.type].hasEndCondition();
    row[6] = endColumn ? ConditionText(step.endCondition, shown) : step.text;
    row[7] = std::to_string(step.printNumber);
    row[8] = std::to_string(step.reportNumber);
    row[9] = step.description;
    return row;
}

Status appendStepCopies(Procedure& procedure, int first, int last)
{
    if (procedure.steps.empty()) {
        if (auto st = checkRoomForSteps(procedure, 1); !st)
            return st;
        procedure.steps.emplace_back();
        return {};
    }
    const int count = static_cast<int>(procedure.steps.size());
    if (first < 0 || last >= count || first > last)
        return Error{"Není vybrán žádný krok"};
    if (auto st = checkRoomForSteps(procedure, last - first + 1); !st)
        return st;
    for (int i = first; i <= last; ++i)
        procedure.steps.push_back(procedure.steps[static_cast<std::size_t>(i)]);
    return {};
}

void removeStep(Procedure& procedure, int position)
{
    if (position >= 0 && position < static_cast<int>(procedure.steps.size()))
        procedure.steps.erase(procedure.steps.begin() + position);
}

bool moveStepUp(Procedure& procedure, int position)
{
    if (position <= 0 || position >= static_cast<int>(procedure.steps.size()))
        return false;
    std::swap(procedure.steps[static_cast<std::size_t>(position)],
              procedure.steps[static_cast<std::size_t>(position - 1)]);
    return true;
}

bool moveStepDown(Procedure& procedure, int position)
{
    if (position < 0 || position + 1 >= static_cast<int>(procedure.steps.size()))
        return false;
    std::swap(procedure.steps[static_cast<std::size_t>(position)],
              procedure.steps[static_cast<std::size_t>(position + 1)]);
    return true;
}

void changeStepType(ProcedureStep& step, std::uint8_t type)
{
    step.type = type;
    if (type >= kStepTypeCount)
        return;
    const StepTypeRow& t = kStepTypes[type];
    if (!t.intervalEditable)
        step.recordInterval = 0;
    if (!t.value1Editable)
        step.value1 = StepValue{};
    if (!t.value2Editable)
        step.value2 = StepValue{};
}

} // namespace kapsorel
