// The procedures the main window offers for the chosen battery type.
#pragma once

#include "core/definitions/battery_type.h"
#include "core/definitions/procedure_index.h"

#include <string_view>
#include <vector>

namespace kapsorel {

// The entry the battery type list shows when no battery type fits; it offers every
// procedure of the index.
constexpr std::string_view kNoBatteryTypeName = "N/A";

// The procedures allowed for `typeName`: the union over every battery type of that
// name (names need not be unique), in table order and each type's own order, one row
// per procedure number (the first type that allows it places it). Allowed numbers that
// no index entry has are left out. For kNoBatteryTypeName every
// index entry is offered; for a name no type has, none.
std::vector<ProcedureIndexEntry> offeredProcedures(const std::vector<BatteryType>& types, std::string_view typeName,
                                                   const std::vector<ProcedureIndexEntry>& index);

} // namespace kapsorel
