#include "core/reports/layout_report.h"

#include "core/base/locale_formats.h"
#include "core/base/numbers.h"

#include <algorithm>
#include <cmath>

namespace kapsorel {

namespace {

constexpr DayTime kFirstDate = 2.0;      // 1.1.1900
constexpr DayTime kLastDate = 2958466.0; // 1.1.10000
constexpr const char* kNoValue = "***";
constexpr const char* kNoDate = "  ";

const BatteryType* findType(std::span<const BatteryType> types, const std::string& name)
{
    for (const auto& type : types)
        if (type.name == name)
            return &type;
    return nullptr;
}

const BatteryVariable* findTypeVariable(std::span<const BatteryType> types, const std::string& typeName, const char* id)
{
    const BatteryType* type = findType(types, typeName);
    return type ? type->findVariable(id) : nullptr;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<std::vector<std::string>> stepField(const std::string& text, const ReportTest& test,
                                                  std::span<const BatteryType> types)
{
    // "#", the letter and two digits: anything shorter or not a number names no step.
    if (text.size() < 4 || !isDigit(text[2]) || !isDigit(text[3]))
        return std::nullopt;
    const int rep = (text[2] - '0') * 10 + (text[3] - '0');
    const StepResult* step = nullptr;
    for (const auto& s : test.steps)
        if (s.repNumber == rep)
            step = &s;
    if (step == nullptr)
        return std::nullopt;
    const std::string suffix = text.substr(4);
    const auto one = [&](std::string value) { return std::vector<std::string>{value + suffix}; };
    switch (text[1]) {
    case 'D':
        return one(reportDate(step->start));
    case 'N':
        return one(formatNumber("%.1f", step->voltage));
    case 'P':
        return one(formatNumber("%.1f", step->current));
    case 'K':
        return one(formatNumber("%.1f", step->capacity));
    case 'B': {
        std::vector<std::string> cells;
        for (float v : step->cells)
            cells.push_back(formatNumber("%.2f", v) + suffix);
        return cells;
    }
    case 'C': {
        const BatteryVariable* c1 = findTypeVariable(types, test.header.batteryType, "C1");
        if (c1 == nullptr || c1->value == 0.0f)
            return one(kNoValue);
        return one(formatNumber("%.1f", static_cast<double>(step->capacity) * 100.0 / c1->value));
    }
    case 'R': {
        const BatteryVariable* cr = findTypeVariable(types, test.header.batteryType, "CR");
        if (cr == nullptr)
            return one(kNoValue);
        return one(step->capacity >= cr->value ? "PASS" : "FAULT");
    }
    default:
        return one(kNoValue);
    }
}

std::vector<std::string> headerField(const std::string& text, const ReportTest& test,
                                     std::span<const BatteryType> types)
{
    const char letter = text.size() > 1 ? text[1] : '\0';
    switch (letter) {
    case 'D':
        return {reportDate(test.header.start)};
    case 'B':
        return {test.header.batteryNumber};
    case 'M':
        return {test.header.operatorName};
    case 'N': {
        // Two spaces stand for a date that cannot be given: no "T1", or a date outside the
        // calendar the reports write.
        const BatteryVariable* t1 = findTypeVariable(types, test.header.batteryType, "T1");
        const std::string next =
            t1 ? reportDate(test.header.start + std::trunc(static_cast<double>(t1->value))) : std::string();
        return {next.empty() ? kNoDate : next};
    }
    case 'P':
        return {test.header.note};
    default:
        return {kNoValue};
    }
}

int clampSize(int v)
{
    return std::max(v, 0);
}

} // namespace

std::string reportDate(DayTime t)
{
    if (!(t >= kFirstDate && t < kLastDate))
        return {};
    return formatDate(t);
}

std::optional<std::vector<std::string>> layoutItemTexts(const std::string& text, const ReportTest& test,
                                                        std::span<const BatteryType> types)
{
    if (text.empty())
        return std::vector<std::string>{};
    if (text[0] == '#')
        return stepField(text, test, types);
    if (text[0] == '$')
        return headerField(text, test, types);
    return std::vector<std::string>{text};
}

ReportRect layoutBoxRect(const LayoutItem& item, int column)
{
    return {item.x + column * (item.width - 1), item.y, item.width, item.height};
}

ReportRect layoutLabelRect(const LayoutItem& item, int column)
{
    return {item.x + item.insetX + column * (item.width - 1), item.y + item.insetY,
            clampSize(item.width - 2 * item.insetX), clampSize(item.height - 2 * item.insetY)};
}

ReportPage buildLayoutReport(const ReportLayout& layout, const ReportTest& test, std::span<const BatteryType> types)
{
    ReportPage page;
    for (const auto& item : layout.items) {
        const auto box = [&](int column) {
            if (item.hasBox())
                page.boxes.push_back(
                    {layoutBoxRect(item, column), item.framePenWidth(), item.frameColour, item.fillColour});
        };
        box(0);
        auto texts = layoutItemTexts(item.text, test, types);
        if (!texts || texts->empty())
            continue;
        for (std::size_t c = 0; c < texts->size(); ++c) {
            const int column = static_cast<int>(c);
            if (column > 0)
                box(column);
            ReportLabel label;
            label.rect = layoutLabelRect(item, column);
            label.text = (*texts)[c];
            label.font = {item.fontName, fontPoints(item.fontSize), item.fontColour, item.fontStyle};
            label.alignment = alignmentOf(item.frame);
            label.background = item.fillColour;
            label.filled = true;
            label.wordWrap = true;
            page.labels.push_back(std::move(label));
        }
    }
    return page;
}

} // namespace kapsorel
