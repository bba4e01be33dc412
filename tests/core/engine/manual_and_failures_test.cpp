#include "core/engine/manual_procedure.h"
#include "engine_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

using ::testing::ElementsAre;

TEST_F(EngineTest, ManualDischargeRunsItsFourStepsWithNothingOfThePreviousProcedureInThem)
{
    for (auto& step : procedure.steps) {
        step.printNumber = 4;
        step.reportNumber = 3;
        step.description = "Z minula";
    }
    procedure.steps[2].endCondition[3].threshold = 7.0f;
    buildManualProcedure(procedure, ManualRun{true, 36.0f, 10.0f, 30, 600});

    ASSERT_EQ(procedure.stepCount, 4);
    EXPECT_EQ(procedure.steps[0].type, static_cast<std::uint8_t>(StepType::Discharge));
    EXPECT_EQ(procedure.steps[0].recordInterval, 30);
    EXPECT_EQ(procedure.steps[0].value2, 10.0f);
    EXPECT_EQ(procedure.steps[0].endCondition[0], (RunConditionTerm{0, 4, 600.0f, 1}));
    EXPECT_EQ(procedure.steps[0].endCondition[1].joiner, 0);
    EXPECT_EQ(procedure.steps[1].type, static_cast<std::uint8_t>(StepType::EndOfDischarge));
    EXPECT_EQ(procedure.steps[2].text, "Konec");
    EXPECT_EQ(procedure.steps[2].value1, 255.0f);
    EXPECT_EQ(procedure.steps[3].type, static_cast<std::uint8_t>(StepType::End));
    // The reports select and describe steps by these: none may come from another procedure.
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(procedure.steps[i].printNumber, 0) << i;
        EXPECT_EQ(procedure.steps[i].reportNumber, 0) << i;
        EXPECT_EQ(procedure.steps[i].description, "") << i;
    }
    EXPECT_EQ(procedure.steps[2].endCondition[3].threshold, 7.0f); // past the terminating term, unused

    startRun();
    const long long t0 = clock.monotonicMs();
    passWhile([&] { return station.run.currentStep.load() == 0; });
    EXPECT_NEAR((clock.monotonicMs() - t0) / 1000.0, 600.0, 0.2);
    runToIdle();
    // Samples at 0, 30, ..., 570 s of step time.
    EXPECT_EQ(recorder.sampleTimes.size(), 20u);
    EXPECT_THAT(commands(), ElementsAre("PD", "PS", "PA", "PK", "PS", "PL"));
    EXPECT_THAT(ui.calls(), ::testing::Contains("signal Konec"));
}

TEST_F(EngineTest, ManualChargeWaitsForTheSettlingPolls)
{
    buildManualProcedure(procedure, ManualRun{false, 31.0f, 2.0f, 60, 10});
    startRun();
    engine.pass();
    EXPECT_EQ(station.live.settleCountdown.load(), 60);
    for (int i = 0; i < 300; ++i) // 30 s without a good power module poll
        engine.pass();
    EXPECT_EQ(station.run.currentStep.load(), 0);
    station.live.settleCountdown = 0;
    engine.pass();
    EXPECT_EQ(station.run.currentStep.load(), 1);
}

TEST_F(EngineTest, FailedWritesAreReportedOnceAndTheRunStillEnds)
{
    recorder.failWrites = true;
    endAfter(addStep(StepType::Pause, 0, 0, 1), 5);
    addStep(StepType::Pause);
    addStep(StepType::End);
    startRun();
    runToIdle();
    EXPECT_EQ(recorder.sampleTimes.size(), 5u);
    const auto calls = ui.calls();
    const auto messages =
        std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("message ", 0) == 0; });
    EXPECT_EQ(messages, 4); // start, sample, end and completion: each kind once
    EXPECT_EQ(calls.back(), "ended");
    EXPECT_EQ(station.run.phase(), RunPhase::Idle);

    // The same failures after a resume are reported again.
    ui.clear();
    station.run.currentStep = 0;
    station.run.resumeSeconds = 2;
    station.run.setPhase(RunPhase::StepStart);
    runToIdle();
    const auto again = ui.calls();
    EXPECT_EQ(
        std::count_if(again.begin(), again.end(), [](const std::string& c) { return c.rfind("message ", 0) == 0; }), 4);
}

TEST_F(EngineTest, TheStepMarkWaitEndsWhenTheProgramShutsDown)
{
    addStep(StepType::Pause);
    startRun();
    station.run.stepMark = 3; // the display never takes it
    keepRunning = false;
    engine.pass();
    EXPECT_EQ(recorder.calls.front(), "start 0 1");
    EXPECT_TRUE(ui.calls().empty()); // no screen calls once the program is closing
}

} // namespace
} // namespace kapsorel::test
