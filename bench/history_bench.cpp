// Battery history: the tests of one battery out of a data folder of 10,000 test files,
// with the store up to date (each answer first checks every file for a change).
#include "core/base/bytes.h"
#include "core/records/battery_test_records.h"
#include "core/records/history_index.h"
#include "core/records/sqlite_history_store.h"
#include "support/temp_home.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

using namespace kapsorel;

constexpr std::size_t kTests = 10'000;
constexpr std::size_t kBatteries = 500; // 20 tests each

// A finished version-4 test file of one step, without samples.
std::vector<std::uint8_t> testFileBytes(const std::string& battery, DayTime start)
{
    ByteWriter w;
    w.u8(test_file_layout::kCurrentVersion);
    w.u8(0);
    BatteryTestHeader h;
    h.stepCount = 1;
    h.start = start;
    h.operatorName = "Novák";
    h.stationName = "Stanice 1";
    h.batteryNumber = battery;
    h.batteryType = "20KSX25P";
    h.procedureName = "Kapacitní test";
    writeTestHeader(w, h);
    StepResult s;
    s.start = start;
    s.status = test_file_layout::kEndedPerformed;
    writeStepResult(w, s);
    w.zeros(test_file_layout::kReservedSize);
    w.u8(test_file_layout::kVariables);
    w.zeros(test_file_layout::kVariables);
    return w.take();
}

struct TenThousandTests {
    TenThousandTests()
    {
        std::filesystem::create_directories(home / "Data");
        std::filesystem::create_directories(home / "Archiv");
        for (std::size_t i = 0; i < kTests; ++i) {
            const auto bytes = testFileBytes("B" + std::to_string(i % kBatteries), 45000.0 + static_cast<double>(i));
            std::ofstream out(home / "Data" / ("T_" + std::to_string(i) + ".tst"), std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        auto opened = SqliteHistoryStore::open(historyStorePath(home / "Data"));
        if (opened)
            store = std::move(opened.value());
        if (store)
            built = refreshHistory(*store, folders()).ok();
    }
    HistoryFolders folders() const { return {home / "Data", home / "Archiv"}; }

    test::TempHome home;
    std::unique_ptr<SqliteHistoryStore> store;
    bool built = false;
};

TenThousandTests& tenThousandTests()
{
    static TenThousandTests t;
    return t;
}

void BM_BatteryHistoryOf10000Tests(benchmark::State& state)
{
    auto& t = tenThousandTests();
    if (!t.built) {
        state.SkipWithError("history not built");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        auto found = batteryHistory(*t.store, t.folders(), "B" + std::to_string(i++ % kBatteries));
        if (!found || found->size() != kTests / kBatteries)
            state.SkipWithError("wrong answer");
        benchmark::DoNotOptimize(found->data());
    }
}
BENCHMARK(BM_BatteryHistoryOf10000Tests)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rebuilding the deleted store from the 10,000 files.
void BM_RebuildHistoryOf10000Tests(benchmark::State& state)
{
    auto& t = tenThousandTests();
    const auto path = t.home / "Rebuilt.db";
    for (auto _ : state) {
        std::filesystem::remove(path);
        auto store = SqliteHistoryStore::open(path);
        if (!store || !refreshHistory(**store, t.folders()))
            state.SkipWithError("rebuild failed");
    }
}
BENCHMARK(BM_RebuildHistoryOf10000Tests)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
