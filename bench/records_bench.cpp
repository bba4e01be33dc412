// Test file speed: opening a long test into the tables against a plain read of the same
// bytes, and appending one sample (written and synced to the device).
#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/records/battery_test_file.h"
#include "core/records/run_marker.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"
#include "support/temp_home.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

using namespace kapsorel;

constexpr std::uint8_t kSteps = 20;
constexpr DayTime kStart = 45356.25;

class NoMarker final : public RunMarker {
  public:
    LastTest lastTest() const override { return {}; }
    Status markTest(const std::string&, int) override { return {}; }
};

// A version-4 file of `samples` samples spread over the steps, one every 10 s.
std::vector<std::uint8_t> longTestFile(std::size_t samples)
{
    ByteWriter w;
    w.u8(test_file_layout::kCurrentVersion);
    w.u8(0);
    BatteryTestHeader h;
    h.stepCount = kSteps;
    h.start = kStart;
    h.batteryNumber = "B1";
    writeTestHeader(w, h);
    for (std::uint8_t i = 0; i < kSteps; ++i) {
        StepResult s = StepResult::notStarted();
        s.start = kStart + i * 0.1;
        s.status = test_file_layout::kEndedPerformed;
        writeStepResult(w, s);
    }
    w.zeros(test_file_layout::kReservedSize);
    w.u8(test_file_layout::kVariables);
    w.zeros(test_file_layout::kVariables);
    for (std::size_t i = 0; i < samples; ++i) {
        SampleRecord s;
        s.time = kStart + static_cast<double>(i) * 10.0 / 86400.0;
        s.step = static_cast<std::uint8_t>(i * kSteps / samples);
        s.voltage = 24.0f + static_cast<float>(i % 100) * 0.01f;
        s.current = 10.0f;
        s.capacity = static_cast<float>(i) * 0.01f;
        for (std::size_t c = 0; c < s.cells.size(); ++c)
            s.cells[c] = 1.2f + static_cast<float>(c) * 0.001f;
        writeSampleRecord(w, s);
    }
    return w.take();
}

struct LongFile {
    LongFile()
    {
        const auto bytes = longTestFile(100'000);
        path = home / "long.tst";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    test::TempHome home;
    std::filesystem::path path;
};

void BM_OpenLongTestIntoTables(benchmark::State& state)
{
    LongFile file;
    SharedRunState run;
    LiveValues live;
    NoMarker marker;
    BatteryTestFile recorder(run, live, marker);
    SampleTable samples;
    StepTable steps;
    for (auto _ : state) {
        auto opened = recorder.openTestFile(file.path, {}, samples, steps);
        if (!opened || samples.size() != 100'000)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(samples.rows().data());
    }
    state.SetItemsProcessed(state.iterations() * 100'000);
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
    state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(BM_PlainReadOfTheSameBytes)->Unit(benchmark::kMillisecond);

void BM_AppendSample(benchmark::State& state)
{
    test::TempHome home;
    SharedRunState run;
    LiveValues live;
    NoMarker marker;
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
