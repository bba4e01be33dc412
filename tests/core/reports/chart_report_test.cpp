#include "core/base/day_time.h"
#include "core/reports/chart_report.h"
#include "support/locale_scope.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

const DayTime kStart = toDayTime(LocalDateTime{2024, 3, 1, 8, 0, 0, 0});

StepResult step(std::uint8_t type, std::uint8_t print, double hoursFromStart, const char* description)
{
    StepResult s;
    s.stepType = type;
    s.printNumber = print;
    s.start = hoursFromStart < 0 ? 0.0 : kStart + hoursFromStart / 24.0;
    s.description = description;
    s.current = 5.0f;
    s.voltage = 12.0f;
    s.capacity = 3.0f;
    s.cells.fill(1.3f);
    return s;
}

ReportTest testOf(std::vector<StepResult> steps)
{
    ReportTest t;
    t.header.batteryNumber = "B-17";
    t.header.start = kStart;
    t.header.note = "pozn";
    t.steps = std::move(steps);
    t.variables.assign(10, 0);
    return t;
}

TEST(ChartReport, RowsByPrintNumberAndReferenceTimes)
{
    test::LocaleScope comma(test::commaFormats());
    ChartReportSettings s;
    s.hardwareKind = 1;
    const auto rows = chartTableRows(testOf({
                                         step(9, 1, 0.0, "kontrola"),    // before any charge: no time
                                         step(0, 2, 1.0, "nabíjení"),    // reference
                                         step(2, 3, 3.5, "konec nab."),  // 2:30 after it
                                         step(1, 4, 4.0, "vybíjení"),    // new reference
                                         step(3, 5, 6.25, "konec vyb."), // 2:15
                                         step(0, 6, -1.0, "nezahájen"),  // not started: no time
                                         step(9, 0, 7.0, "bez tisku"),   // not printed
                                     }),
                                     s);
    ASSERT_EQ(rows.size(), 6u);
    std::vector<std::string> times;
    for (const auto& r : rows)
        times.push_back(r.cells[1]);
    EXPECT_EQ(times, (std::vector<std::string>{"", "00:00", "02:30", "00:00", "02:15", ""}));
    EXPECT_EQ(rows[0].cells.size(), 5u);
    EXPECT_EQ(rows[0].cells[2], "  5,0");
    EXPECT_EQ(rows[0].cells[3], "12,0");
}

TEST(ChartReport, RepeatedPrintNumberShowsTheLastStartedStep)
{
    ChartReportSettings s;
    auto first = step(9, 3, 1.0, "první");
    auto second = step(9, 3, -1.0, "druhý");
    EXPECT_EQ(chartTableRows(testOf({first, second}), s).front().cells[0], "první");
    second = step(9, 3, 2.0, "druhý");
    const auto rows = chartTableRows(testOf({first, second}), s);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.front().cells[0], "druhý");
}

TEST(ChartReport, CellColoursAtOrAboveTheThreshold)
{
    ChartReportSettings s;
    s.hardwareKind = 0;
    auto end = step(2, 1, 1.0, "konec");
    end.cells[0] = -1.0f; // below DNB_KO
    end.cells[1] = 0.5f;  // below DNB_OK_MIN
    end.cells[2] = 1.56f; // exactly DNB_OK_MAX
    end.cells[3] = 1.3f;  // between
    auto check = end;
    check.stepType = 9;
    check.printNumber = 2;
    check.parameter1 = 1.2f; // own threshold
    auto charge = end;
    charge.stepType = 0;
    charge.printNumber = 3;
    const auto rows = chartTableRows(testOf({end, check, charge}), s);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(rows[0].cells.size(), 25u);
    const auto& bg = rows[0].backgrounds;
    EXPECT_EQ(bg[5], s.belowLimitColour);
    EXPECT_EQ(bg[6], s.belowOkColour);
    EXPECT_EQ(bg[7], s.aboveOkColour);
    EXPECT_EQ(bg[8], 0x00FFFFFFu);
    EXPECT_EQ(rows[1].backgrounds[8], s.aboveOkColour);
    for (std::size_t c = 5; c < 25; ++c)
        EXPECT_EQ(rows[2].backgrounds[c], 0x00FFFFFFu);
}

TEST(ChartReport, TableGeometryAndTexts)
{
    test::LocaleScope comma(test::commaFormats());
    ChartReportSettings s;
    s.hardwareKind = 0;
    s.texts = {{"P0", 2, "Zkouška po opravě", ReportTextPosition::Note, 0, 1},
               {"P1", 0, "hlavička", ReportTextPosition::Page, 5, 6},
               {"P2", 0, "nad titulkem", ReportTextPosition::Title, 1, 0}};
    auto test = testOf({step(0, 1, 0.0, "nabíjení")});
    test.variables[0] = 2;
    const ChartReport report = buildChartReport(test, s);
    ASSERT_EQ(report.pages.size(), 1u);
    const auto& labels = report.pages[0].labels;
    EXPECT_EQ(labels[0].text, "B-17 - 1.3.2024 8:00:00");
    const auto find = [&](const std::string& text) {
        auto it = std::find_if(labels.begin(), labels.end(), [&](const ReportLabel& l) { return l.text == text; });
        EXPECT_NE(it, labels.end()) << text;
        return it == labels.end() ? ReportRect{} : it->rect;
    };
    EXPECT_EQ(find("Krok"), (ReportRect{190, 68, 100, 14}));
    EXPECT_EQ(find("B20").right(), 190 + 101 + 36 + 46 + 36 + 36 + 19 * 31 + 30);
    EXPECT_LE(find("B20").right(), report_page::kPortraitReachY);
    EXPECT_EQ(find("nabíjení").y, 68 + 15);
    EXPECT_EQ(find("hlavička"), (ReportRect{5, 6, find("hlavička").width, 16}));
    const ReportRect note = find("pozn");
    const ReportRect text = find("Zkouška po opravě");
    EXPECT_EQ(text.x, note.x);
    EXPECT_EQ(text.y, note.bottom() + 1);
    EXPECT_EQ(report.chart.y, note.bottom() + 16 + 5);
    // Right of the centred title (X not 0), level with its top (Y 0).
    const ReportRect besideTitle = find("nad titulkem");
    EXPECT_GT(besideTitle.x, chart_report::kPageWidth / 2 + 1);
    EXPECT_EQ(besideTitle.y, 0);
    // P1 holds 0 and P2 too: a text for another value of P0 is not shown.
    s.texts.push_back({"P0", 3, "jiný", ReportTextPosition::Page, 0, 0});
    const ChartReport again = buildChartReport(test, s);
    EXPECT_TRUE(std::none_of(again.pages[0].labels.begin(), again.pages[0].labels.end(),
                             [](const ReportLabel& l) { return l.text == "jiný"; }));
    EXPECT_EQ(report.chart.bottom(), chart_report::kPageHeight);
}

TEST(ChartReport, ManyRowsContinueOnNextPagesAndTheChartKeepsItsHeight)
{
    std::vector<StepResult> steps;
    for (int i = 1; i <= 120; ++i)
        steps.push_back(step(9, static_cast<std::uint8_t>(i), i, "krok"));
    const ChartReport report = buildChartReport(testOf(steps), {});
    ASSERT_GT(report.pages.size(), 1u);
    std::size_t rows = 0;
    for (const auto& page : report.pages) {
        for (const auto& l : page.labels) {
            EXPECT_LE(l.rect.bottom(), chart_report::kPageHeight);
            rows += l.text == "krok";
        }
    }
    EXPECT_EQ(rows, 120u);
    EXPECT_EQ(report.chartPage, report.pages.size() - 1);
    EXPECT_GE(report.chart.height, chart_report::kMinChartHeight);
    EXPECT_LE(report.chart.bottom(), chart_report::kPageHeight);
}

TEST(ChartReport, EmptyTableHasTheHeaderRowOnly)
{
    const ChartReport report = buildChartReport(testOf({step(9, 0, 1.0, "x")}), {});
    EXPECT_TRUE(chartTableRows(testOf({step(9, 0, 1.0, "x")}), {}).empty());
    EXPECT_EQ(report.pages.size(), 1u);
}

} // namespace
} // namespace kapsorel
