// A test printed from its file: it is read into tables of its own as an open reads it,
// leaving the station's open test alone, and its chart series come from those tables.
#include "core/records/battery_test_file.h"
#include "core/records/sample_decimation.h"
#include "core/reports/file_chart_series.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"
#include "support/test_file_recorder.h"

#include <gtest/gtest.h>
#include <vector>

using namespace kapsorel;

TEST(TestFileTables, ReadApartGivesTheOpensTablesAndLeavesTheOpenTest)
{
    test::TempHome home;
    const auto open = home / "otevreny.tst";
    const auto other = home / "jiny.tst";
    test::writeLongTestFile(open, {.samples = 5, .steps = 1});
    test::writeLongTestFile(other, {.samples = 3000, .steps = 2, .secondsApart = 2.0, .family = 1});

    test::TestFileRecorder r;
    SampleTable samples;
    StepTable steps;
    ASSERT_TRUE(r.file.openTestFile(open, {}, samples, steps));
    const SampleRecord current = r.file.currentSample();

    SampleTable apart;
    StepTable apartSteps;
    std::vector<double> progress;
    auto read = readTestFileTables(other, {}, r.clock, apart, apartSteps, [&](double f) { progress.push_back(f); });
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(r.file.currentPath(), open);
    EXPECT_EQ(r.file.currentSample(), current);
    EXPECT_EQ(samples.size(), 5u);
    EXPECT_EQ(read->head.header.batteryNumber, test::longTestHeader({}).batteryNumber);
    EXPECT_EQ(read->head.layout.family, 1);
    EXPECT_EQ(read->summary.samples, 3000u);
    EXPECT_TRUE(read->summary.warning.empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 1.0);

    // The same tables an open of that file fills.
    SampleTable opened;
    StepTable openedSteps;
    ASSERT_TRUE(r.file.openTestFile(other, {}, opened, openedSteps));
    ASSERT_EQ(apart.size(), opened.size());
    for (std::size_t i : {std::size_t{0}, std::size_t{1499}, std::size_t{2999}}) {
        EXPECT_EQ(apart.rows().x(i), opened.rows().x(i));
        EXPECT_EQ(apart.rows()[i].sample, opened.rows()[i].sample);
    }
    EXPECT_EQ(apartSteps.size(), openedSteps.size());
    EXPECT_EQ(read->head.steps.size(), r.file.stepResults().size());
    EXPECT_EQ(read->last, r.file.currentSample());

    // A file that is not there is refused with the open's message; nothing is filled.
    SampleTable none;
    StepTable noSteps;
    auto missing = readTestFileTables(home / "neni.tst", {}, r.clock, none, noSteps);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().find("neni.tst"), std::string::npos);
    EXPECT_EQ(none.size(), 0u);
}

TEST(TestSeries, WholeTestSeriesFromTheTableWithTheirLooks)
{
    test::TempHome home;
    const auto path = home / "t.tst";
    const test::LongTestSpec spec{.samples = 20'000, .steps = 1};
    test::writeLongTestFile(path, spec);
    test::TestFileRecorder r;
    SampleTable samples;
    StepTable steps;
    ASSERT_TRUE(readTestFileTables(path, {}, r.clock, samples, steps));

    std::vector<SeriesLook> looks(graph_series::kCount, SeriesLook{0x112233, true});
    looks[graph_series::kCurrent] = {0xff0000, true};
    looks[graph_series::kFirstCell + 3] = {0x00ff00, false};
    const std::size_t columns = 500;
    const auto series = wholeTestSeries(samples, looks, columns);
    ASSERT_EQ(series.size(), std::size_t(graph_series::kCount));
    for (int s = 0; s < graph_series::kCount; ++s) {
        const GraphSeries& g = series[static_cast<std::size_t>(s)];
        SCOPED_TRACE(s);
        EXPECT_EQ(g.rightAxis, s == graph_series::kCurrent);
        EXPECT_EQ(g.colour, looks[static_cast<std::size_t>(s)].colour);
        EXPECT_EQ(g.visible, s != graph_series::kFirstCell + 3);
        // The whole test, decimated to a few points a column, from the first sample to the last.
        ASSERT_GT(g.points.size(), columns);
        EXPECT_LE(g.points.size(), 5 * columns + 2);
        EXPECT_EQ(g.points.front().first, static_cast<double>(samples.rows().x(0)));
        EXPECT_EQ(g.points.back().first, static_cast<double>(samples.rows().x(samples.size() - 1)));
    }
    // The voltage's extremes survive the decimation.
    double lowest = 1e9;
    double highest = -1e9;
    for (std::size_t i = 0; i < spec.samples; ++i) {
        const double v = test::longTestSample(spec, i).voltage;
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    double drawnLow = 1e9;
    double drawnHigh = -1e9;
    for (const auto& [x, y] : series[graph_series::kVoltage].points) {
        drawnLow = std::min(drawnLow, y);
        drawnHigh = std::max(drawnHigh, y);
    }
    EXPECT_DOUBLE_EQ(drawnLow, lowest);
    EXPECT_DOUBLE_EQ(drawnHigh, highest);

    // Series without a look are hidden; an empty table gives series without points.
    const auto fewer = wholeTestSeries(samples, std::span(looks).first(2), columns);
    EXPECT_TRUE(fewer[1].visible);
    EXPECT_FALSE(fewer[graph_series::kVoltage].visible);
    const auto empty = wholeTestSeries(SampleTable{}, looks, columns);
    ASSERT_EQ(empty.size(), std::size_t(graph_series::kCount));
    for (const GraphSeries& g : empty)
        EXPECT_TRUE(g.points.empty());
}
