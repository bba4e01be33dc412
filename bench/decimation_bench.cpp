// The graph's decimation: bringing it up to a table of 1M samples (as after opening a
// long test), with what it holds against the table, and one view of 22 series on a
// 1000-column chart, whole test and zoomed.
#include "core/records/sample_table.h"
#include "support/long_test_file.h"

#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

// The shared long test's samples (1 s apart, values wandering so every bucket differs),
// straight into a table.
const SampleTable& longTable()
{
    static const SampleTable table = [] {
        const test::LongTestSpec spec{.samples = 1'000'000};
        SampleTable t;
        t.reserve(spec.samples);
        for (std::size_t i = 0; i < spec.samples; ++i)
            t.add(test::longTestSample(spec, i), static_cast<std::int64_t>(i));
        return t;
    }();
    return table;
}

void BM_DecimationUpdate1M(benchmark::State& state)
{
    const SampleTable& source = longTable();
    std::size_t bytes = 0;
    for (auto _ : state) {
        SampleDecimation d;
        d.update(source.rows());
        benchmark::DoNotOptimize(d.sampleCount());
        bytes = d.heldBytes();
    }
    // What the decimation holds, and the table's size as a multiple of it (at least 8).
    state.counters["decimation_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["table_per_decimation"] =
        static_cast<double>(source.rows().heldBytes()) / static_cast<double>(std::max<std::size_t>(bytes, 1));
}
BENCHMARK(BM_DecimationUpdate1M)->Unit(benchmark::kMillisecond);

// state.range(0): the part of the test in view, in thousandths.
void BM_DecimationView1M(benchmark::State& state)
{
    SampleTable t = longTable();
    t.updateDecimation();
    const double end = static_cast<double>(t.rows().back().x);
    const double part = static_cast<double>(state.range(0)) / 1000.0;
    const double from = part >= 1.0 ? 0.0 : end * 0.3;
    const double to = from + end * part;
    std::size_t points = 0;
    for (auto _ : state) {
        const DecimatedView v = t.view(from, to, 1000);
        points = v.series[graph_series::kVoltage].size();
        benchmark::DoNotOptimize(v.series.data());
    }
    state.counters["points_per_series"] = static_cast<double>(points);
}
BENCHMARK(BM_DecimationView1M)->Arg(1000)->Arg(10)->Unit(benchmark::kMicrosecond);

} // namespace
