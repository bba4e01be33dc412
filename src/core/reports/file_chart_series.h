// The series of a whole test for its printed chart, read from the data table the way the
// graph draws them (a few points per column), for a test that is not in the graph window.
#pragma once

#include "core/records/sample_table.h"
#include "core/reports/chart_report.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kapsorel {

// How a graph series is drawn: its colour (0xRRGGBB) and whether it is shown.
struct SeriesLook {
    std::uint32_t colour = 0;
    bool visible = true;
};

// One series per graph series (graph_series order, `looks` giving each one's look; a
// series without a look is hidden), over the whole test `columns` columns wide; the
// current is drawn against the right axis. No samples give series without points.
std::vector<GraphSeries> wholeTestSeries(const SampleTable& samples, std::span<const SeriesLook> looks,
                                         std::size_t columns);

} // namespace kapsorel
