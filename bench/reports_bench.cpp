// The chart report of a 1M-sample test (goal: at most 1 s): the page with a table of 255
// printed steps, and the chart from the graph's decimated view of the whole test (22 series
// on 1000 columns), never from every sample.
#include "core/records/sample_table.h"
#include "core/reports/chart_report.h"
#include "support/long_test_file.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

void BM_ChartReport1M(benchmark::State& state)
{
    const test::LongTestSpec spec{.samples = 1'000'000};
    SampleTable table;
    table.reserve(spec.samples);
    for (std::size_t i = 0; i < spec.samples; ++i)
        table.add(test::longTestSample(spec, i), static_cast<std::int64_t>(i));
    table.updateDecimation();
    const double end = static_cast<double>(table.rows().back().x);

    ReportTest test;
    test.header = test::longTestHeader(spec);
    for (int k = 0; k < 255; ++k) {
        StepResult s;
        s.stepType = static_cast<std::uint8_t>(k % 10);
        s.printNumber = static_cast<std::uint8_t>(k + 1);
        s.start = spec.start + k / 24.0;
        s.description = "Krok";
        test.steps.push_back(s);
    }
    test.variables.assign(10, 0);

    std::size_t points = 0;
    for (auto _ : state) {
        const DecimatedView view = table.view(0.0, end, 1000);
        std::vector<GraphSeries> series(view.series.size());
        for (std::size_t k = 0; k < series.size(); ++k) {
            series[k].rightAxis = static_cast<int>(k) == graph_series::kCurrent;
            for (const GraphPoint& p : view.series[k])
                series[k].points.emplace_back(p.x, p.y);
        }
        ChartReport report = buildChartReport(test, {});
        report.lines = chartLines(series);
        points = report.lines[graph_series::kVoltage].points.size();
        benchmark::DoNotOptimize(report.pages.data());
    }
    state.counters["points_per_series"] = static_cast<double>(points);
}
BENCHMARK(BM_ChartReport1M)->Unit(benchmark::kMillisecond);

} // namespace
