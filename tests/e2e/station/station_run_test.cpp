#include "core/base/numbers.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/step_types.h"
#include "core/records/history_index.h"
#include "core/records/sqlite_history_store.h"
#include "demo_definitions.h"
#include "station_fixture.h"
#include "support/wait_until.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kapsorel::test {
namespace {

using ::testing::ElementsAre;

std::vector<SampleRecord> samplesOf(const BatteryTestFileContents& f)
{
    std::vector<SampleRecord> out;
    for (const auto& r : f.tail)
        if (const auto* s = std::get_if<SampleRecord>(&r))
            out.push_back(*s);
    return out;
}

// Every sample later than the one before: none lost to a rewrite, none written twice.
void expectStrictlyIncreasingTimes(const std::vector<SampleRecord>& samples)
{
    for (std::size_t i = 1; i < samples.size(); ++i)
        EXPECT_GT(samples[i].time, samples[i - 1].time) << "sample " << i;
}

TEST_F(StationTest, DemoProcedureRunsToCompletion)
{
    sim.value("clear frames");
    startDemoTest();
    ASSERT_TRUE(waitForIdle());

    const BatteryTestFileContents file = readCurrentTestFile();
    ASSERT_EQ(file.head.header.stepCount, 7);
    EXPECT_EQ(file.head.header.batteryNumber, "A123");
    EXPECT_EQ(file.head.header.stationName, "Zkušebna");
    const std::uint8_t expectedStatus[] = {12, 12, 12, 12, 12, 12, 2}; // "Konec" is never ended
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(file.head.steps[i].status, expectedStatus[i]) << "step " << i;

    const auto samples = samplesOf(file);
    ASSERT_GE(samples.size(), 10u);
    expectStrictlyIncreasingTimes(samples);
    bool charged = false, discharged = false;
    for (const auto& s : samples) {
        charged |= s.step == 0 && s.current > 0.5f;
        discharged |= s.step == 2 && s.current < -0.5f;
    }
    EXPECT_TRUE(charged);
    EXPECT_TRUE(discharged);

    EXPECT_THAT(powerCommands(), ElementsAre("MT", "PE", "PL1", "PC", "PD", "PS", "PA", "PK", "PS", "PL0"));
    EXPECT_EQ(readLastTest(runtime->config()).completed, 1);
    const auto name = runtime->testFile().currentPath().filename();
    EXPECT_EQ(home.readBytes("Archiv/" + name.string()), home.readBytes("Data/" + name.string()));
    // The ended test is in the battery history, from the data and the archive folder.
    auto history = SqliteHistoryStore::open(historyStorePath(home / "Data"));
    ASSERT_TRUE(history.ok()) << history.error();
    const auto entries = (*history)->findByBattery("A123");
    ASSERT_TRUE(entries.ok()) << entries.error();
    ASSERT_EQ(entries->size(), 2u);
    for (const auto& e : entries.value()) {
        EXPECT_EQ(e.path.filename(), name);
        EXPECT_EQ(e.result, HistoryResult::Completed);
    }
    for (const auto& call : ui->calls())
        EXPECT_NE(call.rfind("message ", 0), 0u) << call;
}

TEST_F(StationTest, LostPowerModuleAbortsAndTheResumedTestCompletesInTheSameFile)
{
    startDemoTest();
    // Cut the power module's answers while it charges (a charging sample of step 0 is
    // recorded): with no good poll the charge cannot settle, so the run is still in step 0
    // at the sixth failed poll.
    ASSERT_TRUE(waitFor([&] {
        const SampleRecord s = runtime->testFile().currentSample();
        return runtime->testFile().stepResult(0)->status == 2 && s.step == 0 && s.time > 0.0 && s.current > 0.5f;
    }));
    sim.value("drop power on");
    ASSERT_TRUE(waitForIdle(std::chrono::seconds(60)));
    EXPECT_EQ(runtime->station().run.stopReason(), StopReason::PowerModuleLost);
    EXPECT_THAT(ui->calls(), ::testing::Contains("stopped"));

    sim.value("drop power off");
    ASSERT_TRUE(waitFor([&] { return runtime->station().live.commFault.load() == 0; }, std::chrono::seconds(10)));
    const auto step = runtime->testFile().interruptedStep();
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(*step, 0);
    // The next Start asks, and "Ano" resumes the interrupted step.
    const StartOutcome resumed = workflow->startNow(demoPlan(), [] { return ResumeAnswer::Resume; });
    ASSERT_TRUE(resumed.started) << (resumed.messages.empty() ? "" : resumed.messages.front());
    EXPECT_TRUE(resumed.resumed);
    ASSERT_TRUE(waitForIdle());

    const BatteryTestFileContents file = readCurrentTestFile();
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(file.head.steps[i].status, 12) << "step " << i;
    int markers = 0, resumes = 0;
    for (const auto& r : file.tail) {
        if (const auto* m = std::get_if<InterruptionMarker>(&r)) {
            ++markers;
            EXPECT_EQ(m->stopReason, 1);
        }
        if (const auto* e = std::get_if<ResumeEntry>(&r)) {
            ++resumes;
            EXPECT_EQ(e->step, 0);
        }
    }
    EXPECT_EQ(markers, 1);
    EXPECT_EQ(resumes, 1);
    expectStrictlyIncreasingTimes(samplesOf(file));
    EXPECT_EQ(readLastTest(runtime->config()).completed, 1);
}

TEST_F(StationTest, KilledProgramOffersTheInterruptedStepAndResumesIt)
{
    shutDownStation();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The station program: start the test and keep running until killed (the limit
        // only keeps a child whose test went wrong from staying behind).
        bootStation();
        startDemoTest();
        std::this_thread::sleep_for(std::chrono::minutes(3));
        ::_exit(1);
    }

    // Kill it while the pause step (index 1) runs.
    const bool inPause = waitUntil(
        [&] {
            std::error_code ec;
            bool found = false;
            for (const auto& entry : std::filesystem::directory_iterator(home / "Data", ec)) {
                const auto bytes = home.readBytes("Data/" + entry.path().filename().string());
                const auto head = readTestFileHead(bytes);
                found = head.ok() && head->steps.size() > 1 && head->steps[1].status == 2;
            }
            return found;
        },
        std::chrono::seconds(60), std::chrono::milliseconds(50));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(inPause);

    // A new program start offers the interrupted step.
    bootStation();
    SampleTable samples;
    StepTable steps;
    DayTime shownTime = -1;
    const InterruptedTestCheck check = runtime->testFile().checkInterruptedTest(false, samples, steps, [&](DayTime t) {
        shownTime = t;
        return std::string("5. 3. 2024 7:09:41");
    });
    ASSERT_EQ(check.outcome, InterruptedTestCheck::Outcome::AskToResume);
    EXPECT_EQ(check.step, 1);
    const SampleRecord last = runtime->testFile().currentSample();
    EXPECT_GT(last.time, 0.0);
    EXPECT_EQ(shownTime, last.time);
    EXPECT_EQ(check.message, "Proces přerušen v 2.kroku - Pauza\nČas : 5. 3. 2024 7:09:41\nNapětí : " +
                                 formatNumber("%.1f", last.voltage) +
                                 "\nProud : " + formatNumber("%.1f", last.current) +
                                 "\nKapacita : " + formatNumber("%.4f", last.capacity) + "\nPokračovat v testu?\n");
    ASSERT_TRUE(waitFor([&] { return runtime->station().live.commFault.load() == 0; }, std::chrono::seconds(10)));
    // The new program knows nothing of the battery type until the resume resolves it: the
    // current-change window (DeltaCurrent, read by the charge's end) comes from it again.
    EXPECT_EQ(runtime->currentChangeSeconds(), 0u);
    const StartOutcome resumed = workflow->resumeNow(demoPlan(), check.step);
    ASSERT_TRUE(resumed.started) << (resumed.messages.empty() ? "" : resumed.messages.front());
    EXPECT_EQ(runtime->currentChangeSeconds(), types.at(nicdIndex).currentChangeInterval);
    EXPECT_GT(runtime->currentChangeSeconds(), 0u);
    ASSERT_TRUE(waitForIdle());

    const BatteryTestFileContents file = readCurrentTestFile();
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(file.head.steps[i].status, 12) << "step " << i;
    expectStrictlyIncreasingTimes(samplesOf(file));
    EXPECT_EQ(readLastTest(runtime->config()).completed, 1);
}

TEST_F(StationTest, AStartWithoutABatteryNumberChangesNothing)
{
    ASSERT_TRUE(waitFor([&] { return runtime->station().live.commFault.load() == 0; }, std::chrono::seconds(10)));
    sim.value("clear frames");
    const StartOutcome out = workflow->startNow(demoPlan(""));
    EXPECT_FALSE(out.started);
    EXPECT_FALSE(workflow->starting());
    EXPECT_THAT(out.messages, ::testing::Contains(std::string("Není zadáno číslo baterie")));
    EXPECT_EQ(runtime->station().run.phase(), RunPhase::Idle);
    EXPECT_FALSE(runtime->testFile().hasTestFile());
    EXPECT_FALSE(std::filesystem::exists(home / "Data") && !std::filesystem::is_empty(home / "Data"));
    EXPECT_THAT(powerCommands(), ElementsAre("MT"));
    EXPECT_EQ(readLastTest(runtime->config()).path, "");
}

TEST_F(StationTest, ManualStartClearsWhatThePreviousTestLeftAndRecordsNoBatteryType)
{
    ASSERT_TRUE(waitFor([&] { return runtime->station().live.commFault.load() == 0; }, std::chrono::seconds(10)));
    sim.value("clear frames");
    // What the last test (or the last file opened) left behind.
    auto& run = runtime->station().run;
    for (auto& v : run.variables)
        v = 7;
    run.variablesChanged = 1;
    runtime->station().live.lastAlarmedError = 4;

    ManualRun manual;
    manual.discharge = true;
    manual.current = 2.0f;
    manual.period = 10;
    manual.seconds = 600;
    // The panel still holds the demo procedure; the manual test must not borrow it.
    StartPlan plan = demoPlan("R1");
    plan.request.batteryIndex = -1;
    const StartOutcome out = workflow->manualNow(plan, manual);
    ASSERT_TRUE(out.started) << (out.messages.empty() ? "" : out.messages.front());
    EXPECT_EQ(runtime->currentChangeSeconds(), 0u);
    for (const auto& v : run.variables)
        EXPECT_EQ(v.load(), 0);
    EXPECT_EQ(runtime->station().live.lastAlarmedError.load(), 0);
    // Stopped once the discharge runs: the step is recorded as started before its "PD" goes out.
    ASSERT_TRUE(waitFor([&] {
        const auto sent = powerCommands();
        return runtime->testFile().stepResult(0)->status == 2 &&
               std::find(sent.begin(), sent.end(), "PD") != sent.end();
    }));
    EXPECT_TRUE(workflow->stop());
    ASSERT_TRUE(waitForIdle());
    EXPECT_FALSE(workflow->stop()); // nothing left to stop

    const BatteryTestFileContents file = readCurrentTestFile();
    EXPECT_EQ(file.head.header.batteryType, "N/A");
    EXPECT_EQ(file.head.header.procedureName, "Ručně");
    EXPECT_EQ(file.head.header.stepCount, 4);
    EXPECT_EQ(file.head.steps[0].stepType, 1);
    for (const auto v : file.head.variables)
        EXPECT_EQ(v, 0);
    // No "MT" and no procedure of the index: the manual start goes straight to "PE".
    const auto commands = powerCommands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_THAT(std::vector<std::string>(commands.begin(), commands.begin() + 3), ElementsAre("PE", "PL1", "PD"));

    // Start offers the interrupted manual test; "Ano" refuses it instead of running the
    // procedure in the panel, and the test stays interrupted.
    sim.value("clear frames");
    const StartOutcome resumed = workflow->startNow(demoPlan("R1"), [] { return ResumeAnswer::Resume; });
    EXPECT_FALSE(resumed.started);
    EXPECT_THAT(resumed.messages, ::testing::Contains(std::string(kManualTestNotResumable)));
    EXPECT_EQ(run.stopReason(), StopReason::OperatorStop);
    EXPECT_EQ(run.phase(), RunPhase::Idle);
    EXPECT_THAT(powerCommands(), ElementsAre("MT"));
    EXPECT_EQ(readCurrentTestFile().tail.size(), file.tail.size()); // no resume record
}

TEST_F(StationTest, ASecondPressDuringASlowStartIsRefusedAndTheFirstStartRunsItsOwnProcedure)
{
    ASSERT_TRUE(waitFor([&] { return runtime->station().live.commFault.load() == 0; }, std::chrono::seconds(10)));
    ASSERT_EQ(sim.command("delay power 1500"), "OK");
    std::thread first([&] { EXPECT_TRUE(workflow->startNow(demoPlan("S1")).started); });
    ASSERT_TRUE(waitFor([&] { return workflow->starting(); }, std::chrono::seconds(10)));

    StartPlan other = demoPlan("S2");
    other.request.procedureNumber = demo::kCapacityTestNumber;
    other.request.procedureName = "Kapacitní test";
    EXPECT_TRUE(workflow->busy());
    EXPECT_FALSE(workflow->beginStart(other));
    EXPECT_FALSE(workflow->beginManual(other, ManualRun{}));
    EXPECT_FALSE(workflow->beginResume(other, 0));
    first.join();
    ASSERT_EQ(sim.command("delay power 0"), "OK");

    // The run, the file and the procedure the engine runs are the first press's.
    EXPECT_FALSE(workflow->starting());
    EXPECT_TRUE(workflow->busy());
    EXPECT_FALSE(workflow->beginStart(other)); // a run is active
    const BatteryTestFileContents file = readCurrentTestFile();
    EXPECT_EQ(file.head.header.batteryNumber, "S1");
    EXPECT_EQ(file.head.header.procedureName, "Ukázka (3 minuty)");
    EXPECT_EQ(runtime->procedure().stepCount, file.head.header.stepCount);
    EXPECT_TRUE(workflow->stop());
    ASSERT_TRUE(waitForIdle());
}

} // namespace
} // namespace kapsorel::test
