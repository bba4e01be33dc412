// Both reports of a test file the recorder writes (the long test generator): the step
// rows, their reference times and values as the file gives them back.
#include "core/base/numbers.h"
#include "core/records/battery_test_reader.h"
#include "core/reports/chart_report.h"
#include "core/reports/layout_report.h"
#include "support/locale_scope.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

TEST(GeneratedTestReport, RowsTimesAndFieldsFromTheRecordedFile)
{
    test::LocaleScope comma(test::commaFormats());
    test::TempHome home;
    test::LongTestSpec spec;
    spec.samples = 4 * 3600; // four steps of an hour, a sample a second
    spec.steps = 4;
    BatteryTestHeader header = test::longTestHeader(spec);
    header.stepCount = 4;
    // A check, a charge, its end, and a check again not printed.
    const std::uint8_t types[] = {9, 0, 2, 9};
    test::writeTestFile(
        home / "dlouhy.tst", header, spec.family, spec.samples,
        [&](std::size_t i) { return test::longTestSample(spec, i); },
        [&](std::uint8_t step, RunStep& s) {
            s.type = types[step];
            s.printNumber = step < 3 ? static_cast<std::uint8_t>(step + 1) : 0;
            s.reportNumber = static_cast<std::uint8_t>(step + 1);
        });
    const auto file = readTestFile(home.readBytes("dlouhy.tst"));
    ASSERT_TRUE(file.ok()) << file.error();

    ReportTest test;
    test.header = file->head.header;
    test.steps = file->head.steps;
    test.variables.assign(file->head.variables.begin(), file->head.variables.end());

    ChartReportSettings settings;
    settings.hardwareKind = 0;
    const auto rows = chartTableRows(test, settings);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells[0], "Krok 1");
    EXPECT_EQ(rows[0].cells[1], ""); // before the charge
    EXPECT_EQ(rows[1].cells[1], "00:00");
    EXPECT_EQ(rows[2].cells[1], "01:00");
    EXPECT_EQ(rows[2].cells[4], formatNumber("%4.1f", test.steps[2].capacity));
    EXPECT_EQ(rows[2].cells[5], formatNumber("%4.2f", test.steps[2].cells[0]));

    ReportLayout layout;
    LayoutItem item;
    item.text = "#K03 Ah";
    layout.items = {item};
    item.text = "$B";
    layout.items.push_back(item);
    const ReportPage page = buildLayoutReport(layout, test, {});
    ASSERT_EQ(page.labels.size(), 2u);
    EXPECT_EQ(page.labels[0].text, formatNumber("%.1f", test.steps[2].capacity) + " Ah");
    EXPECT_EQ(page.labels[1].text, header.batteryNumber);
}

} // namespace
} // namespace kapsorel
