// Resolving a procedure for one battery type into the RunProcedure the engine executes.
#pragma once

#include "core/base/clock.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"
#include "core/definitions/run_procedure.h"
#include "core/definitions/step_value.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kapsorel {

// The load error flag: set while a procedure cannot be prepared; no test starts while
// it is set. `message` is what to show ("" when the flag alone is set).
struct LoadError {
    bool set = false;
    std::string message;

    void clear()
    {
        set = false;
        message.clear();
    }
};

// "U baterie " + name + "není proměnná #" + ID, the first part with the name cut to
// 40 characters and the text before the ID to 55.
std::string missingVariableMessage(std::string_view batteryName, std::string_view id);

// The value as a plain number: literals as stored; references looked up in the battery
// type `batteryIndex` of `types`. Without a battery type (index < 0 or out of range) the
// result is 0.0 and the flag is set with no message; a missing variable gives 0.0, the
// flag and missingVariableMessage.
float resolveValue(const StepValue& value, const std::vector<BatteryType>& types, std::int16_t batteryIndex,
                   LoadError& error);

// Builds `run` from an in-memory procedure. Stops at the first reference that cannot
// be resolved; then `run` holds no steps (step count 0) and `error` is set.
void prepareRun(const Procedure& procedure, const std::vector<BatteryType>& types, std::int16_t batteryIndex,
                RunProcedure& run, LoadError& error);

// Reads the procedure file `number` under `home` and builds `run` from it. A missing,
// unreadable or empty procedure sets the flag with a message and leaves `run` with
// step count 0, so a stale RunProcedure is never started.
void prepareRun(const std::filesystem::path& home, std::int16_t number, const std::vector<BatteryType>& types,
                std::int16_t batteryIndex, RunProcedure& run, LoadError& error, Clock& clock = SystemClock::instance());

// Message for a procedure file with no steps.
std::string emptyProcedureMessage();

} // namespace kapsorel
