// The layout report: one page built from a report layout, its items filled with the
// test's header fields and with values recorded at the start of chosen steps.
#pragma once

#include "core/definitions/battery_type.h"
#include "core/records/battery_test_records.h"
#include "core/reports/layout_file.h"
#include "core/reports/report_page.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

struct ReportTest {
    BatteryTestHeader header;
    std::vector<StepResult> steps;
    std::vector<std::uint8_t> variables; // P0 ... P9
};

// The texts of an item, one per column (one column except for the 'B' step field), or
// nothing when a "#" item names no step of the test (its box alone is drawn).
std::optional<std::vector<std::string>> layoutItemTexts(const std::string& text, const ReportTest& test,
                                                        std::span<const BatteryType> types);

// The page of a layout for a test: per item its box(es) and label(s) in item order.
ReportPage buildLayoutReport(const ReportLayout& layout, const ReportTest& test, std::span<const BatteryType> types);

// The geometry of column `c` of an item: the box and its text's rectangle.
ReportRect layoutBoxRect(const LayoutItem& item, int column);
ReportRect layoutLabelRect(const LayoutItem& item, int column);

// A date as the system writes it, or "" for a date-time outside 1.1.1900 ... 31.12.9999.
std::string reportDate(DayTime t);

} // namespace kapsorel
