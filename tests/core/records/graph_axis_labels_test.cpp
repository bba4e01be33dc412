#include "core/records/graph_axis_labels.h"

#include <gtest/gtest.h>

using namespace kapsorel;

TEST(GraphAxisLabels, BottomLabelsBecomeDurations)
{
    const struct {
        const char* label;
        const char* shown;
    } cases[] = {
        {"3\xC2\xA0"
         "600",
         "01:00:00"}, // UTF-8 no-break space
        {"3\xA0"
         "600",
         "01:00:00"}, // as one byte
        {"125", "00:02:05"},
        {"124,6", "00:02:05"}, // rounded to whole seconds
        {"360\xC2\xA0"
         "000",
         "100:00:00"}, // past 99 hours: three hour digits
        {"0", "00:00:00"},
        {"abc", "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bottomAxisLabel(c.label), c.shown) << c.label;
}

TEST(GraphAxisLabels, LeftLabelColoursFollowTheCellThresholds)
{
    const CellThresholds t{-0.60f, 1.00f, 1.56f};
    const struct {
        const char* label;
        std::uint32_t rgb;
    } cases[] = {
        {"-0,62", 0xFF0000}, {"-0,60", 0xFF8C8C}, {"0,98", 0xFF8C8C}, {"1,00", 0x000000},
        {"1,54", 0x000000},  {"1,56", 0x008000},  {"2", 0x008000},    {"28,5", 0x008000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leftAxisLabelRgb(c.label, t), c.rgb) << c.label;
}

TEST(GraphAxisLabels, BottomTicksStepByRoundDurations)
{
    const struct {
        double span;
        int maxTicks;
        double step;
        int subTicks;
    } cases[] = {
        {0, 5, 1, 0}, // nothing to split: the shortest step
        {4, 5, 1, 0},
        {20, 5, 5, 4},
        {100, 5, 30, 2},
        {200, 5, 60, 3}, // not 50 s
        {3'000, 6, 600, 1},
        {3'600, 6, 600, 1},
        {3'601, 6, 900, 2},
        {13'000, 8, 1'800, 2},
        {50'000, 8, 7'200, 3}, // not 10 000 s ("02:46:40")
        {50'000, 14, 3'600, 3},
        {100'000, 8, 21'600, 5},
        {129'600, 6, 21'600, 5},
        {300'000, 6, 86'400, 3},       // 3.5 days: 1 day
        {1'000'000, 10, 172'800, 1},   // 11.6 days: 2 days
        {1'000'000, 2, 864'000, 1},    // 10 days
        {30'000'000, 8, 4'320'000, 4}, // almost a year: 50 days
        {100, 0, 120, 1},              // at least one step
    };
    for (const auto& c : cases) {
        const DurationTicks t = durationTicks(c.span, c.maxTicks);
        EXPECT_EQ(t.step, c.step) << c.span << " s in " << c.maxTicks;
        EXPECT_EQ(t.subTicks, c.subTicks) << c.span << " s in " << c.maxTicks;
    }
}
