// CSV export speed: a one-million-sample test exported to CSV against writing the same
// CSV bytes as they are, both into the same folder in the same run and both synced to
// the device (bytes/s of output).
#include "core/records/csv_export.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

using namespace kapsorel;

constexpr std::size_t kSamples = 1'000'000;

// The test file and one export of it, made once for both benchmarks.
struct MillionSampleTest {
    MillionSampleTest()
    {
        test::writeLongTestFile(testFile, {.samples = kSamples, .steps = 20, .secondsApart = 1.0});
        auto exported = exportTestCsv(testFile, home / "first.csv");
        if (exported) {
            std::ifstream in(home / "first.csv", std::ios::binary);
            csv.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    test::TempHome home;
    std::filesystem::path testFile = home / "million.tst";
    std::string csv; // the bytes an export writes
};

MillionSampleTest& millionSampleTest()
{
    static MillionSampleTest t;
    return t;
}

void BM_ExportMillionSamplesToCsv(benchmark::State& state)
{
    auto& t = millionSampleTest();
    if (t.csv.empty()) {
        state.SkipWithError("first export failed");
        return;
    }
    for (auto _ : state) {
        auto exported = exportTestCsv(t.testFile, t.home / "export.csv");
        if (!exported || exported->rows != kSamples)
            state.SkipWithError("export failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(t.csv.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSamples));
}
BENCHMARK(BM_ExportMillionSamplesToCsv)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same bytes written as the export writes them, in pieces of a megabyte
// into a staged file that is synced to the device and renamed into place.
void BM_WriteTheSameCsvBytes(benchmark::State& state)
{
    auto& t = millionSampleTest();
    if (t.csv.empty()) {
        state.SkipWithError("first export failed");
        return;
    }
    const auto staged = t.home / "plain.csv.part";
    const auto path = t.home / "plain.csv";
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (auto _ : state) {
        std::FILE* f = std::fopen(staged.c_str(), "wb");
        if (f == nullptr) {
            state.SkipWithError("cannot write");
            break;
        }
        for (std::size_t at = 0; at < t.csv.size(); at += kPiece)
            std::fwrite(t.csv.data() + at, 1, std::min(kPiece, t.csv.size() - at), f);
        std::fflush(f);
        ::fsync(::fileno(f));
        std::fclose(f);
        std::filesystem::rename(staged, path);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(t.csv.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kSamples));
}
BENCHMARK(BM_WriteTheSameCsvBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
