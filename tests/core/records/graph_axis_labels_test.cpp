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
