#include "support/recorded_test.h"

#include "core/records/battery_test_file.h"
#include "support/fake_clock.h"
#include "support/memory_run_marker.h"

namespace kapsorel::test {

std::filesystem::path recordTest(const std::filesystem::path& dataFolder, const RecordedTest& test)
{
    SharedRunState run;
    LiveValues live;
    MemoryRunMarker marker;
    FakeClock clock(toDayTime(LocalDateTime{2024, 3, 5, 7, 9, 0, 0}));
    BatteryTestFile file(run, live, marker, clock);
    BatteryTestHeader header;
    header.stepCount = test.stepCount;
    header.start = clock.now();
    header.operatorName = test.operatorName;
    header.stationName = test.stationName;
    header.batteryNumber = test.batteryNumber;
    header.batteryType = test.batteryType;
    header.procedureName = test.procedureName;
    header.note = test.note;
    if (!file.createTestFile(header, 0, dataFolder))
        return {};
    run.setPhase(RunPhase::StepRunning);
    run.stepStartTime = header.start;
    (void)file.recordStepStart(true, RunStep{});
    live.current = test.current;
    for (int s = 1; s <= test.samples; ++s) {
        run.conditionTime = header.start + s * 10 / 86400.0;
        live.batteryVoltage = test.voltage + static_cast<float>(s) * test.voltageRise;
        (void)file.appendSample();
    }
    if (test.stopped) {
        run.setStopReason(StopReason::OperatorStop);
        (void)file.recordInterruption();
    } else {
        (void)file.recordStepEnd(0, true);
    }
    return file.currentPath();
}

} // namespace kapsorel::test
