#include "core/base/numbers.h"
#include "core/definitions/condition_variables.h"
#include "core/engine/operator_actions.h"
#include "engine_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

using ::testing::ElementsAre;

TEST(SignalSeconds, SignalSecondsRoundHalfToEvenAndKeepTheLowByte)
{
    const std::pair<float, int> cases[] = {{2.6f, 3},     {0.4f, 0},   {2.5f, 2},   {3.5f, 4},
                                           {255.0f, 255}, {256.0f, 0}, {300.0f, 44}};
    for (auto [in, out] : cases)
        EXPECT_EQ(signalSeconds(in), out) << in;
}

TEST_F(EngineTest, StepWithoutEndConditionStartsAndEndsInOnePass)
{
    addStep(StepType::Pause);
    addStep(StepType::End);
    startRun();
    engine.pass(); // Start -> Step start -> Step running -> Step done
    EXPECT_THAT(recorder.calls, ElementsAre("start 0 1", "end 0 1"));
    EXPECT_EQ(station.run.currentStep.load(), 1);
    runToIdle();
    EXPECT_THAT(recorder.calls, ElementsAre("start 0 1", "end 0 1", "start 1 1", "complete"));
    EXPECT_THAT(commands(), ElementsAre("PK", "PS", "PL"));
    EXPECT_EQ(ui.calls().front(), "status 1 - Pauza");
    EXPECT_EQ(ui.calls().back(), "ended");
}

TEST_F(EngineTest, TwoChargesSendPcThenPtAndCapacityRunsOn)
{
    endAfter(addStep(StepType::Charge, 28.8f, 5.0f), 10);
    endAfter(addStep(StepType::Charge, 30.0f, 2.5f), 10);
    addStep(StepType::End);
    station.live.current = 5.0f;
    startRun();
    engine.pass();
    EXPECT_EQ(station.live.settleCountdown.load(), 60);
    station.live.settleCountdown = 0;
    passWhile([&] { return station.run.currentStep.load() == 0; });
    const float afterFirst = station.live.capacity.load();
    EXPECT_NEAR(afterFirst, 5.0 * 10 / 3600.0, 5.0 * 0.2 / 3600.0);
    engine.pass(); // second charging step starts
    EXPECT_EQ(station.live.settleCountdown.load(), 60);
    station.live.settleCountdown = 0;
    passWhile([&] { return station.run.currentStep.load() == 1; });
    EXPECT_GT(station.live.capacity.load(), afterFirst * 1.9f);
    runToIdle();

    EXPECT_THAT(power.lines(), ElementsAre("PC 28.8 5", "PT 30 2.5", "PK", "PS", "PL 0"));
}

TEST_F(EngineTest, ChargeAfterEndOfChargeSendsPcAndCountsFromZero)
{
    endAfter(addStep(StepType::Charge, 28.8f, 5.0f), 5);
    addStep(StepType::EndOfCharge);
    endAfter(addStep(StepType::Charge, 28.8f, 5.0f), 5);
    station.live.current = 5.0f;
    startRun();
    passWhile([&] { return station.run.currentStep.load() < 2; });
    EXPECT_EQ(station.live.capacity.load(), 0.0f);
    EXPECT_EQ(engine.driveMode(), DriveMode::Neither);
    runToIdle();
    EXPECT_THAT(commands(), ElementsAre("PC", "PS", "PC", "PK", "PS", "PL"));
}

TEST_F(EngineTest, FalseStartConditionSkipsTheActionButWaitsForTheEnd)
{
    auto& charge = addStep(StepType::Charge, 28.8f, 5.0f);
    charge.startCondition[0] = RunConditionTerm{kVarVoltage, kRelGreater, 100.0f, 1};
    endAfter(charge, 3);
    startRun();
    runToIdle();
    EXPECT_THAT(recorder.calls, ElementsAre("start 0 0", "end 0 0", "complete"));
    EXPECT_THAT(commands(), ElementsAre("PK", "PS", "PL"));
    EXPECT_GE(clock.monotonicMs(), 3000);
}

struct JumpCase {
    float value1;
    float value2;
    int expectedNext; // -1: the run ends at once
};

class JumpTest : public EngineTest, public ::testing::WithParamInterface<JumpCase> {};

TEST_P(JumpTest, KrokTakesAbsoluteOrRelativeTargetsOrEndsTheRun)
{
    for (int i = 0; i < 3; ++i)
        addStep(StepType::Pause);
    addStep(StepType::Jump, GetParam().value1, GetParam().value2); // index 3
    endAfter(addStep(StepType::Pause), 1000);                      // index 4 would wait long
    startRun();
    passWhile([&] { return station.run.currentStep.load() != 3; });
    engine.pass(); // step 3 starts and jumps
    if (GetParam().expectedNext < 0) {
        runToIdle();
        EXPECT_EQ(recorder.calls.back(), "start 3 1");
        EXPECT_THAT(commands(), ElementsAre("PS", "PL"));
    } else {
        EXPECT_EQ(station.run.currentStep.load(), GetParam().expectedNext);
        EXPECT_EQ(recorder.calls.back(), "end 3 1");
    }
}

INSTANTIATE_TEST_SUITE_P(Krok, JumpTest,
                         ::testing::Values(JumpCase{3, 0, 2}, JumpCase{0, -2, 1}, JumpCase{1, -3, 0},
                                           JumpCase{0, 0, -1}, JumpCase{0, 5, -1}));

TEST_F(EngineTest, VolbaAnswerPicksKrokOkOrTheNextStep)
{
    for (float krokOk : {0.0f, 4.0f}) {
        SCOPED_TRACE(krokOk);
        procedure.stepCount = 0;
        auto& choice = addStep(StepType::Choice, krokOk, 0);
        choice.text = "Zkouška nevyšla. Pokračovat?";
        choice.endCondition[0] = RunConditionTerm{kVarAnswer, kRelGreater, 0, 1};
        for (int i = 0; i < 4; ++i)
            endAfter(addStep(StepType::Pause), 1000);
        startRun();
        engine.pass();
        EXPECT_EQ(ui.calls().back(), "question Zkouška nevyšla. Pokračovat?");
        engine.pass();
        EXPECT_EQ(station.run.currentStep.load(), 0);
        answerQuestionOk(station.run, procedure);
        engine.pass();
        EXPECT_EQ(station.run.currentStep.load(), krokOk >= 1 ? 3 : 1);
        station.run.setPhase(RunPhase::Idle);
    }
}

TEST_F(EngineTest, AnAnswerCountsOnlyWhileAChoiceStepOfTheActiveRunIsCurrent)
{
    auto& charge = addStep(StepType::Charge, 28.8f, 5.0f);
    endAfter(charge, 1000);
    auto& choice = addStep(StepType::Choice, 4, 7);
    choice.endCondition[0] = RunConditionTerm{kVarAnswer, kRelGreater, 0, 1};

    // A question left on screen from another test: no run, then a run in a charge step.
    EXPECT_FALSE(answerQuestionOk(station.run, procedure));
    startRun();
    engine.pass();
    ASSERT_EQ(station.run.currentStep.load(), 0);
    EXPECT_FALSE(answerQuestionOk(station.run, procedure));
    EXPECT_FALSE(answerQuestionEnd(station.run, procedure));
    EXPECT_EQ(station.run.jumpTarget.load(), -1);
    EXPECT_EQ(station.run.questionAnswer.load(), 0);

    // The choice step's own question: "Konec" takes value 2.
    station.run.currentStep = 1;
    EXPECT_TRUE(answerQuestionEnd(station.run, procedure));
    EXPECT_EQ(station.run.jumpTarget.load(), 6);
    EXPECT_EQ(station.run.questionAnswer.load(), 2);
    station.run.setPhase(RunPhase::Idle);
}

TEST_F(EngineTest, VoltageCheckSetsTheVariableAtTheFirstCellNotAboveTheLimit)
{
    for (auto& c : station.live.cellVoltage)
        c = 1.3f;
    station.live.cellVoltage[7] = 1.0f;
    station.run.variables[4] = 9;
    addStep(StepType::VoltageCheck, 1.0f, 4);
    addStep(StepType::Variable, 2, 300); // P2 := 300 mod 256
    addStep(StepType::Variable, 10, 7);  // outside 0-9: nothing
    startRun();
    runToIdle();
    EXPECT_EQ(station.run.variables[4].load(), 1);
    EXPECT_EQ(station.run.variables[2].load(), 300 % 256);
    EXPECT_EQ(station.run.variablesChanged.load(), 1);

    station.live.cellVoltage[7] = 1.01f;
    startRun();
    runToIdle();
    EXPECT_EQ(station.run.variables[4].load(), 0);
}

TEST_F(EngineTest, RecordIntervalTenForThirtyFiveSecondsGivesFourSamples)
{
    endAfter(addStep(StepType::Pause, 0, 0, 10), 35);
    startRun();
    runToIdle();
    ASSERT_EQ(recorder.sampleTimes.size(), 4u);
    const DayTime start = recorder.testStart_;
    const double expectedAt[] = {0, 10, 20, 30};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_NEAR((recorder.sampleTimes[k] - start) * kSecondsPerDay, expectedAt[k], 0.15) << k;
}

TEST_F(EngineTest, SamplesAreSkippedWhileAModuleIsLostButTheGridAdvances)
{
    endAfter(addStep(StepType::Pause, 0, 0, 10), 35);
    station.live.commFault = kCommFaultMeasurement;
    startRun();
    runToIdle();
    EXPECT_TRUE(recorder.sampleTimes.empty());
    EXPECT_EQ(station.run.recordCounter.load(), 4u);
    EXPECT_THAT(commands(), ElementsAre("PK")); // neither "PS" nor "PL" without both modules
}

TEST_F(EngineTest, JumpBackToStepOneTakesTheTestStart)
{
    endAfter(addStep(StepType::Pause), 20); // "Doba" >= 20 s
    endAfter(addStep(StepType::Pause), 5);
    addStep(StepType::Jump, 1, -2); // back to the first step
    startRun();
    passWhile([&] { return station.run.currentStep.load() != 2; });
    engine.pass(); // the jump: step 2 ends, step 0 is next
    ASSERT_EQ(station.run.currentStep.load(), 0);
    engine.pass(); // step 0 starts again, timed from the test's start
    EXPECT_EQ(station.run.stepStartTime.load(), recorder.testStart_);
    EXPECT_EQ(station.run.currentStep.load(), 1); // more than 20 s have passed since then
}

TEST_F(EngineTest, AbortRecordsTheInterruptionAndNotTheStepEnd)
{
    endAfter(addStep(StepType::Charge, 28.8f, 5.0f), 100);
    startRun();
    engine.pass();
    engine.pass();
    station.run.abort(StopReason::OperatorStop);
    runToIdle();
    EXPECT_THAT(recorder.calls, ElementsAre("start 0 1", "interrupt 2"));
    EXPECT_THAT(commands(), ElementsAre("PC", "PS", "PL"));
    EXPECT_EQ(station.live.driveOn.load(), 0);
    EXPECT_EQ(station.live.diagramRedraw.load(), 1);
}

TEST_F(EngineTest, AnAbortSetByAnotherThreadIsNeverOverwritten)
{
    // The poller aborts while the engine is inside a pass, between reading the state and
    // its own move: at a step start (before the charge is sent) and at a step's end
    // (before the step counter moves on).
    struct Case {
        const char* during;
        std::vector<std::string> calls;
        std::vector<std::string> commands;
    };
    const Case cases[] = {
        {"start", {"start 0 1", "interrupt 1"}, {}},
        {"sample", {"start 0 1", "sample 0", "marker 1"}, {"PC"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.during);
        procedure = RunProcedure{};
        recorder.calls.clear();
        power.clear();
        addStep(StepType::Charge, 28.8f, 5.0f, 1); // no end condition: done in its first running pass
        addStep(StepType::End);
        recorder.during = [&](const std::string& kind) {
            if (kind == c.during) {
                EXPECT_TRUE(station.run.abort(StopReason::PowerModuleLost));
            }
        };
        startRun();
        clock.advanceMs(10);
        engine.pass();
        EXPECT_EQ(station.run.currentStep.load(), 0); // the resume offers the step that ran
        EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleLost);
        recorder.during = nullptr;
        runToIdle();
        EXPECT_EQ(recorder.calls, c.calls);
        auto expected = c.commands;
        expected.insert(expected.end(), {"PS", "PL"});
        EXPECT_EQ(commands(), expected);
    }
}

TEST_F(EngineTest, TheLastSampleOfAnInterruptionIsWrittenOnce)
{
    // A charging step sampled every 10 s, stopped by the operator at different moments.
    // The interruption brings its own last sample unless the sample of the same instant
    // is in the file already.
    struct Case {
        const char* name;
        const char* during; // the record call inside which the stop comes, or none
        int passes;         // passes run before the stop
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"while the step start pass writes its sample", "sample", 1, {"start 0 1", "sample 0", "marker 2"}},
        {"right after that pass", nullptr, 1, {"start 0 1", "sample 0", "marker 2"}},
        {"after a pass without a sample", nullptr, 2, {"start 0 1", "sample 0", "interrupt 2"}},
        {"while the step start is recorded", "start", 1, {"start 0 1", "interrupt 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        procedure = RunProcedure{};
        recorder.calls.clear();
        endAfter(addStep(StepType::Charge, 28.8f, 5.0f, 10), 100);
        recorder.during = [&](const std::string& kind) {
            if (c.during && kind == c.during)
                station.run.abort(StopReason::OperatorStop);
        };
        startRun();
        clock.advanceMs(10);
        for (int i = 0; i < c.passes; ++i)
            engine.pass();
        station.run.abort(StopReason::OperatorStop); // already stopped when `during` did
        recorder.during = nullptr;
        runToIdle();
        EXPECT_EQ(recorder.calls, c.calls);
        EXPECT_EQ(station.run.stopReason(), StopReason::OperatorStop);
    }
}

TEST_F(EngineTest, AStopDuringCompletionOrRunEndIsRefused)
{
    addStep(StepType::End);
    bool refused = false;
    recorder.during = [&](const std::string& kind) {
        if (kind == "complete")
            refused = !station.run.abort(StopReason::OperatorStop);
    };
    ui.onRunEnded = [&] { EXPECT_FALSE(station.run.abort(StopReason::PowerModuleLost)); };
    startRun();
    runToIdle();
    EXPECT_TRUE(refused);
    EXPECT_THAT(recorder.calls, ElementsAre("start 0 1", "complete"));
    EXPECT_EQ(station.run.stopReason(), StopReason::None);
}

TEST_F(EngineTest, AResumedStepKeepsWhetherItWasPerformed)
{
    // Step 0's start condition was false: continuing it must not start the charge.
    auto& charge = addStep(StepType::Charge, 28.8f, 5.0f);
    endAfter(charge, 30);
    addStep(StepType::End);
    recorder.stepStarts_[0] = clock.now();
    recorder.stepPerformed_[0] = false;
    clock.advanceMs(100'000);
    station.run.resumeSeconds = 90;
    station.run.setPhase(RunPhase::StepStart);
    runToIdle();
    EXPECT_THAT(recorder.calls, ElementsAre("end 0 0", "start 1 1", "complete"));
    EXPECT_THAT(commands(), ElementsAre("PK", "PS", "PL"));
}

TEST_F(EngineTest, AResumeOfAStepThatNeverStartedStartsItAfresh)
{
    auto& pause = addStep(StepType::Pause);
    endAfter(pause, 20);
    addStep(StepType::End);
    clock.advanceMs(50'000);
    station.run.currentStep = 0;
    station.run.resumeSeconds = 40;
    station.run.setPhase(RunPhase::StepStart);
    recorder.testStart_ = clock.now();
    station.run.runStartTime = recorder.testStart_;
    engine.pass();
    EXPECT_THAT(recorder.calls, ElementsAre("start 0 1"));
    EXPECT_EQ(station.run.resumeSeconds.load(), 0u);
    EXPECT_EQ(station.run.stepStartTime.load(), recorder.testStart_);
    const long long before = clock.monotonicMs();
    passWhile([&] { return station.run.currentStep.load() == 0; });
    EXPECT_NEAR((clock.monotonicMs() - before) / 1000.0, 20.0, 0.5); // the whole 20 s
}

TEST_F(EngineTest, ResumeAfterSixHundredSecondsSendsPcAgainAndKeepsStepTime)
{
    auto& charge = addStep(StepType::Charge, 28.8f, 5.0f, 10);
    endAfter(charge, 30);
    station.live.current = 5.0f;
    startRun();
    engine.pass();
    station.live.settleCountdown = 0;
    clock.advanceMs(12000);
    engine.pass();
    station.run.abort(StopReason::PowerModuleLost);
    runToIdle();
    const DayTime firstStart = recorder.stepStarts_[0];

    // 600 s later the test is resumed with the step time reached so far and the capacity
    // of the last sample.
    clock.advanceMs(600000);
    recorder.calls.clear();
    const auto elapsed = static_cast<std::uint32_t>(secondsBetween(firstStart, clock.now()));
    station.run.resumeSeconds = elapsed - 12; // the interruption inside this step
    station.live.capacity = 0.02f;
    station.run.currentStep = 0;
    station.run.jumpTarget = -1;
    station.run.setPhase(RunPhase::StepStart);
    engine.pass();
    EXPECT_EQ(station.run.stepStartTime.load(), firstStart);
    EXPECT_NEAR(station.live.capacity.load(), 0.02f, 0.001f); // restored, then counting on
    EXPECT_EQ(commands().back(), "PC");
    station.live.settleCountdown = 0;
    const long long before = clock.monotonicMs();
    passWhile([&] { return station.run.currentStep.load() == 0; });
    // 30 s of step time, 12 of them before the interruption.
    EXPECT_NEAR((clock.monotonicMs() - before) / 1000.0, 18.0, 0.5);
    EXPECT_GT(station.live.capacity.load(), 0.02f);
    EXPECT_EQ(recorder.calls.front(), "sample 0"); // no new start record on a resume
}

} // namespace
} // namespace kapsorel::test
