// Definitions speed: preparing a full 200-step procedure for a battery type, reading a
// full procedure file image, and one end-condition evaluation of the run engine's pass.
#include "core/definitions/prepare_run.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/value_text.h"
#include "core/engine/condition_evaluator.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

Procedure fullProcedure()
{
    Procedure p;
    p.note = "Benchmark";
    for (int i = 0; i < kMaxSteps; ++i) {
        ProcedureStep s;
        s.type = 0;
        s.recordInterval = 10;
        s.value1 = parseValueText(2, "#U1").value;
        s.value2 = parseValueText(2, "#I1").value;
        s.description = "Nabíjení";
        for (auto& t : s.endCondition)
            t = {1, 4, parseValueText(2, "#U1").value, 1, {}};
        p.steps.push_back(s);
    }
    return p;
}

std::vector<BatteryType> types()
{
    BatteryType t;
    t.name = "20KSX25P";
    for (int i = 0; i < kMaxBatteryVariables - 2; ++i)
        t.variables.push_back({"Proměnná", "V" + std::to_string(i % 10), 1.0f});
    t.variables.push_back({"Nabíjecí napětí", "U1", 31.0f});
    t.variables.push_back({"Nabíjecí proud", "I1", 2.5f});
    return {t};
}

void BM_PrepareRunFullProcedure(benchmark::State& state)
{
    const Procedure p = fullProcedure();
    const auto t = types();
    RunProcedure run;
    for (auto _ : state) {
        LoadError err;
        prepareRun(p, t, 0, run, err);
        benchmark::DoNotOptimize(run.stepCount);
    }
}
BENCHMARK(BM_PrepareRunFullProcedure);

void BM_ParseFullProcedureFile(benchmark::State& state)
{
    const auto bytes = serializeProcedure(fullProcedure()).value();
    for (auto _ : state) {
        auto p = parseProcedure(bytes);
        benchmark::DoNotOptimize(p.ok());
    }
}
BENCHMARK(BM_ParseFullProcedureFile);

void BM_EvaluateFourTermEndCondition(benchmark::State& state)
{
    RunProcedure run;
    LoadError err;
    prepareRun(fullProcedure(), types(), 0, run, err);
    LiveValues live;
    live.settleCountdown = 0;
    live.batteryVoltage = 20.0f;
    SharedRunState shared;
    ConditionEvaluator eval(run, live, shared);
    for (auto _ : state)
        benchmark::DoNotOptimize(eval.evaluateCondition(0, kEndCondition));
}
BENCHMARK(BM_EvaluateFourTermEndCondition);

} // namespace
