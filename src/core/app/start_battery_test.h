// Starting and resuming a test as the operator's Start and Ručně do it: the checks at
// Start, the procedure resolved for the battery type, "PE", the new test file, "PL" and
// the run handed to the engine.
#pragma once

#include "core/app/station_runtime.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/offered_procedures.h"
#include "core/engine/manual_procedure.h"

#include <string>
#include <vector>

namespace kapsorel {

inline constexpr const char* kNoBatteryNumber = "Není zadáno číslo baterie";
inline constexpr const char* kProcedureNotFound = "Postup nenalezen";
inline constexpr const char* kRunAlreadyActive = "Proces je spuštěn";
// The procedure name a manual test's header carries.
inline constexpr const char* kManualProcedureName = "Ručně";
inline constexpr const char* kManualTestNotResumable =
    "Ruční test nelze obnovit. Spusťte jej znovu tlačítkem Ručně nebo začněte nový test.";

struct BatteryTestStartRequest {
    int batteryIndex = -1;             // position in the battery type table; none: "N/A"
    std::int16_t procedureNumber = -1; // -1: not in the procedure index
    std::string procedureName;
    std::string operatorName; // "Měřil"
    std::string batteryNumber;
    std::string note;
};

struct BatteryTestStartOutcome {
    bool started = false;
    std::vector<std::string> messages; // to show the operator, in order
};

// The first part of Start, before the resume question: settling and the current change
// reset, then "MT". Returns the message to show ("Porucha teplotního čidla"), else empty;
// the start goes on either way.
std::string startChecks(Station& station, PowerCommands& power);

// Resolves the chosen procedure for the battery type into the runtime's RunProcedure and
// sets the runtime's current-change window from that battery type (0 without one).
Status resolveProcedure(StationRuntime& runtime, const std::vector<BatteryType>& types, std::int16_t procedureNumber,
                        int batteryIndex);

// Starts a new test of the procedure already in the runtime's RunProcedure: refused
// with kNoBatteryNumber (and nothing changed) without a battery number; otherwise "PE",
// the error alarm and the variables cleared, the test file created, "PL" 1, RunState 1.
BatteryTestStartOutcome startNewTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                                     const BatteryTestStartRequest& request);

// Ručně: a new test of the manual four-step procedure, without "MT", without a
// procedure lookup and without the resume question. Its header names the procedure
// kManualProcedureName; the current-change window is 0.
BatteryTestStartOutcome startManualTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                                        const ManualRun& manual, const BatteryTestStartRequest& request);

// Continues step `step` of the current (interrupted) test: the procedure is resolved
// again from the names in the test's header ("Postup nenalezen" when it is gone; nothing
// is written then), the resume is recorded, "PL" 1 is sent and the engine takes the step
// over with its interruption excluded. A manual test is not resumed
// (kManualTestNotResumable): its four steps were built from values the file does not keep,
// and no stored procedure may stand in for them.
Status resumeTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                  const std::vector<std::pair<std::int16_t, std::string>>& procedures, std::uint8_t step);

} // namespace kapsorel
