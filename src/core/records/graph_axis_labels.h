// Texts and colours of the graph's axis labels. The axes write their numbers with the
// program's number text (formatNumber); these rules take the label text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kapsorel {

// Number of an axis label: the non-breaking spaces that group thousands (0xA0 as one
// byte or as UTF-8) and plain spaces are dropped, a decimal comma is read as a point.
std::optional<double> axisLabelNumber(std::string_view text);

// Bottom axis: the label's seconds, rounded to whole seconds, as duration text
// ("3 600" -> "01:00:00", over 99 hours three hour digits). A text that is no number
// stays as it is.
std::string bottomAxisLabel(std::string_view text);

// Spacing of the bottom axis' ticks: a round duration, so the labels read 00:10:00,
// 00:20:00 ... rather than whatever round number of seconds fits.
struct DurationTicks {
    double step = 1.0; // seconds between ticks
    int subTicks = 0;  // sub-ticks between two ticks
};

// The shortest of 1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min; 1, 2, 3, 6, 12 h; 1, 2,
// 5, 10, 20, 50, 100 ... days that splits `spanSeconds` into at most `maxTicks` steps,
// with sub-ticks at a round part of it (15 min under 1 h, 6 h under 1 day ...).
DurationTicks durationTicks(double spanSeconds, int maxTicks);

// Cell voltage thresholds, in volts as the settings hold them (hundredths of a volt).
struct CellThresholds {
    float ko = -0.60f;   // DNB_KO
    float okMin = 1.00f; // DNB_OK_MIN
    float okMax = 1.56f; // DNB_OK_MAX
};

// Left axis: the colour of a label as red, green and blue (0xRRGGBB): red below DNB_KO,
// FF8C8C below DNB_OK_MIN, black below DNB_OK_MAX, green (008000) from it on. The
// thresholds compare as the hundredths they are stored in, so a label of exactly
// DNB_OK_MAX is green. A text that is no number gives black.
std::uint32_t leftAxisLabelRgb(std::string_view text, const CellThresholds& thresholds);

} // namespace kapsorel
