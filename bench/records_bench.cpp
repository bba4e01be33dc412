// Test file speed: opening a long test into the tables against a plain read of the same
// bytes, and appending one sample (written and synced to the device).
#include "core/base/files.h"
#include "core/records/battery_test_file.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"
#include "support/long_test_file.h"
#include "support/memory_run_marker.h"
#include "support/temp_home.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

constexpr std::uint8_t kSteps = 20;
constexpr DayTime kStart = 45356.25;
constexpr std::size_t kSamples = 100'000;

// The long test in a temporary home: samples 10 s apart, spread over the steps.
struct LongFile {
    LongFile() { test::writeLongTestFile(path, {.samples = kSamples, .steps = kSteps, .secondsApart = 10.0}); }
    test::TempHome home;
    std::filesystem::path path = home / "long.tst";
};

void BM_OpenLongTestIntoTables(benchmark::State& state)
{
    LongFile file;
    SharedRunState run;
    LiveValues live;
    test::MemoryRunMarker marker;
    BatteryTestFile recorder(run, live, marker);
    SampleTable samples;
    StepTable steps;
    for (auto _ : state) {
        auto opened = recorder.openTestFile(file.path, {}, samples, steps);
        if (!opened || samples.size() != kSamples)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(samples.rows().values(samples.size() - 1).data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSamples));
}
BENCHMARK(BM_OpenLongTestIntoTables)->Unit(benchmark::kMillisecond);

void BM_PlainReadOfTheSameBytes(benchmark::State& state)
{
    LongFile file;
    for (auto _ : state) {
        auto bytes = readFileRetrying(file.path);
        if (!bytes)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(bytes->data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSamples));
}
BENCHMARK(BM_PlainReadOfTheSameBytes)->Unit(benchmark::kMillisecond);

void BM_AppendSample(benchmark::State& state)
{
    test::TempHome home;
    SharedRunState run;
    LiveValues live;
    test::MemoryRunMarker marker;
    BatteryTestFile recorder(run, live, marker);
    BatteryTestHeader h;
    h.stepCount = kSteps;
    h.start = kStart;
    h.batteryNumber = "B1";
    if (!recorder.createTestFile(h, 0, home / "Data"))
        state.SkipWithError("create failed");
    run.conditionTime = kStart;
    live.batteryVoltage = 24.0f;
    for (auto _ : state) {
        if (!recorder.appendSample())
            state.SkipWithError("append failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendSample)->Unit(benchmark::kMicrosecond);

} // namespace
