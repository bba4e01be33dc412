#include "core/app/test_start.h"

#include "core/comm/run_commands.h"
#include "core/definitions/prepare_run.h"
#include "core/engine/operator_actions.h"

namespace kapsorel {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
}

TestStartOutcome startTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                           const TestStartRequest& request)
{
    TestStartOutcome out;
    Station& station = runtime.station();
    if (station.run.runActive()) {
        out.messages.emplace_back("Proces je spuštěn");
        return out;
    }
    station.live.SettleCountdown.store(0, relaxed);
    station.live.DeltaCurrent.store(kDeltaCurrentUnavailable, relaxed);
    if (auto m = temperatureSensorCheck(station); !m.empty())
        out.messages.push_back(m);

    LoadError error;
    PrepareRun(runtime.home(), request.procedureNumber, types, static_cast<std::int16_t>(request.batteryIndex),
               runtime.procedure(), error);
    if (error.set) {
        if (!error.message.empty())
            out.messages.push_back(error.message);
        return out;
    }

    if (!request.batteryNumber.empty())
        commandNewTest(station.power);
    TestHeader header;
    header.stepCount = runtime.procedure().stepCount;
    header.start = runtime.clock().now();
    header.operatorName = request.operatorName;
    header.stationName = runtime.settings().Stanice;
    header.batteryNumber = request.batteryNumber;
    if (request.batteryIndex >= 0 && request.batteryIndex < static_cast<int>(types.size()))
        header.batteryType = types[static_cast<std::size_t>(request.batteryIndex)].name;
    header.procedureName = request.procedureName;
    header.note = request.note;
    station.live.LastAlarmedError.store(0, relaxed);
    const Status created = runtime.testFile().createTestFile(
        header, static_cast<std::uint8_t>(station.batteryFamily()), runtime.dataFolder());
    if (!created) {
        out.messages.push_back(created.error());
        return out;
    }
    commandRunIndicator(station.power, true);
    runtime.startRun();
    out.started = true;
    return out;
}

Status resumeTest(StationRuntime& runtime, const std::vector<BatteryType>& types,
                  const std::vector<std::pair<std::int16_t, std::string>>& procedures, std::uint8_t step)
{
    const TestHeader header = runtime.testFile().header();
    return runtime.testFile().resume(step, [&]() -> Status {
        std::int16_t number = -1;
        for (const auto& [n, name] : procedures)
            if (name == header.procedureName)
                number = n;
        int batteryIndex = -1;
        for (std::size_t i = 0; i < types.size() && batteryIndex < 0; ++i)
            if (types[i].name == header.batteryType)
                batteryIndex = static_cast<int>(i);
        LoadError error;
        PrepareRun(runtime.home(), number, types, static_cast<std::int16_t>(batteryIndex), runtime.procedure(),
                   error);
        if (error.set)
            return Error{error.message.empty() ? "Postup " + header.procedureName + " nelze načíst" : error.message};
        runtime.station().live.LastAlarmedError.store(0, relaxed);
        commandRunIndicator(runtime.station().power, true);
        return {};
    });
}

}  // namespace kapsorel
