// What the main window does to prepare a run when "Start" is pressed: find the chosen
// procedure and battery type by name and build the RunProcedure.
#pragma once

#include "core/base/clock.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/prepare_run.h"
#include "core/definitions/procedure_index.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kapsorel {

struct PreparedStart {
    std::int16_t batteryIndex = -1;          // first battery type of that name, −1 none
    std::uint16_t currentChangeInterval = 0; // that type's interval, 0 when none matched
};

// A procedure name not in the index sets the load error flag with "Postup nenalezen"
// and prepares nothing; otherwise PrepareRun on the index's home. The caller clears
// `error` first and starts no run while it is set.
PreparedStart prepareStartByNames(const ProcedureIndex& index, const BatteryTable& batteries,
                                  std::string_view procedureName, std::string_view batteryName, RunProcedure& run,
                                  LoadError& error, Clock& clock = SystemClock::instance());

} // namespace kapsorel
