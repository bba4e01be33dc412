// Opening a long test file into the tables and the graph's decimation, against the raw
// read of the same bytes (the physical reference) and the public readers (record by record
// and in bulk); one graph redraw of 22 series at 10k and 1M samples. The reads report
// bytes per second.
#include "core/base/files.h"
#include "core/records/battery_test_file.h"
#include "core/records/battery_test_reader.h"
#include "support/fake_clock.h"
#include "support/long_test_file.h"
#include "support/memory_run_marker.h"
#include "support/temp_home.h"
#include "ui/records/graph_window.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
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

// Read pieces of the size the open reads.
constexpr std::size_t kPieceBytes = std::size_t{2} << 20;

void reportBytes(benchmark::State& state, const std::filesystem::path& path)
{
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// The physical reference: the file's bytes through a reused 2 MB buffer, every byte
// touched.
void rawRead(benchmark::State& state)
{
    const auto& path = longFile(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        FileReader reader;
        if (Status st = reader.open(path); !st) {
            state.SkipWithError(st.error().c_str());
            return;
        }
        std::uint64_t sum = 0;
        for (std::uint64_t at = 0; at < reader.size(); at += kPieceBytes) {
            if (!reader.readAt(at, kPieceBytes, buffer)) {
                state.SkipWithError("read failed");
                return;
            }
            for (std::uint8_t b : buffer)
                sum += b;
        }
        benchmark::DoNotOptimize(sum);
    }
    reportBytes(state, path);
}

// The public reader record by record (readTailRecordAt) over the file read whole into a
// reused buffer, the samples collected.
void plainReadAndDecode(benchmark::State& state)
{
    const auto& path = longFile(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> bytes;
    std::vector<SampleRecord> out;
    for (auto _ : state) {
        FileReader reader;
        if (!reader.open(path) || !reader.readAt(0, static_cast<std::size_t>(reader.size()), bytes)) {
            state.SkipWithError("read failed");
            return;
        }
        const std::span<const std::uint8_t> file(bytes);
        auto head = readTestFileHead(file);
        out.clear();
        out.reserve(head->layout.tailCount);
        for (std::size_t i = 0; i < head->layout.tailCount; ++i) {
            auto rec = readTailRecordAt(file, head->layout, i);
            if (const auto* s = std::get_if<SampleRecord>(&rec.value()))
                out.push_back(*s);
        }
        benchmark::DoNotOptimize(out.data());
    }
    reportBytes(state, path);
}

// Collects the samples the bulk reader hands out.
struct SampleCollector {
    std::vector<SampleRecord>& out;
    void sample(std::size_t, const SampleRecord& s) { out.push_back(s); }
    void interruption(std::size_t, const InterruptionMarker&) {}
    void resume(std::size_t, const ResumeEntry&) {}
    void refused(std::size_t, const std::string&) {}
};

// The public bulk reader (readTailRecords), as an export or a history index reads a file:
// 2 MB pieces through a reused buffer, the samples collected.
void bulkReadAndDecode(benchmark::State& state)
{
    const auto& path = longFile(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> buffer;
    std::vector<SampleRecord> out;
    for (auto _ : state) {
        FileReader reader;
        if (!reader.open(path) ||
            !reader.readAt(0, static_cast<std::size_t>(std::min<std::uint64_t>(reader.size(), maxTestFileHeadSize())),
                           buffer)) {
            state.SkipWithError("read failed");
            return;
        }
        auto head = readTestFileHead(buffer, reader.size());
        const BatteryTestFileLayout& layout = head->layout;
        out.clear();
        out.reserve(layout.tailCount);
        const std::size_t perPiece = kPieceBytes / layout.tailRecordSize;
        for (std::size_t first = 0; first < layout.tailCount; first += perPiece) {
            const std::size_t n = std::min(perPiece, layout.tailCount - first);
            if (!reader.readAt(layout.tailStart + first * layout.tailRecordSize, n * layout.tailRecordSize, buffer)) {
                state.SkipWithError("read failed");
                return;
            }
            readTailRecords(buffer, layout, first, SampleCollector{out});
        }
        benchmark::DoNotOptimize(out.data());
    }
    reportBytes(state, path);
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
    reportBytes(state, path);
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
    ui::GraphWindow graf(samples, config);
    graf.resize(1200, 700);
    graf.show();
    QApplication::processEvents();
    graf.reload();
    for (auto _ : state)
        graf.redraw();
    state.counters["points_per_series"] = graf.drawnPoints(graph_series::kVoltage);
}

} // namespace

BENCHMARK(rawRead)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(plainReadAndDecode)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(bulkReadAndDecode)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
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
