#include "core/app/start_battery_test.h"

#include "core/base/atomic_order.h"
#include "core/definitions/prepare_run.h"
#include "core/engine/operator_actions.h"

namespace kapsorel {

namespace {

bool validIndex(int index, const std::vector<BatteryType>& types)
{
    return index >= 0 && index < static_cast<int>(types.size());
}

} // namespace

std::string startChecks(Station& station, PowerCommands& power)
{
    station.live.settleCountdown.store(0, kRelaxed);
    station.live.deltaCurrent.store(kDeltaCurrentUnavailable, kRelaxed);
    return temperatureSensorCheck(power);
}

Status resolveProcedure(StationRuntime& runtime, const std::vector<BatteryType>& types, std::int16_t procedureNumber,
                        int batteryIndex)
{
    if (procedureNumber < 0)
        return Error{kProcedureNotFound};
    LoadError error;
    prepareRun(runtime.home(), procedureNumber, types,
               static_cast<std::int16_t>(validIndex(batteryIndex, types) ? batteryIndex : -1), runtime.procedure(),
               error);
    if (error.set)
        return Error{error.message.empty() ? std::string(kProcedureNotFound) : error.message};
    runtime.setCurrentChangeSeconds(
        validIndex(batteryIndex, types) ? types[static_cast<std::size_t>(batteryIndex)].currentChangeInterval : 0);
    return {};
}

BatteryTestStartOutcome startNewTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                                     const BatteryTestStartRequest& request)
{
    BatteryTestStartOutcome out;
    Station& station = runtime.station();
    if (station.run.runActive()) {
        out.messages.emplace_back(kRunAlreadyActive);
        return out;
    }
    station.run.jumpTarget.store(-1, kRelaxed);
    station.run.questionAnswer.store(0, kRelaxed);
    if (request.batteryNumber.empty()) {
        out.messages.emplace_back(kNoBatteryNumber);
        return out;
    }
    runtime.powerCommands().newTest();
    // Nothing of the previous test (or of the last file opened) reaches the new one.
    station.live.errorType.store(0, kRelaxed);
    station.live.lastAlarmedError.store(0, kRelaxed);
    for (auto& v : station.run.variables)
        v.store(0, kRelaxed);
    station.run.variablesChanged.store(0, kRelaxed);

    BatteryTestHeader header;
    header.stepCount = runtime.procedure().stepCount;
    header.start = runtime.clock().now();
    header.operatorName = request.operatorName;
    header.stationName = runtime.settings().stationName;
    header.batteryNumber = request.batteryNumber;
    header.batteryType = validIndex(request.batteryIndex, types)
                             ? types[static_cast<std::size_t>(request.batteryIndex)].name
                             : std::string(kNoBatteryTypeName);
    header.procedureName = request.procedureName;
    header.note = request.note;
    const Status created = runtime.testFile().createTestFile(header, static_cast<std::uint8_t>(station.batteryFamily()),
                                                             runtime.dataFolder());
    if (!created) {
        out.messages.push_back(created.error());
        return out;
    }
    runtime.powerCommands().runIndicator(true);
    runtime.startRun();
    out.started = true;
    return out;
}

BatteryTestStartOutcome startManualTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                                        const ManualRun& manual, const BatteryTestStartRequest& request)
{
    if (runtime.station().run.runActive())
        return BatteryTestStartOutcome{false, {kRunAlreadyActive}};
    if (request.batteryNumber.empty())
        return BatteryTestStartOutcome{false, {kNoBatteryNumber}};
    buildManualProcedure(runtime.procedure(), manual);
    runtime.setCurrentChangeSeconds(0);
    BatteryTestStartRequest named = request;
    named.procedureName = kManualProcedureName;
    return startNewTest(runtime, types, named);
}

Status resumeTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                  const std::vector<std::pair<std::int16_t, std::string>>& procedures, std::uint8_t step)
{
    const BatteryTestHeader header = runtime.testFile().header();
    if (header.procedureName == kManualProcedureName)
        return Error{kManualTestNotResumable};
    auto resolve = [&]() -> Status {
        std::int16_t number = -1;
        for (const auto& [n, name] : procedures)
            if (name == header.procedureName) {
                number = n;
                break;
            }
        int batteryIndex = -1;
        for (std::size_t i = 0; i < types.size() && batteryIndex < 0; ++i)
            if (types[i].name == header.batteryType)
                batteryIndex = static_cast<int>(i);
        return resolveProcedure(runtime, types, number, batteryIndex);
    };
    auto beforeRun = [&] {
        runtime.station().live.lastAlarmedError.store(0, kRelaxed);
        runtime.station().run.questionAnswer.store(0, kRelaxed);
        runtime.powerCommands().runIndicator(true);
    };
    return runtime.testFile().resume(step, resolve, beforeRun);
}

} // namespace kapsorel
