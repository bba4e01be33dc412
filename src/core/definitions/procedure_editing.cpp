#include "core/definitions/procedure_editing.h"

#include "core/definitions/condition_text.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/step_types.h"
#include "core/definitions/text_cut.h"
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
        procedure.steps.emplace_back().type = kStepTypeNotChosen;
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

namespace {

StepValue withKind(const StepValue& value, std::uint8_t kind)
{
    if (value.format == kFormatNone || kind == kFormatNone)
        return StepValue{};
    StepValue v = value;
    v.format = value.isReference() ? static_cast<std::uint8_t>(kind + kFormatReferenceOffset) : kind;
    return v;
}

std::string withPoint(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c == ',')
            c = '.';
    return out;
}

} // namespace

void changeStepType(ProcedureStep& step, std::uint8_t type)
{
    if (type == step.type)
        return;
    step.type = type;
    if (type >= kStepTypeCount)
        return;
    const StepTypeRow& t = kStepTypes[type];
    if (!t.intervalEditable)
        step.recordInterval = 0;
    step.value1 = t.value1Editable ? withKind(step.value1, t.kind1) : StepValue{};
    step.value2 = t.value2Editable ? withKind(step.value2, t.kind2) : StepValue{};
    if (!t.hasEndCondition()) {
        step.endCondition = Condition{};
        if (type == static_cast<std::uint8_t>(StepType::Choice))
            setDefaultChoiceEndCondition(step.endCondition);
    }
}

Status setStepCell(ProcedureStep& step, StepColumn column, std::string_view text, bool serviceRights)
{
    if (column == StepColumn::Action) {
        const auto type = stepTypeByName(text);
        if (!type)
            return Error{"Neznámá akce " + std::string(text)};
        changeStepType(step, *type);
        return {};
    }
    if (!stepColumnEditable(step.type, column))
        return Error{notUsedByStepMessage()};
    switch (column) {
    case StepColumn::Interval: {
        const auto v = checkIntervalText(text, serviceRights);
        if (!v)
            return v.status();
        step.recordInterval = v.value();
        return {};
    }
    case StepColumn::Value1:
    case StepColumn::Value2: {
        const int which = column == StepColumn::Value1 ? 1 : 2;
        if (auto st = checkStepValueText(step.type, which, text); !st)
            return st;
        const StepTypeRow& t = kStepTypes[step.type];
        const std::string typed = !text.empty() && text.front() == '#' ? std::string(text) : withPoint(text);
        const ParsedValue parsed = parseValueText(which == 1 ? t.kind1 : t.kind2, typed);
        (which == 1 ? step.value1 : step.value2) = parsed.value;
        return {};
    }
    case StepColumn::EndConditionOrText:
        step.text = cutChars(text, kStepTextCapacity);
        return {};
    case StepColumn::Print:
    case StepColumn::Report: {
        const auto v = checkByteText(text);
        if (!v)
            return v.status();
        (column == StepColumn::Print ? step.printNumber : step.reportNumber) = v.value();
        return {};
    }
    case StepColumn::Description:
        step.description = cutChars(text, kDescriptionCapacity);
        return {};
    default:
        return Error{notUsedByStepMessage()};
    }
}

std::string actionNotChosenMessage(int position)
{
    return "Krok " + std::to_string(position + 1) + ": není zvolena akce";
}

Status checkStepsForSave(const Procedure& procedure)
{
    for (std::size_t i = 0; i < procedure.steps.size(); ++i) {
        const ProcedureStep& s = procedure.steps[i];
        const int position = static_cast<int>(i);
        if (s.type >= kStepTypeCount)
            return Error{actionNotChosenMessage(position)};
        for (int which = 1; which <= 2; ++which) {
            const StepValue& v = which == 1 ? s.value1 : s.value2;
            const StepColumn column = which == 1 ? StepColumn::Value1 : StepColumn::Value2;
            if (v.format == kFormatNone || v.isReference() || !stepColumnEditable(s.type, column))
                continue;
            if (auto st = checkStepNumber(s.type, which, v.single()); !st)
                return Error{"Krok " + std::to_string(position + 1) + ": " + st.error()};
        }
    }
    return {};
}

} // namespace kapsorel
