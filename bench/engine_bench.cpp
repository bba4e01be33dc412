// One Step running pass of the run engine with a four-term end condition that does not
// hold yet: condition time, sample grid check, evaluation and capacity count (the pass's
// 100 ms sleep is taken by a clock that does not wait).
#include "core/definitions/condition_variables.h"
#include "core/definitions/step_types.h"
#include "core/engine/condition_evaluator.h"
#include "core/engine/run_engine.h"
#include "core/station/station.h"
#include "support/fake_clock.h"
#include "support/recording_power.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

class NoRecorder final : public RunRecorder {
  public:
    DayTime testStart() const override { return 0; }
    StoredStepStart storedStepStart(std::uint8_t) const override { return {}; }
    Status recordStepStart(bool) override { return {}; }
    Status recordStepEnd(std::uint8_t, bool) override { return {}; }
    Status appendSample() override { return {}; }
    Status recordInterruption(bool) override { return {}; }
    Status recordCompletion() override { return {}; }
};

void BM_EngineStepRunningPassFourTerms(benchmark::State& state)
{
    Station station;
    RunProcedure procedure;
    procedure.stepCount = 1;
    RunStep& step = procedure.steps[0];
    step.type = static_cast<std::uint8_t>(StepType::Pause);
    step.recordInterval = 0;
    step.endCondition = {RunConditionTerm{kVarTime, kRelGreaterEqual, 1e9f, kJoinOr},
                         RunConditionTerm{kVarVoltage, kRelGreater, 100.0f, kJoinOr},
                         RunConditionTerm{kVarCellVoltage, kRelLess, -5.0f, kJoinOr},
                         RunConditionTerm{kVarCapacity, kRelGreaterEqual, 1e6f, kJoinEnd}};
    test::FakeClock clock;
    NoRecorder recorder;
    NullUiBridge ui;
    ConditionEvaluator evaluator(procedure, station.live, station.run);
    test::RecordingPower power;
    RunEngine engine(station, procedure, recorder, evaluator, power, ui, clock, [] { return true; });
    station.live.commFault = 0;
    station.run.stepStartTime = clock.now();
    station.run.setPhase(RunPhase::StepRunning);
    for (auto _ : state) {
        engine.pass();
        benchmark::DoNotOptimize(station.run.conditionTime.load());
    }
    if (station.run.phase() != RunPhase::StepRunning)
        state.SkipWithError("the step ended");
}
BENCHMARK(BM_EngineStepRunningPassFourTerms);

} // namespace
