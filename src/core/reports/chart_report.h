// The chart report: a landscape page with the test's header, the table of the steps
// marked for printing, the texts chosen by the test's variables, the note and the chart.
// Rows that do not fit above the chart's minimum height continue on further pages.
#pragma once

#include "core/reports/layout_report.h"
#include "core/reports/report_page.h"
#include "core/reports/report_texts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

struct ChartReportSettings {
    std::uint8_t hardwareKind = 0;
    float cellFailLimit = -0.60f;                           // DNB_KO
    float cellOkMinimum = 1.00f;                            // DNB_OK_MIN
    float cellOkMaximum = 1.56f;                            // DNB_OK_MAX
    std::uint32_t belowLimitColour = rgbColour(255, 0, 0);  // BKO2
    std::uint32_t belowOkColour = rgbColour(255, 140, 140); // BOK_MIN2
    std::uint32_t aboveOkColour = rgbColour(0, 200, 0);     // BOK_MAX2
    std::vector<ReportText> texts;                          // "Texty.cfg"
};

namespace chart_report {
constexpr int kPageWidth = report_page::kPortraitHeight; // landscape
constexpr int kPageHeight = report_page::kPortraitWidth;
constexpr int kTableTop = 68;
constexpr int kHeaderAdvance = 15;
constexpr int kRowAdvance = 13;
constexpr int kMinChartHeight = 200;
constexpr std::uint32_t kHeaderGrey = 0x00E9E9E9;
} // namespace chart_report

// One table row as texts and cell backgrounds, before placement.
struct ChartTableRow {
    std::vector<std::string> cells;
    std::vector<std::uint32_t> backgrounds;
};

// One line of the chart: time in hours against a value on the left (volts) or the right
// (amperes) axis.
struct ChartLine {
    std::uint32_t colour = 0;
    bool visible = true;
    bool rightAxis = false;
    int penWidth = 1;
    std::vector<std::pair<double, double>> points;
};

// The graph window's series as the report draws them: times from seconds to hours, the
// series after the twenty cell series (the current) drawn twice as wide.
struct GraphSeries {
    std::uint32_t colour = 0;
    bool visible = true;
    bool rightAxis = false;
    std::vector<std::pair<double, double>> points; // seconds, value
};
std::vector<ChartLine> chartLines(const std::vector<GraphSeries>& series);

struct ChartReport {
    std::vector<ReportPage> pages;
    std::size_t chartPage = 0;
    ReportRect chart;
    std::vector<ChartLine> lines;
};

// The PDF file name of a report: the battery number and the test's start date
// ("B-17_2024-03-01.pdf"), characters a file name cannot hold replaced by "_".
std::string reportFileName(const BatteryTestHeader& header);

// The column headers and widths of the step table for a hardware kind.
std::vector<std::pair<std::string, int>> chartTableColumns(std::uint8_t hardwareKind);
// The data rows: one per distinct "Tisk" number, in the order of the first step that has it.
std::vector<ChartTableRow> chartTableRows(const ReportTest& test, const ChartReportSettings& settings);
ChartReport buildChartReport(const ReportTest& test, const ChartReportSettings& settings);

} // namespace kapsorel
