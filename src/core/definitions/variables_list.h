// The variables list ("Seznam proměnných"): every battery variable of every battery
// type in one table, one row per (ID, description), one column per battery type.
#pragma once

#include "core/definitions/battery_type.h"

#include <string>
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

// The pick result after a double click on a row: an empty result takes the row's ID
// cut to 2 characters; an information-only result ("??") is emptied.
std::string pickVariable(const std::string& pickResult, const std::string& rowId);

} // namespace kapsorel
