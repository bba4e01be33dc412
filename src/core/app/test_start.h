// Starting and resuming a test as the operator's Start does it: the temperature sensor
// check, the procedure resolved for the battery type, "PE", the new test file, "PL" and
// the run handed to the engine.
#pragma once

#include <string>
#include <vector>

#include "core/app/station_runtime.h"
#include "core/definitions/battery_type.h"

namespace kapsorel {

struct TestStartRequest {
    int batteryIndex = -1;           // position in the battery type table
    std::int16_t procedureNumber = -1;
    std::string procedureName;
    std::string operatorName;        // "Měřil"
    std::string batteryNumber;
    std::string note;
};

struct TestStartOutcome {
    bool started = false;
    std::vector<std::string> messages;  // to show the operator, in order
};

// Starts a new test of the procedure for the battery type. Nothing is started (no
// command beyond "MT", no file) when the procedure cannot be resolved.
TestStartOutcome startTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                           const TestStartRequest& request);

// Continues step `step` of the current (interrupted) test: the procedure is resolved
// again from the names in the test's header, "PL" 1 is sent and the engine takes the
// step over with its interruption excluded.
Status resumeTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                  const std::vector<std::pair<std::int16_t, std::string>>& procedures, std::uint8_t step);

}  // namespace kapsorel
