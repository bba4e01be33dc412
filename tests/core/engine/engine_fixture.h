// A run engine in this process: the power module commands and the test file records are
// kept as text, the clock is fake; no module and no socket.
#pragma once

#include "core/definitions/step_types.h"
#include "core/engine/condition_evaluator.h"
#include "core/engine/run_engine.h"
#include "core/station/station.h"
#include "support/fake_clock.h"
#include "support/recording_power.h"
#include "support/recording_ui.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kapsorel::test {

// Keeps the engine's record calls as text lines ("start 0 1", "end 0 1", "sample 0",
// "interrupt 2" for a last sample and the marker, "marker 2" for the marker alone,
// "complete").
class FakeRecorder final : public RunRecorder {
  public:
    explicit FakeRecorder(Station& station) : station_(station) {}

    DayTime testStart() const override { return testStart_; }
    StoredStepStart storedStepStart(std::uint8_t step) const override
    {
        return {stepStarts_[step], stepPerformed_[step]};
    }
    Status recordStepStart(bool proceed) override;
    Status recordStepEnd(std::uint8_t recordedStep, bool proceed) override;
    Status appendSample() override;
    Status recordInterruption(bool withSample) override;
    Status recordCompletion() override;

    std::vector<std::string> calls;
    bool failWrites = false; // every record call fails as a full disk would
    // Runs at the start of every record call: what another thread does meanwhile.
    std::function<void(const std::string& kind)> during;
    std::vector<DayTime> sampleTimes;
    std::vector<float> sampleCapacities;
    DayTime testStart_ = 0;
    std::array<DayTime, kMaxSteps> stepStarts_{};
    std::array<bool, kMaxSteps> stepPerformed_{};

  private:
    Status result() const;

    Station& station_;
};

class EngineTest : public ::testing::Test {
  protected:
    EngineTest();

    // Adds a step; returns it for further settings.
    RunStep& addStep(StepType type, float v1 = 0, float v2 = 0, std::uint16_t interval = 0);
    // End condition "Doba" >= seconds.
    static void endAfter(RunStep& step, float seconds);
    // Starts a new run as the main window does.
    void startRun();
    // Runs passes until the engine is idle again or `maxPasses` ran.
    int runToIdle(int maxPasses = 100000);
    // Runs passes while the condition holds.
    template <class F> int passWhile(F cond, int maxPasses = 100000)
    {
        int n = 0;
        while (cond() && n < maxPasses) {
            engine.pass();
            station.live.settleCountdown = 0; // no poller here: settling ends at once
            ++n;
        }
        return n;
    }
    // Two-letter names of the commands the engine sent ("PC", "PT" …).
    std::vector<std::string> commands() { return power.names(); }

    RecordingPower power;
    Station station;
    RunProcedure procedure;
    FakeClock clock;
    FakeRecorder recorder{station};
    RecordingUi ui;
    std::atomic<bool> keepRunning{true};
    ConditionEvaluator evaluator{procedure, station.live, station.run};
    RunEngine engine{station, procedure, recorder, evaluator, power, ui, clock, [this] { return keepRunning.load(); }};
};

} // namespace kapsorel::test
