// Opening a long test file into the tables and the graph's decimation, against a plain
// read and decode of the same bytes; one graph redraw of 22 series at 10k and 1M samples.
#include "core/base/files.h"
#include "core/records/battery_test_file.h"
#include "core/records/battery_test_reader.h"
#include "support/fake_clock.h"
#include "support/long_test_file.h"
#include "support/memory_run_marker.h"
#include "support/temp_home.h"
#include "ui/records/tfgraf.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace kapsorel;

namespace {

const std::filesystem::path& longFile(std::size_t samples)
{
    static test::TempHome home;
    static std::map<std::size_t, std::filesystem::path> files;
    auto it = files.find(samples);
    if (it == files.end()) {
        const auto path = home / ("long" + std::to_string(samples) + ".tst");
        test::writeLongTestFile(path, {.samples = samples});
        it = files.emplace(samples, path).first;
    }
    return it->second;
}

void plainReadAndDecode(benchmark::State& state)
{
    const auto& path = longFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto bytes = readFileRetrying(path);
        const std::span<const std::uint8_t> file(bytes.value());
        auto head = readTestFileHead(file);
        std::vector<SampleRecord> out;
        out.reserve(head->layout.tailCount);
        for (std::size_t i = 0; i < head->layout.tailCount; ++i) {
            auto rec = readTailRecordAt(file, head->layout, i);
            if (const auto* s = std::get_if<SampleRecord>(&rec.value()))
                out.push_back(*s);
        }
        benchmark::DoNotOptimize(out.data());
    }
}

void openIntoTablesAndDecimation(benchmark::State& state)
{
    const auto& path = longFile(static_cast<std::size_t>(state.range(0)));
    SharedRunState run;
    LiveValues live;
    test::MemoryRunMarker marker;
    test::FakeClock clock;
    BatteryTestFile file(run, live, marker, clock);
    SampleTable samples;
    StepTable steps;
    for (auto _ : state) {
        auto opened = file.openTestFile(path, {}, samples, steps);
        if (!opened)
            state.SkipWithError(opened.error().c_str());
        benchmark::DoNotOptimize(samples.decimation().sampleCount());
    }
}

void graphRedraw(benchmark::State& state)
{
    const auto& path = longFile(static_cast<std::size_t>(state.range(0)));
    SharedRunState run;
    LiveValues live;
    test::MemoryRunMarker marker;
    test::FakeClock clock;
    BatteryTestFile file(run, live, marker, clock);
    SampleTable samples;
    StepTable steps;
    (void)file.openTestFile(path, {}, samples, steps);
    ConfigFile config;
    ui::TFgraf graf(samples, config);
    graf.resize(1200, 700);
    graf.show();
    QApplication::processEvents();
    graf.reload();
    for (auto _ : state)
        graf.redraw();
    state.counters["points_per_series"] = graf.drawnPoints(graph_series::kVoltage);
}

} // namespace

BENCHMARK(plainReadAndDecode)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(openIntoTablesAndDecimation)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(graphRedraw)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
