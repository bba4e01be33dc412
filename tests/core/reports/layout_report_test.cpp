#include "core/base/day_time.h"
#include "core/reports/layout_report.h"
#include "support/locale_scope.h"

#include <gtest/gtest.h>
#include <limits>

namespace kapsorel {
namespace {

ReportTest sampleTest()
{
    ReportTest test;
    test.header.batteryNumber = "B-17";
    test.header.batteryType = "KPL 50";
    test.header.operatorName = "Novák";
    test.header.note = "po revizi";
    test.header.start = toDayTime(LocalDateTime{2024, 3, 1, 8, 0, 0, 0});
    for (int i = 0; i < 6; ++i) {
        StepResult s;
        s.repNumber = static_cast<std::uint8_t>(i == 5 ? 4 : i);
        s.start = test.header.start + i / 24.0;
        s.voltage = 10.0f + static_cast<float>(i);
        s.current = 2.5f;
        s.capacity = i == 5 ? 45.0f : 12.34f;
        for (int c = 0; c < 20; ++c)
            s.cells[static_cast<std::size_t>(c)] = 1.2f + 0.01f * static_cast<float>(c);
        test.steps.push_back(s);
    }
    return test;
}

std::vector<BatteryType> types(float c1, float cr, float t1)
{
    BatteryType t;
    t.name = "KPL 50";
    t.variables = {{"kapacita", "C1", c1}, {"mez", "CR", cr}, {"interval", "T1", t1}};
    return {t};
}

std::string one(const std::string& text, const ReportTest& test, const std::vector<BatteryType>& ts)
{
    auto texts = layoutItemTexts(text, test, ts);
    if (!texts)
        return "<none>";
    return texts->empty() ? "<empty>" : texts->front();
}

TEST(LayoutReport, ItemTexts)
{
    test::LocaleScope comma(test::commaFormats());
    ReportTest test = sampleTest();
    test.steps[3].capacity = 12.34f;
    const auto ts = types(50.0f, 45.0f, 365.9f);
    struct Case {
        const char* text;
        const char* shown;
    };
    for (const Case& c : {
             Case{"#K03 Ah", "12,3 Ah"}, Case{"#C04", "90,0"},
             Case{"#C04 %", "90,0 %"},   Case{"#R04", "PASS"},
             Case{"#N01 V", "11,0 V"},   Case{"#P01", "2,5"},
             Case{"#D00", "1.3.2024"},   Case{"#N07", "<none>"},
             Case{"#K", "<none>"},       Case{"#", "<none>"},
             Case{"#K0", "<none>"},      Case{"#Kx4", "<none>"},
             Case{"#Z04", "***"},        Case{"$D", "1.3.2024"},
             Case{"$B", "B-17"},         Case{"$M", "Novák"},
             Case{"$P", "po revizi"},    Case{"$N", "1.3.2025"},
             Case{"$", "***"},           Case{"Pevný text", "Pevný text"},
             Case{"", "<empty>"},
         })
        EXPECT_EQ(one(c.text, test, ts), c.shown) << c.text;
}

TEST(LayoutReport, VerdictAndPercentageNeedTheBatteryType)
{
    test::LocaleScope comma(test::commaFormats());
    const ReportTest test = sampleTest(); // step of Rep. 4 last: capacity 45
    EXPECT_EQ(one("#R04", test, types(50.0f, 45.0f, 1.0f)), "PASS");
    EXPECT_EQ(one("#R04", test, types(50.0f, 45.01f, 1.0f)), "FAULT");
    EXPECT_EQ(one("#C04", test, types(0.0f, 45.0f, 1.0f)), "***");
    EXPECT_EQ(one("#C04x", test, {}), "***x");
    EXPECT_EQ(one("#R04", test, {}), "***");
    EXPECT_EQ(one("$N", test, {}), "  ");
    BatteryType noVariables;
    noVariables.name = "KPL 50";
    EXPECT_EQ(one("#C04", test, {noVariables}), "***");
    EXPECT_EQ(one("#R04", test, {noVariables}), "***");
}

TEST(LayoutReport, OutOfRangeDatesAreNotShown)
{
    test::LocaleScope comma(test::commaFormats());
    EXPECT_EQ(reportDate(0.0), "");
    EXPECT_EQ(reportDate(-5.0), "");
    EXPECT_EQ(reportDate(1e12), "");
    EXPECT_EQ(reportDate(toDayTime(LocalDateTime{2024, 3, 1, 0, 0, 0, 0})), "1.3.2024");
    // "$N" prints its two spaces for a next date outside the calendar, as for a missing "T1".
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        DayTime start;
        float t1;
    };
    for (const Case& c :
         {Case{1e12, 365.0f}, Case{sampleTest().header.start, 3e9f}, Case{sampleTest().header.start, -1e6f},
          Case{sampleTest().header.start, nan}, Case{sampleTest().header.start, inf},
          Case{sampleTest().header.start, -inf}, Case{std::numeric_limits<double>::quiet_NaN(), 1.0f}}) {
        ReportTest test = sampleTest();
        test.header.start = c.start;
        EXPECT_EQ(one("$N", test, types(1, 1, c.t1)), "  ") << c.start << " + " << c.t1;
    }
}

TEST(LayoutReport, CellColumnsSharePrintedEdgesAndTheLastFitsThePage)
{
    test::LocaleScope comma(test::commaFormats());
    LayoutItem item;
    item.text = "#B04 V";
    item.x = 140;
    item.y = 300;
    item.width = 30;
    item.height = 20;
    item.frame = 2;
    item.insetX = 2;
    item.insetY = 3;
    const ReportPage page = buildLayoutReport({PageOrientation::Portrait, {item}}, sampleTest(), {});
    ASSERT_EQ(page.boxes.size(), 20u);
    ASSERT_EQ(page.labels.size(), 20u);
    EXPECT_EQ(page.labels.front().text, "1,20 V");
    EXPECT_EQ(page.labels.back().text, "1,39 V");
    for (std::size_t c = 0; c < 20; ++c) {
        EXPECT_EQ(page.boxes[c].rect, (ReportRect{140 + static_cast<int>(c) * 29, 300, 30, 20}));
        EXPECT_EQ(page.labels[c].rect, (ReportRect{142 + static_cast<int>(c) * 29, 303, 26, 14}));
    }
    // Positions count from the margins' corner; the B20 box ends within the printer's reach.
    EXPECT_GT(page.boxes.back().rect.right(), report_page::kPortraitWidth);
    EXPECT_LE(page.boxes.back().rect.right(), report_page::kPortraitReachX);
}

TEST(LayoutReport, MissingStepDrawsTheBoxOnlyAndInsetsClamp)
{
    LayoutItem missing;
    missing.text = "#N07";
    missing.frame = 1;
    missing.width = 50;
    missing.height = 10;
    LayoutItem plain;
    plain.text = "Text";
    plain.width = 4;
    plain.height = 4;
    plain.insetX = 5;
    plain.insetY = 5;
    plain.frame = 0x20;
    const ReportPage page = buildLayoutReport({PageOrientation::Portrait, {missing, plain}}, sampleTest(), {});
    ASSERT_EQ(page.boxes.size(), 1u);
    EXPECT_EQ(page.boxes[0].penWidth, 0);
    ASSERT_EQ(page.labels.size(), 1u);
    EXPECT_EQ(page.labels[0].rect.width, 0);
    EXPECT_EQ(page.labels[0].rect.height, 0);
    EXPECT_EQ(page.labels[0].alignment, TextAlignment::Right);
}

// A ".ses" may hold any 32-bit font size; the page gets 1 ... 1000 points, the magnitude of a
// negative size, whatever the file says (the most negative one has no 32-bit magnitude).
TEST(LayoutReport, FontSizesFromTheFileAreClampedBeforeUse)
{
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    const std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    struct Case {
        std::int32_t stored;
        int points;
    };
    for (const Case& c :
         {Case{10, 10}, Case{-12, 12}, Case{0, 1}, Case{1, 1}, Case{1000, 1000}, Case{1001, 1000}, Case{-1000, 1000},
          Case{-1001, 1000}, Case{highest, 1000}, Case{lowest, 1000}, Case{lowest + 1, 1000}}) {
        LayoutItem item;
        item.text = "Text";
        item.width = 100;
        item.height = 20;
        item.fontSize = c.stored;
        const ReportPage page = buildLayoutReport({PageOrientation::Portrait, {item}}, sampleTest(), {});
        ASSERT_EQ(page.labels.size(), 1u);
        EXPECT_EQ(page.labels[0].font.size, c.points) << c.stored;
        EXPECT_EQ(fontPoints(c.stored), c.points) << c.stored;
    }
}

} // namespace
} // namespace kapsorel
