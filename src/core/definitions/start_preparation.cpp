#include "core/definitions/start_preparation.h"

namespace kapsorel {

PreparedStart prepareStartByNames(const ProcedureIndex& index, const BatteryTable& batteries,
                                  std::string_view procedureName, std::string_view batteryName, RunProcedure& run,
                                  LoadError& error, Clock& clock)
{
    PreparedStart out;
    out.batteryIndex = static_cast<std::int16_t>(batteries.findByName(batteryName));
    if (out.batteryIndex >= 0)
        out.currentChangeInterval = batteries.at(out.batteryIndex).currentChangeInterval;
    const int position = index.positionOfName(procedureName);
    if (position < 0) {
        run.stepCount = 0;
        error.set = true;
        error.message = "Postup nenalezen";
        return out;
    }
    prepareRun(index.home(), static_cast<std::int16_t>(index.at(position).number), batteries.types(), out.batteryIndex,
               run, error, clock);
    return out;
}

} // namespace kapsorel
