#include "core/reports/chart_report.h"

#include "core/base/locale_formats.h"
#include "core/base/numbers.h"
#include "core/definitions/duration_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kapsorel {

using namespace chart_report;

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr int kTitleHeight = 22;
constexpr int kInfoTop = 30;
constexpr int kLabelHeight = 16;

bool isChargeOrDischarge(std::uint8_t type)
{
    return type == 0 || type == 1;
}
bool isChargeOrDischargeEnd(std::uint8_t type)
{
    return type == 2 || type == 3;
}
bool hasColouredCells(std::uint8_t type)
{
    return type == 2 || type == 3 || type == 9;
}

std::uint32_t cellColour(float v, float threshold, const ChartReportSettings& s)
{
    if (v < s.cellFailLimit)
        return s.belowLimitColour;
    if (v < s.cellOkMinimum)
        return s.belowOkColour;
    if (v >= threshold)
        return s.aboveOkColour;
    return kWhite;
}

ReportLabel label(ReportRect rect, std::string text, int fontSize, TextAlignment align = TextAlignment::Left)
{
    ReportLabel l;
    l.rect = rect;
    l.text = std::move(text);
    l.font.size = fontSize;
    l.alignment = align;
    return l;
}

// Width of a text of a font size in report units, as a rough measure for placing labels.
int textWidth(const std::string& text, int fontSize)
{
    return static_cast<int>(std::ceil(static_cast<double>(text.size()) * fontSize * 0.75));
}

} // namespace

std::vector<std::pair<std::string, int>> chartTableColumns(std::uint8_t hardwareKind)
{
    if (hardwareKind != 0)
        return {{"Krok", 120}, {"Čas", 70}, {"Proud", 80}, {"Napětí", 80}, {"Kapacita", 90}};
    std::vector<std::pair<std::string, int>> columns{
        {"Krok", 100}, {"Čas", 35}, {"Pr.", 45}, {"Nap.", 35}, {"Kap.", 35}};
    for (int c = 1; c <= 20; ++c)
        columns.emplace_back("B" + std::to_string(c), 30);
    return columns;
}

std::vector<ChartTableRow> chartTableRows(const ReportTest& test, const ChartReportSettings& settings)
{
    std::vector<ChartTableRow> rows;
    std::vector<std::uint8_t> printed;
    bool takeReference = true;
    std::optional<DayTime> reference;
    const auto& steps = test.steps;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const std::uint8_t number = steps[k].printNumber;
        if (number == 0 || std::find(printed.begin(), printed.end(), number) != printed.end())
            continue;
        printed.push_back(number);
        const StepResult* shown = &steps[k];
        for (std::size_t j = k; j < steps.size(); ++j)
            if (steps[j].printNumber == number && steps[j].start > 0.0)
                shown = &steps[j];
        const StepResult& s = *shown;
        if (isChargeOrDischarge(s.stepType) && takeReference && s.start > 0.0) {
            reference = s.start;
            takeReference = false;
        }
        ChartTableRow row;
        row.cells.push_back(s.description);
        // Empty before the first charge or discharge, and for a step not started.
        const bool timed = reference.has_value() && s.start > 0.0 && s.start >= *reference;
        const long long seconds = timed ? wholeSecondsBetween(*reference, s.start) : 0;
        row.cells.push_back(timed && seconds <= std::numeric_limits<std::int32_t>::max()
                                ? formatDurationHm(static_cast<std::int32_t>(seconds))
                                : "");
        row.cells.push_back(formatNumber("%5.1f", s.current));
        row.cells.push_back(formatNumber("%4.1f", s.voltage));
        row.cells.push_back(formatNumber("%4.1f", s.capacity));
        row.backgrounds.assign(row.cells.size(), kWhite);
        if (settings.hardwareKind == 0) {
            const float threshold = s.parameter1 > 1.0f ? s.parameter1 : settings.cellOkMaximum;
            for (float v : s.cells) {
                row.cells.push_back(formatNumber("%4.2f", v));
                row.backgrounds.push_back(hasColouredCells(s.stepType) ? cellColour(v, threshold, settings) : kWhite);
            }
        }
        rows.push_back(std::move(row));
        if (isChargeOrDischargeEnd(s.stepType))
            takeReference = true;
    }
    return rows;
}

std::vector<ChartLine> chartLines(const std::vector<GraphSeries>& series)
{
    std::vector<ChartLine> lines;
    for (std::size_t i = 0; i < series.size(); ++i) {
        ChartLine line;
        line.colour = series[i].colour;
        line.visible = series[i].visible;
        line.rightAxis = series[i].rightAxis;
        line.penWidth = i == 20 ? 2 : 1;
        line.points.reserve(series[i].points.size());
        for (const auto& [seconds, value] : series[i].points)
            line.points.emplace_back(seconds / 3600.0, value);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string reportFileName(const BatteryTestHeader& header)
{
    std::string name = header.batteryNumber.empty() ? std::string("test") : header.batteryNumber;
    if (header.start >= 2.0 && header.start < 2958466.0) {
        const LocalDateTime t = fromDayTime(header.start);
        char date[16];
        std::snprintf(date, sizeof date, "_%04d-%02d-%02d", t.year, t.month, t.day);
        name += date;
    }
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
            static_cast<unsigned char>(c) < 32)
            c = '_';
    return name + ".pdf";
}

ChartReport buildChartReport(const ReportTest& test, const ChartReportSettings& settings)
{
    ChartReport report;
    report.pages.emplace_back();
    ReportPage* page = &report.pages.back();

    const std::string title = test.header.batteryNumber + " - " + formatDateTime(test.header.start);
    const ReportRect titleRect{0, 0, kPageWidth, kTitleHeight};
    page->labels.push_back(label(titleRect, title, 12, TextAlignment::Centre));

    int x = 0;
    const auto info = [&](const char* caption, const std::string& value) {
        const int w = textWidth(caption, 8) + 4;
        page->labels.push_back(label({x, kInfoTop + 2, w, kLabelHeight}, caption, 8));
        x += w;
        const int vw = std::max(textWidth(value, 10), 40) + 20;
        page->labels.push_back(label({x, kInfoTop, vw, kLabelHeight}, value, 10));
        x += vw;
    };
    info("Typ baterie:", test.header.batteryType);
    info("Postup:", test.header.procedureName);
    const int operatorTop = kInfoTop + 2;
    info("Měřil:", test.header.operatorName);

    const auto columns = chartTableColumns(settings.hardwareKind);
    const int tableLeft = settings.hardwareKind != 0 ? 290 : 190;
    const auto placeRow = [&](int y, int height, const std::vector<std::string>& cells,
                              const std::vector<std::uint32_t>& backgrounds, bool header) {
        int cx = tableLeft;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            ReportLabel l = label({cx, y, columns[c].second, height}, c < cells.size() ? cells[c] : "", 8);
            l.alignment = header   ? TextAlignment::Left
                          : c == 0 ? TextAlignment::Left
                          : c == 1 ? TextAlignment::Right
                                   : TextAlignment::Centre;
            l.background = backgrounds[c];
            l.filled = true;
            page->labels.push_back(std::move(l));
            cx += columns[c].second + 1;
        }
    };
    std::vector<std::string> headers;
    for (const auto& [name, width] : columns)
        headers.push_back(name);
    const std::vector<std::uint32_t> grey(columns.size(), kHeaderGrey);

    // Room below the rows of the last page: "Poznámka:", the note and the chart's minimum.
    const int tail = 15 + 16 + kLabelHeight + 5 + kMinChartHeight;
    int y = kTableTop;
    placeRow(y, kHeaderAdvance - 1, headers, grey, true);
    y += kHeaderAdvance;
    for (const auto& row : chartTableRows(test, settings)) {
        if (y + kRowAdvance + tail > kPageHeight) {
            report.pages.emplace_back();
            page = &report.pages.back();
            y = 0;
            placeRow(y, kHeaderAdvance - 1, headers, grey, true);
            y += kHeaderAdvance;
        }
        placeRow(y, kRowAdvance - 1, row.cells, row.backgrounds, false);
        y += kRowAdvance;
    }

    y += 15;
    if (report.pages.size() == 1)
        y = std::max(y, operatorTop + 24);
    page->labels.push_back(label({0, y, 60, kLabelHeight}, "Poznámka:", 8));
    const ReportRect noteRect{0, y + 16, std::max(textWidth(test.header.note, 10), 40), kLabelHeight};
    page->labels.push_back(label(noteRect, test.header.note, 10));
    int chartTop = noteRect.bottom() + 5;

    for (int k = 0; k < 3; ++k) {
        const std::string name = "P" + std::to_string(k);
        const int value =
            static_cast<std::size_t>(k) < test.variables.size() ? test.variables[static_cast<std::size_t>(k)] : 0;
        const auto text = std::find_if(settings.texts.begin(), settings.texts.end(),
                                       [&](const ReportText& t) { return t.variable == name && t.value == value; });
        if (text == settings.texts.end())
            continue;
        const std::string shown = text->text.substr(0, 200);
        ReportLabel l = label({0, 0, textWidth(shown, 8), kLabelHeight}, shown, 8);
        ReportPage* target = page;
        switch (text->position) {
        case ReportTextPosition::Page:
            target = &report.pages.front();
            break;
        case ReportTextPosition::Title: {
            // The title as drawn: its text centred in the page's width.
            const int w = textWidth(title, 12);
            const int left = (kPageWidth - w) / 2;
            l.rect.x = text->x != 0 ? left + w : left;
            l.rect.y = text->y != 0 ? titleRect.bottom() : titleRect.y;
            target = &report.pages.front();
            break;
        }
        case ReportTextPosition::Note:
            l.rect.x = text->x != 0 ? noteRect.right() : noteRect.x;
            l.rect.y = text->y != 0 ? noteRect.bottom() : noteRect.y;
            if (text->y != 0)
                chartTop = std::max(chartTop, l.rect.bottom() + 5);
            break;
        }
        l.rect.x += text->x;
        l.rect.y += text->y;
        target->labels.push_back(std::move(l));
    }

    report.chartPage = report.pages.size() - 1;
    report.chart = {0, chartTop, kPageWidth, std::max(kPageHeight - chartTop, kMinChartHeight)};
    return report;
}

} // namespace kapsorel
