// The main window's once-a-second refresh tick with 100 and with 1M samples in its data
// table (the display model, the window's labels, bars and status bar, and one new
// sample), and start-up to the shown window on a station with 100 procedures and 100
// battery types.
#include "core/base/files.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/procedure_index.h"
#include "demo_definitions.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

using namespace kapsorel;

namespace {

constexpr const char* kIni = "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nStanice=Stanice 1\n";

void refreshTick(benchmark::State& state)
{
    const auto samples = static_cast<std::size_t>(state.range(0));
    test::TempHome home;
    home.writeText("Kapsorel.ini", kIni);
    const auto path = home / "dlouhy.tst";
    test::writeLongTestFile(path, {.samples = samples});
    ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
    w.resize(1000, 680);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) {
        state.SkipWithError("window not shown");
        return;
    }
    StepTable steps;
    // The long test, loaded as "Otevři" does, then running on: each tick takes a new sample.
    if (auto opened = w.runtime().testFile().openTestFile(path, {}, w.samples(), steps); !opened) {
        state.SkipWithError(opened.error().c_str());
        return;
    }
    Station& station = w.runtime().station();
    station.run.currentStep = 0;
    station.run.setPhase(RunPhase::StepRunning);
    station.live.commFault = 0;
    double t = w.runtime().testFile().currentSample().time;
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Every value moves, so every label, bar and time panel is written.
        ++k;
        const float wobble = static_cast<float>(k % 7) * 0.01f;
        station.live.batteryVoltage = 26.0f + wobble;
        station.live.current = 2.5f + wobble;
        station.live.capacity = 0.1f * static_cast<float>(k);
        station.live.batteryTemperature = 22.0f + wobble;
        station.live.moduleTemperature = 30.0f + wobble;
        for (auto& c : station.live.cellVoltage)
            c = 1.30f + wobble;
        t += 1.0 / 86400.0;
        station.run.conditionTime = t;
        (void)w.runtime().testFile().appendSample(); // the engine's part, not timed
        state.ResumeTiming();
        w.refreshDisplay();
        QApplication::processEvents(); // repaint what changed
    }
    station.run.setPhase(RunPhase::Idle);
    state.counters["rows"] = static_cast<double>(w.samples().size());
}

// The first refresh after "Otevři" of a long test (the tables and the graph take the whole
// file at once), timed alone: it should cost what a normal tick costs.
void firstTickAfterOpen(benchmark::State& state)
{
    const auto samples = static_cast<std::size_t>(state.range(0));
    test::TempHome home;
    home.writeText("Kapsorel.ini", kIni);
    const auto path = home / "dlouhy.tst";
    test::writeLongTestFile(path, {.samples = samples});
    ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
    w.resize(1000, 680);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) {
        state.SkipWithError("window not shown");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (!w.openTestFileAt(path)) {
            state.SkipWithError("open failed");
            return;
        }
        state.ResumeTiming();
        w.refreshDisplay();
        QApplication::processEvents();
    }
    state.counters["rows"] = static_cast<double>(w.samples().size());
}

// 100 procedures (the demo's capacity test under 100 names) and 100 NiCd battery types,
// each allowing ten of them, written with the station's own writers.
void writeLargeStation(const test::TempHome& home)
{
    home.writeText("Kapsorel.ini", kIni);
    (void)ensureFolder(procedureFolder(home.path()));
    const Procedure procedure = demo::demoProcedures().front().procedure;
    std::vector<ProcedureIndexEntry> entries;
    for (std::uint16_t n = 0; n < 100; ++n) {
        (void)saveProcedureFile(procedureFilePath(home.path(), n), procedure);
        entries.push_back({n, "Postup " + std::to_string(n)});
    }
    (void)writeFileRetrying(procedureIndexPath(home.path()), serializeProcedureIndex(entries));
    const BatteryType model = demo::demoBatteryTypes().front();
    std::vector<BatteryType> types;
    for (int i = 0; i < 100; ++i) {
        BatteryType t = model;
        t.name = "Typ " + std::to_string(i);
        t.allowedProcedures.clear();
        for (int p = 0; p < 10; ++p)
            t.allowedProcedures.push_back(static_cast<std::uint8_t>((i + p * 10) % 100));
        types.push_back(t);
    }
    BatteryTable table;
    (void)table.assign(types);
    (void)table.save(home.path());
}

void startUpToShownWindow(benchmark::State& state)
{
    test::TempHome home;
    writeLargeStation(home);
    for (auto _ : state) {
        auto w = std::make_unique<ui::MainWindow>(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            state.SkipWithError("window not shown");
        QApplication::processEvents(); // the first-show check
        state.PauseTiming();
        if (w->findChild<QComboBox*>(QStringLiteral("ctyp_bat"))->count() != 100)
            state.SkipWithError("the battery types were not all offered");
        w.reset();
        state.ResumeTiming();
    }
}

} // namespace

// Warmed up first, so the once-only first refresh after the open is not in the figure.
BENCHMARK(refreshTick)->Arg(100)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);
BENCHMARK(firstTickAfterOpen)->Arg(100)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(startUpToShownWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
