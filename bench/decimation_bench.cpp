// The graph's decimation: bringing it up to a table of 1M samples (as after opening a
// long test), and one view of 22 series on a 1000-column chart, whole test and zoomed.
#include "core/records/sample_table.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

using namespace kapsorel;

// 1 s samples whose values wander, so every bucket differs.
const SampleTable& longTable()
{
    static const SampleTable table = [] {
        constexpr std::size_t kSamples = 1'000'000;
        SampleTable t;
        t.reserve(kSamples);
        for (std::size_t i = 0; i < kSamples; ++i) {
            const double x = static_cast<double>(i);
            SampleRecord s;
            s.voltage = static_cast<float>(24.0 + 4.0 * std::sin(x / 3000.0) + 0.1 * std::sin(x));
            s.current = static_cast<float>(10.0 * std::cos(x / 5000.0));
            for (std::size_t c = 0; c < s.cells.size(); ++c)
                s.cells[c] = static_cast<float>(1.2 + 0.15 * std::sin(x / 4000.0 + static_cast<double>(c)));
            t.add(s, static_cast<std::int64_t>(i));
        }
        return t;
    }();
    return table;
}

void BM_DecimationUpdate1M(benchmark::State& state)
{
    const SampleTable& source = longTable();
    for (auto _ : state) {
        SampleDecimation d;
        d.update(source.rows());
        benchmark::DoNotOptimize(d.sampleCount());
    }
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
