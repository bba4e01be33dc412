#include "core/definitions/condition_text.h"

#include "core/base/numbers.h"
#include "core/definitions/condition_variables.h"
#include "core/definitions/step_types.h"
#include "core/definitions/text_cut.h"
#include "core/definitions/value_text.h"

#include <string>

namespace kapsorel {

namespace {

std::string durationText(float value)
{
    const long long n = roundHalfEvenToInt(value);
    const long long h = n / 3600;
    std::string out;
    if (h > 0)
        out = std::to_string(h) + "h";
    out += std::to_string((n % 3600) / 60) + "m" + std::to_string(n % 60) + "s ";
    return out;
}

std::string termValueText(const StepValue& v, const BatteryType* shown)
{
    switch (v.format) {
    case kFormatDuration:
        return durationText(v.single());
    case kFormatWhole:
        return formatLiteral(kFormatWhole, v.single());
    case kFormatOneDecimal:
    case kFormatTwoDecimals:
    case kFormatThreeDecimals:
        return formatLiteral(v.format, v.single()) + " ";
    default:
        if (v.format > kFormatReferenceOffset && v.format <= kFormatMax)
            return formatValueText(v, shown);
        return {};
    }
}

} // namespace

std::string ConditionText(const Condition& condition, const BatteryType* shown)
{
    std::string out;
    for (std::size_t i = 0; i < condition.size(); ++i) {
        const ConditionTerm& t = condition[i];
        if (t.joiner == kJoinEnd)
            break;
        if (i > 0) {
            if (t.joiner == kJoinOr)
                out += "| ";
            else if (t.joiner == kJoinAnd)
                out += "& ";
        }
        std::string symbol = "?";
        std::string unit;
        if (t.variable < kConditionVariableCount) {
            symbol = kConditionVariables[t.variable].symbol;
            unit = kConditionVariables[t.variable].unit;
        }
        const char* relation = t.relation < kRelationCount ? kRelationSymbols[t.relation] : "?";
        out += symbol + relation + termValueText(t.value, shown) + unit;
    }
    return out;
}

std::string ConditionText(const ProcedureStep& step, int which, const BatteryType* shown)
{
    return ConditionText(step.condition(which), shown);
}

void setDefaultChoiceEndCondition(Condition& condition)
{
    ConditionTerm& first = condition[0];
    first.variable = kVarAnswer;
    first.relation = kRelGreater;
    first.value = StepValue::number(kFormatOneDecimal, 0.0f);
    first.joiner = kJoinOr;
    condition[1].joiner = kJoinEnd;
}

void normaliseStepForSave(ProcedureStep& step)
{
    step.text = stepTypeKeepsText(step.type) ? cutChars(step.text, kStepTextCapacity) : std::string();
    step.description = cutChars(step.description, kDescriptionCapacity);
    if (step.type == static_cast<std::uint8_t>(StepType::Choice) && !conditionUsed(step.endCondition))
        setDefaultChoiceEndCondition(step.endCondition);
}

TimeEntry splitSeconds(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    if (seconds / 3600 > kTimeEntryMaxHours)
        return {kTimeEntryMaxHours, 59, 59};
    return {static_cast<int>(seconds / 3600), static_cast<int>((seconds % 3600) / 60), static_cast<int>(seconds % 60)};
}

long long joinSeconds(const TimeEntry& entry)
{
    return static_cast<long long>(entry.hours) * 3600 + static_cast<long long>(entry.minutes) * 60 + entry.seconds;
}

} // namespace kapsorel
