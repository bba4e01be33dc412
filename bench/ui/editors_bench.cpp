// Opening the procedure editor, as the main window's "Postupy" does: on the fullest index
// (101 procedures) whose first procedure has 200 steps, the list and the whole step grid
// filled; and the grid refilled alone, as after each edit.
#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_editing.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/step_types.h"
#include "support/temp_home.h"
#include "ui/definitions/procedure_editor_window.h"
#include "ui/definitions/step_grid.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace kapsorel;

namespace {

// 101 procedures; the first holds 200 charge steps with an end condition each.
struct EditorHome {
    test::TempHome home;
    ProcedureIndex index{home.path()};
    BatteryTable types;

    EditorHome()
    {
        (void)index.load();
        for (int i = 0; i < kMaxProcedures; ++i)
            (void)index.addProcedure("Postup " + std::to_string(i));
        Procedure p;
        p.note = "Dlouhý postup";
        ProcedureStep step;
        step.type = static_cast<std::uint8_t>(StepType::Charge);
        step.recordInterval = 60;
        (void)setStepCell(step, StepColumn::Value1, "28,8", true);
        (void)setStepCell(step, StepColumn::Value2, "5", true);
        step.endCondition[0].joiner = 1;
        step.endCondition[0].variable = 1;
        step.endCondition[0].relation = 4;
        step.endCondition[0].value = StepValue::number(2, 28.8f);
        p.steps.assign(200, step);
        (void)index.saveProcedure(0, p);
    }
};

void openProcedureEditor(benchmark::State& state)
{
    EditorHome h;
    ConfigFile config = ConfigFile::loadForStation(h.home / "Kapsorel.ini");
    for (auto _ : state) {
        ui::ProcedureEditorWindow editor(h.index, h.types, config, /*serviceRights=*/true);
        benchmark::DoNotOptimize(editor.grid().rowCount());
    }
}
BENCHMARK(openProcedureEditor)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

void refillStepGrid(benchmark::State& state)
{
    EditorHome h;
    ConfigFile config = ConfigFile::loadForStation(h.home / "Kapsorel.ini");
    ui::ProcedureEditorWindow editor(h.index, h.types, config, true);
    for (auto _ : state) {
        editor.grid().fill();
        benchmark::DoNotOptimize(editor.grid().rowCount());
    }
}
BENCHMARK(refillStepGrid)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
