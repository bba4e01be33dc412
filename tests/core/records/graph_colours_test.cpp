#include "core/records/graph_colours.h"
#include "core/records/sample_decimation.h"

#include <gtest/gtest.h>

using namespace kapsorel;

TEST(GraphColours, DifferencesOfKnownColours)
{
    const struct {
        std::uint32_t a;
        std::uint32_t b;
        double difference;
    } cases[] = {
        {0xFFFFFF, 0xFFFFFF, 0.0},  {0xFFFFFF, 0x000000, 100.0}, {0xFF0000, 0x000000, 117.34},
        {0xFFFBF0, 0xFFFFFF, 5.92}, {0x808080, 0x404040, 26.49}, {0x0000FF, 0xFFFF00, 235.16},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(colourDifference(c.a, c.b), c.difference, 0.01) << std::hex << c.a << " " << c.b;
        EXPECT_NEAR(colourDifference(c.b, c.a), c.difference, 0.01) << std::hex << c.b << " " << c.a;
    }
}

TEST(GraphColours, EveryDefaultSeriesColourStandsOutOnThePlotArea)
{
    for (int n = 0; n < graph_series::kCount; ++n)
        EXPECT_GE(colourDifference(defaultSeriesRgb(n), kPlotAreaRgb), kVisibleDifference)
            << "series " << n << " " << std::hex << defaultSeriesRgb(n);
    // The grid is seen, and is quieter than any series.
    EXPECT_GE(colourDifference(kPlotGridRgb, kPlotAreaRgb), 5.0);
    for (int n = 0; n < graph_series::kCount; ++n)
        EXPECT_LT(colourDifference(kPlotGridRgb, kPlotAreaRgb), colourDifference(defaultSeriesRgb(n), kPlotAreaRgb));
    // On a white area "Bat5" (white) and "Bat18" (cream) would vanish.
    EXPECT_LT(colourDifference(defaultSeriesRgb(4), 0xFFFFFF), kVisibleDifference);
    EXPECT_LT(colourDifference(defaultSeriesRgb(17), 0xFFFFFF), kVisibleDifference);
}
