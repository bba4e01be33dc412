#include "core/app/start_battery_test.h"

#include "core/definitions/prepare_run.h"
#include "core/engine/operator_actions.h"

namespace kapsorel {

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

bool validIndex(int index, const std::vector<BatteryType>& types)
{
    return index >= 0 && index < static_cast<int>(types.size());
}

} // namespace

std::string startChecks(Station& station, PowerCommands& power)
{
    station.live.settleCountdown.store(0, relaxed);
    station.live.deltaCurrent.store(kDeltaCurrentUnavailable, relaxed);
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

TestStartOutcome startNewTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                              const TestStartRequest& request)
{
    TestStartOutcome out;
    Station& station = runtime.station();
    if (station.run.runActive()) {
        out.messages.emplace_back(kRunAlreadyActive);
        return out;
    }
    station.run.jumpTarget.store(-1, relaxed);
    station.run.questionAnswer.store(0, relaxed);
    if (request.batteryNumber.empty()) {
        out.messages.emplace_back(kNoBatteryNumber);
        return out;
    }
    runtime.powerCommands().newTest();
    // Nothing of the previous test (or of the last file opened) reaches the new one.
    station.live.errorType.store(0, relaxed);
    station.live.lastAlarmedError.store(0, relaxed);
    for (auto& v : station.run.variables)
        v.store(0, relaxed);
    station.run.variablesChanged.store(0, relaxed);

    TestHeader header;
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

TestStartOutcome startManualTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                                 const ManualRun& manual, const TestStartRequest& request)
{
    if (runtime.station().run.runActive())
        return TestStartOutcome{false, {kRunAlreadyActive}};
    if (request.batteryNumber.empty())
        return TestStartOutcome{false, {kNoBatteryNumber}};
    buildManualProcedure(runtime.procedure(), manual);
    runtime.setCurrentChangeSeconds(0);
    TestStartRequest named = request;
    named.procedureName = kManualProcedureName;
    return startNewTest(runtime, types, named);
}

Status resumeTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                  const std::vector<std::pair<std::int16_t, std::string>>& procedures, std::uint8_t step)
{
    const TestHeader header = runtime.testFile().header();
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
        runtime.station().live.lastAlarmedError.store(0, relaxed);
        runtime.station().run.questionAnswer.store(0, relaxed);
        runtime.powerCommands().runIndicator(true);
    };
    return runtime.testFile().resume(step, resolve, beforeRun);
}

} // namespace kapsorel
