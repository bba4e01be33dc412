// Colours of the graph: the series' default colours and the plot area they are drawn on,
// as 0xRRGGBB, and how far apart two colours look.
#pragma once

#include <cstdint>

namespace kapsorel {

// Default colour of series n (0-19 the cells, 20 "Proud", 21 "Napětí"): fuchsia, green,
// yellow, olive, white, gray, fuchsia, teal, navy, maroon, lime, olive, purple, aqua,
// black, money green, sky blue, cream, medium gray, 8453888 (00FF80); red; blue.
std::uint32_t defaultSeriesRgb(int series);

// The plot area is dark grey: every default colour, white and cream as well as black and
// navy, stands out on it as a thin line.
constexpr std::uint32_t kPlotAreaRgb = 0x404040;
// Grid lines on the plot area: visible, but quieter than any series.
constexpr std::uint32_t kPlotGridRgb = 0x5A5A5A;

// How different two colours look: the CIE76 difference (Delta E) of their CIELAB values
// (sRGB, D65 white). 0 for the same colour, about 2 for a just noticeable difference,
// 100 between black and white.
double colourDifference(std::uint32_t rgbA, std::uint32_t rgbB);

// The least difference from the plot area at which a one-pixel line is still easy to see.
constexpr double kVisibleDifference = 20.0;

} // namespace kapsorel
