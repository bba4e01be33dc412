#include "support/recorded_test.h"

#include "support/test_file_recorder.h"

namespace kapsorel::test {

std::filesystem::path recordTest(const std::filesystem::path& dataFolder, const RecordedTest& test)
{
    TestFileRecorder recorder(toDayTime(LocalDateTime{2024, 3, 5, 7, 9, 0, 0}));
    SharedRunState& run = recorder.run;
    LiveValues& live = recorder.live;
    BatteryTestFile& file = recorder.file;
    BatteryTestHeader header;
    header.stepCount = test.stepCount;
    header.start = recorder.clock.now();
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
