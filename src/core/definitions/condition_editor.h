// The conditions window (TFpodminky) and its time entry dialog (TFprevod_casu) without
// the windows: the four rows it shows for a condition, which controls a row shows, the
// value field's key filter, its "OK", and the split of a duration into the dialog.
#pragma once

#include "core/base/result.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/condition_text.h"
#include "core/definitions/procedure.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kapsorel {

// One row of the window: list positions (−1 = nothing chosen) and the value field.
struct ConditionRow {
    int joiner = 0;    // op0: "nepoužívat", "používat"; op1-op3: "konec", "OR", "AND"
    int variable = -1; // prom0-prom3: the 17 condition variables in code order
    int relation = -1; // rel0-rel3: "=", "<", "<=", ">", ">="
    std::string valueText;

    bool operator==(const ConditionRow&) const = default;
};
using ConditionRows = std::array<ConditionRow, kTermsPerCondition>;

// The rows the window opens with. A used term shows its codes (−1 for a code outside
// its list) and FormatValueText of its value with the battery type `shown`; a term not
// used gets its lists set too (its stored codes when valid, else the first entry) and
// an empty value, so turning it on never stores a missing choice.
ConditionRows conditionRowsFor(const Condition& condition, const BatteryType* shown);

// Which of a row's controls are visible: the variable, relation and value while its
// joiner is not 0, the "..." time button while moreover the variable is "Doba".
struct ConditionRowControls {
    bool valueControls = false;
    bool timeButton = false;

    bool operator==(const ConditionRowControls&) const = default;
};
ConditionRowControls conditionRowControls(const ConditionRow& row);

// "OK": every used row must have a joiner, variable and relation chosen from its lists
// and a value that reads (a number, or "#" and two characters); otherwise nothing is
// stored and the message names the row ("Řádek 2: ..."). A row not used keeps the
// term's other bytes.
Status applyConditionRows(Condition& condition, const ConditionRows& rows);

// A key pressed in a value field (shod0-shod3).
enum class ValueFieldKey { Character, Backspace, Delete, Left, Right, Home, End };

struct KeyVerdict {
    bool accepted = false;
    std::string insert; // for an accepted character: what to insert ("." and "," become the decimal separator)

    bool operator==(const KeyVerdict&) const = default;
};

// The value field's filter on the field's text, its selection (in characters) and the
// key (`typed` is the character for ValueFieldKey::Character). Editing keys always pass.
// Without its selected part the text is the "remaining" text: starting with "#" it takes
// characters while shorter than 3; empty it takes "#"; otherwise digits and one
// decimal separator.
KeyVerdict filterConditionValueKey(std::string_view text, std::size_t selectionStart, std::size_t selectionLength,
                                   ValueFieldKey key, std::string_view typed = {});

// The time entry dialog's fields for a "Doba" value field: empty = 0, a number's whole
// part (a fraction is cut off); a variable reference or text that is no number is
// refused with the message to show.
Result<TimeEntry> timeEntryOfField(std::string_view text);
// The value field's text after the dialog's "OK": the whole seconds.
std::string fieldOfTimeEntry(const TimeEntry& entry);

} // namespace kapsorel
