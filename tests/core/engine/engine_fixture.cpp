#include "engine_fixture.h"

namespace kapsorel::test {

Status FakeRecorder::result() const
{
    if (failWrites)
        return Error{"Zápis do souboru testu selhal"};
    return {};
}

Status FakeRecorder::recordStepStart(bool proceed)
{
    if (during)
        during("start");
    const auto step = station_.run.currentStep.load();
    stepStarts_[step] = station_.run.stepStartTime.load();
    stepPerformed_[step] = proceed;
    calls.push_back("start " + std::to_string(step) + " " + std::to_string(proceed ? 1 : 0));
    return result();
}

Status FakeRecorder::recordStepEnd(std::uint8_t recordedStep, bool proceed)
{
    if (during)
        during("end");
    calls.push_back("end " + std::to_string(recordedStep) + " " + std::to_string(proceed ? 1 : 0));
    return result();
}

Status FakeRecorder::appendSample()
{
    if (during)
        during("sample");
    calls.push_back("sample " + std::to_string(station_.run.currentStep.load()));
    sampleTimes.push_back(station_.run.conditionTime.load());
    sampleCapacities.push_back(station_.live.capacity.load());
    return result();
}

Status FakeRecorder::recordInterruption(bool withSample)
{
    calls.push_back((withSample ? "interrupt " : "marker ") +
                    std::to_string(static_cast<int>(station_.run.stopReason())));
    return result();
}

Status FakeRecorder::recordCompletion()
{
    if (during)
        during("complete");
    calls.push_back("complete");
    return result();
}

EngineTest::EngineTest()
{
    station.live.commFault.store(0);
    recorder.testStart_ = clock.now();
}

RunStep& EngineTest::addStep(StepType type, float v1, float v2, std::uint16_t interval)
{
    RunStep& s = procedure.steps[procedure.stepCount++];
    s = RunStep{};
    s.type = static_cast<std::uint8_t>(type);
    s.value1 = v1;
    s.value2 = v2;
    s.recordInterval = interval;
    return s;
}

void EngineTest::endAfter(RunStep& step, float seconds)
{
    step.endCondition[0] = RunConditionTerm{0, 4, seconds, 1};
}

void EngineTest::startRun()
{
    auto& run = station.run;
    run.currentStep = 0;
    run.setStopReason(StopReason::None);
    run.resumeSeconds = 0;
    run.conditionTime = 0;
    run.runStartTime = 0;
    run.stepStartTime = 0;
    run.stepMark = kNoStepMark;
    run.jumpTarget = -1;
    run.setPhase(RunPhase::Start);
}

int EngineTest::runToIdle(int maxPasses)
{
    int n = 0;
    do {
        engine.pass();
        station.live.settleCountdown = 0; // no poller here: settling ends at once
        ++n;
    } while (station.run.phase() != RunPhase::Idle && n < maxPasses);
    return n;
}

} // namespace kapsorel::test
