// Definition editors' speed: the procedure editor's state loading a 200-step procedure
// (file read, parse and every grid row), and loading the largest procedure index the
// station holds (101 entries, numbers up to 1000) with its first procedure. Goal: each
// at most 100 ms. Measured in steady state: each benchmark warms up before timing.
#include "core/definitions/procedure_editor_state.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/value_text.h"
#include "support/temp_home.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

constexpr double kWarmUpSeconds = 0.5;

Procedure fullProcedure()
{
    Procedure p;
    p.note = "Benchmark";
    for (int i = 0; i < kMaxSteps; ++i) {
        ProcedureStep s;
        s.type = 0;
        s.recordInterval = 10;
        s.value1 = parseValueText(2, "#U1").value;
        s.value2 = StepValue::number(2, 2.5f);
        s.description = "Nabíjení";
        for (auto& t : s.endCondition)
            t = {1, 4, parseValueText(2, "#U1").value, 1, {}};
        p.steps.push_back(s);
    }
    return p;
}

// A station home whose index lists `count` procedures numbered 0, 10, 20 ... and whose
// first procedure has 200 steps.
void prepareStation(const test::TempHome& home, int count)
{
    std::vector<ProcedureIndexEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({static_cast<std::uint16_t>(i * 10), "Postup " + std::to_string(i)});
    home.writeBytes("Postupy/Postupy.idx", serializeProcedureIndex(entries));
    home.writeBytes("Postupy/000.psp", serializeProcedure(fullProcedure()).value());
}

// Loads the procedure at row 0 into the editor state and builds every grid row.
std::size_t loadAndFill(ProcedureEditorState& editor)
{
    if (!editor.selectProcedure(0))
        return 0;
    std::size_t cells = 0;
    for (int i = 0; i < editor.stepCount(); ++i)
        cells += editor.row(i)[6].size();
    return cells;
}

void BM_EditorLoads200StepProcedure(benchmark::State& state)
{
    test::TempHome home;
    prepareStation(home, 1);
    ProcedureIndex index(home.path());
    index.load();
    BatteryTable batteries;
    ProcedureEditorState editor(index, batteries);
    for (auto _ : state)
        benchmark::DoNotOptimize(loadAndFill(editor));
    state.counters["steps"] = editor.stepCount();
}
BENCHMARK(BM_EditorLoads200StepProcedure)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

void BM_EditorLoadsFullIndex(benchmark::State& state)
{
    test::TempHome home;
    prepareStation(home, kMaxProcedures);
    BatteryTable batteries;
    std::size_t procedures = 0;
    for (auto _ : state) {
        ProcedureIndex index(home.path());
        index.load();
        ProcedureEditorState editor(index, batteries);
        procedures = static_cast<std::size_t>(index.size());
        benchmark::DoNotOptimize(loadAndFill(editor));
    }
    state.counters["procedures"] = static_cast<double>(procedures);
}
BENCHMARK(BM_EditorLoadsFullIndex)->Unit(benchmark::kMillisecond)->MinWarmUpTime(kWarmUpSeconds);

} // namespace
