#include "core/reports/file_chart_series.h"

#include "core/records/sample_decimation.h"

namespace kapsorel {

std::vector<GraphSeries> wholeTestSeries(const SampleTable& samples, std::span<const SeriesLook> looks,
                                         std::size_t columns)
{
    std::vector<GraphSeries> series(graph_series::kCount);
    for (std::size_t s = 0; s < series.size(); ++s) {
        series[s].rightAxis = static_cast<int>(s) == graph_series::kCurrent;
        series[s].visible = s < looks.size() && looks[s].visible;
        if (s < looks.size())
            series[s].colour = looks[s].colour;
    }
    if (samples.size() == 0)
        return series;
    const double first = static_cast<double>(samples.rows().x(0));
    const double last = static_cast<double>(samples.rows().x(samples.size() - 1));
    const DecimatedView view = samples.view(first, last, columns);
    for (std::size_t s = 0; s < series.size() && s < view.series.size(); ++s) {
        series[s].points.reserve(view.series[s].size());
        for (const GraphPoint& p : view.series[s])
            series[s].points.emplace_back(p.x, p.y);
    }
    return series;
}

} // namespace kapsorel
