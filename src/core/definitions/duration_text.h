// Durations in seconds as "hh:mm:ss" and "hh:mm" (graph, live display, report).
#pragma once

#include <cstdint>
#include <string>

namespace kapsorel {

// 307 -> "00:05:07", 123 h -> "123:00:00"; negative durations get a leading "-".
std::string formatDurationHms(std::int32_t seconds);
// Hours, then the minutes rounded (halves to even): 3725 -> "01:02", 89 -> "00:01".
// A rounding up to 60 minutes carries into the hours (3570 -> "01:00").
std::string formatDurationHm(std::int32_t seconds);

} // namespace kapsorel
