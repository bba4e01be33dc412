// The variables list ("Seznam proměnných"): every battery variable of every battery
// type in one table, one row per (ID, description), one column per battery type.
#pragma once

#include "core/definitions/battery_type.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

struct VariablesListRow {
    std::string id;
    std::string description;
    std::vector<std::string> values; // one per battery column, "%.2f" or ""
};

struct VariablesList {
    std::vector<std::string> batteryColumns; // names of the types that have variables
    std::vector<int> batteryOfColumn;        // their positions in the battery table
    std::vector<VariablesListRow> rows;

    // "ID", "Popis", then the battery names.
    std::vector<std::string> headers() const;
};

VariablesList buildVariablesList(const std::vector<BatteryType>& types);

// The pick result the procedure editor sets before opening the list: empty to pick a
// variable, "??" when the list only informs (check mode).
constexpr std::string_view kInformationOnlyPick = "??";

// A double click on the list's row `row` (−1 = the header row): the reference
// "#" + ID to put into the value cell, only while picking (pick result empty) and only
// for a row whose ID is exactly two characters; nothing otherwise.
std::optional<std::string> pickVariable(std::string_view pickResult, const VariablesList& list, int row);

} // namespace kapsorel
