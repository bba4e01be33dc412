// Conditions as the procedure editor shows them ("U>=28.8 V | T>1h0m0s "), the
// default end condition of a "Volba" step, the time entry arithmetic, and the rules
// the editor applies to a step before saving it.
#pragma once

#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"

#include <string>

namespace kapsorel {

// The terms up to the first with joiner 0: "| " or "& " before terms 2-4, then symbol,
// relation, value text and unit. Variable references follow FormatValueText with the
// battery type `shown` (null = none).
std::string ConditionText(const Condition& condition, const BatteryType* shown);
std::string ConditionText(const ProcedureStep& step, int which, const BatteryType* shown);

// One term "Volba tl." > 0.0 (format 2, joiner 1), the second term not used.
void setDefaultChoiceEndCondition(Condition& condition);

// What the editor does to a step when it stores it: the step text is kept (cut to 50
// characters) only for "Signalizace" and "Volba", the description is cut to 30
// characters, and a "Volba" step without an end condition gets the default one.
void normaliseStepForSave(ProcedureStep& step);

// The time entry dialog's fields ("Hodin" 0-255, "Minut" 0-59, "Sekund" 0-59).
struct TimeEntry {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    bool operator==(const TimeEntry&) const = default;
};

constexpr int kTimeEntryMaxHours = 255;

// Whole seconds into the dialog's fields; negative counts as 0, hours stop at 255.
TimeEntry splitSeconds(long long seconds);
// hours × 3600 + minutes × 60 + seconds.
long long joinSeconds(const TimeEntry& entry);

} // namespace kapsorel
