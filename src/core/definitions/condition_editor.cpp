#include "core/definitions/condition_editor.h"

#include "core/base/locale_formats.h"
#include "core/base/numbers.h"
#include "core/definitions/condition_variables.h"
#include "core/definitions/step_cell_check.h"
#include "core/definitions/text_cut.h"
#include "core/definitions/value_text.h"

#include <cmath>

namespace kapsorel {

namespace {

int joinerCount(std::size_t row)
{
    return row == 0 ? static_cast<int>(kFirstJoinerNames.size()) : static_cast<int>(kJoinerNames.size());
}

std::string rowMessage(std::size_t row, const std::string& what)
{
    return "Řádek " + std::to_string(row + 1) + ": " + what;
}

// Byte offset of character `chars` in a UTF-8 text (the end when it has fewer).
std::size_t byteOffset(std::string_view utf8, std::size_t chars)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
            if (seen == chars)
                return i;
            ++seen;
        }
    }
    return utf8.size();
}

} // namespace

ConditionRows conditionRowsFor(const Condition& condition, const BatteryType* shown)
{
    ConditionRows rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ConditionTerm& t = condition[i];
        ConditionRow& r = rows[i];
        const bool variableValid = t.variable < kConditionVariableCount;
        const bool relationValid = t.relation < kRelationCount;
        r.joiner = t.joiner < joinerCount(i) ? t.joiner : -1;
        if (t.joiner == kJoinEnd) {
            r.variable = variableValid ? t.variable : 0;
            r.relation = relationValid ? t.relation : 0;
            continue;
        }
        r.variable = variableValid ? t.variable : -1;
        r.relation = relationValid ? t.relation : -1;
        r.valueText = formatValueText(t.value, shown);
    }
    return rows;
}

ConditionRowControls conditionRowControls(const ConditionRow& row)
{
    ConditionRowControls c;
    c.valueControls = row.joiner > 0;
    c.timeButton = c.valueControls && row.variable == kVarTime;
    return c;
}

Status applyConditionRows(Condition& condition, const ConditionRows& rows)
{
    Condition result = condition;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ConditionRow& r = rows[i];
        ConditionTerm& t = result[i];
        if (r.joiner < 0 || r.joiner >= joinerCount(i))
            return Error{rowMessage(i, "není zvoleno spojení")};
        t.joiner = static_cast<std::uint8_t>(r.joiner);
        if (r.joiner == kJoinEnd)
            continue;
        if (r.variable < 0 || r.variable >= kConditionVariableCount)
            return Error{rowMessage(i, "není zvolena veličina")};
        if (r.relation < 0 || r.relation >= kRelationCount)
            return Error{rowMessage(i, "není zvolen vztah")};
        const std::uint8_t defaultFormat = kConditionVariables[static_cast<std::size_t>(r.variable)].defaultFormat;
        if (!r.valueText.empty() && r.valueText.front() == '#') {
            if (auto st = checkReferenceText(r.valueText); !st)
                return Error{rowMessage(i, st.error())};
        }
        const ParsedValue parsed = parseValueText(defaultFormat, r.valueText);
        if (parsed.failed)
            return Error{rowMessage(i, "hodnota " + r.valueText + " není číslo")};
        t.variable = static_cast<std::uint8_t>(r.variable);
        t.relation = static_cast<std::uint8_t>(r.relation);
        t.value = parsed.value;
    }
    condition = result;
    return {};
}

KeyVerdict filterConditionValueKey(std::string_view text, std::size_t selectionStart, std::size_t selectionLength,
                                   ValueFieldKey key, std::string_view typed)
{
    if (key != ValueFieldKey::Character)
        return {true, {}};
    const std::size_t from = byteOffset(text, selectionStart);
    const std::size_t to = byteOffset(text, selectionStart + selectionLength);
    std::string remaining(text.substr(0, from));
    remaining += text.substr(to);

    if (!remaining.empty() && remaining.front() == '#') {
        if (charCount(remaining) < 3 && charCount(typed) == 1)
            return {true, std::string(typed)};
        return {};
    }
    if (remaining.empty() && typed == "#")
        return {true, "#"};
    const char separator = localeFormats().decimalSeparator;
    if (typed == "." || typed == ",") {
        if (remaining.find_first_of(std::string(1, separator) + ".,") != std::string::npos)
            return {};
        return {true, std::string(1, separator)};
    }
    if (typed.size() == 1 && typed[0] >= '0' && typed[0] <= '9')
        return {true, std::string(typed)};
    return {};
}

Result<TimeEntry> timeEntryOfField(std::string_view text)
{
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    if (s.empty())
        return TimeEntry{};
    if (s.front() == '#')
        return Error{"Doba je odkaz na proměnnou, nelze ji převést"};
    const auto number = parseNumber(s);
    if (!number)
        return Error{"Doba " + std::string(text) + " není číslo"};
    constexpr double kLongest = 1e12;
    const double whole = std::trunc(std::fmin(std::fmax(*number, 0.0), kLongest));
    return splitSeconds(static_cast<long long>(whole));
}

std::string fieldOfTimeEntry(const TimeEntry& entry)
{
    return std::to_string(joinSeconds(entry));
}

} // namespace kapsorel
