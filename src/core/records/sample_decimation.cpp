#include "core/records/sample_decimation.h"

#include "core/records/sample_table.h"

#include <algorithm>
#include <cmath>

namespace kapsorel {

namespace {

constexpr std::size_t kSeries = graph_series::kCount;

// std::min/std::max keep their first argument when the second is NaN.
inline void take(float& mn, float& mx, float v)
{
    mn = std::min(mn, v);
    mx = std::max(mx, v);
}

std::size_t bucketsOf(std::size_t samples, int level)
{
    const std::size_t size = std::size_t{1} << level;
    return (samples + size - 1) / size;
}

} // namespace

float seriesValue(const SampleRecord& s, int series)
{
    if (series == graph_series::kCurrent)
        return s.current;
    if (series == graph_series::kVoltage)
        return s.voltage;
    return s.cells[static_cast<std::size_t>(series - graph_series::kFirstCell)];
}

void SampleDecimation::clear()
{
    levels_.clear();
    count_ = 0;
}

void SampleDecimation::update(const std::vector<SampleRow>& rows)
{
    if (rows.size() < count_)
        clear();
    const std::size_t oldCount = count_;
    const std::size_t n = rows.size();
    if (n == oldCount)
        return;

    for (int level = kFirstStoredLevel;; ++level) {
        const auto j = static_cast<std::size_t>(level - kFirstStoredLevel);
        if (levels_.size() <= j)
            levels_.emplace_back();
        std::vector<MinMax>& cur = levels_[j];
        const std::size_t buckets = bucketsOf(n, level);
        cur.resize(buckets * kSeries);
        if (j == 0) {
            // New rows only: a partly filled bucket already holds its older rows.
            for (std::size_t i = oldCount; i < n; ++i) {
                const SampleRecord& s = rows[i].sample;
                MinMax* b = &cur[(i >> level) * kSeries];
                for (std::size_t k = 0; k < kCellCount; ++k)
                    take(b[k].min, b[k].max, s.cells[k]);
                take(b[graph_series::kCurrent].min, b[graph_series::kCurrent].max, s.current);
                take(b[graph_series::kVoltage].min, b[graph_series::kVoltage].max, s.voltage);
            }
        } else {
            const std::vector<MinMax>& finer = levels_[j - 1];
            const std::size_t finerBuckets = finer.size() / kSeries;
            for (std::size_t b = oldCount >> level; b < buckets; ++b) {
                MinMax* out = &cur[b * kSeries];
                const MinMax* left = &finer[2 * b * kSeries];
                for (std::size_t k = 0; k < kSeries; ++k)
                    out[k] = left[k];
                if (2 * b + 1 < finerBuckets) {
                    const MinMax* right = &finer[(2 * b + 1) * kSeries];
                    for (std::size_t k = 0; k < kSeries; ++k) {
                        out[k].min = std::min(out[k].min, right[k].min);
                        out[k].max = std::max(out[k].max, right[k].max);
                    }
                }
            }
        }
        if (buckets <= 1)
            break;
    }
    count_ = n;
}

std::size_t SampleDecimation::bucketCount(int level) const
{
    return bucketsOf(count_, level);
}

int SampleDecimation::topLevel() const
{
    int level = 0;
    while ((std::size_t{1} << level) < count_)
        ++level;
    return level;
}

BucketSummary SampleDecimation::bucket(const std::vector<SampleRow>& rows, int level, int series,
                                       std::size_t index) const
{
    BucketSummary out;
    const std::size_t begin = index << level;
    if (begin >= count_)
        return out;
    const std::size_t end = std::min(count_, (index + 1) << level);
    out.xFirst = rows[begin].x;
    out.xLast = rows[end - 1].x;
    out.first = seriesValue(rows[begin].sample, series);
    out.last = seriesValue(rows[end - 1].sample, series);
    const auto s = static_cast<std::size_t>(series);
    if (level < kFirstStoredLevel) {
        for (std::size_t i = begin; i < end; ++i)
            take(out.min, out.max, seriesValue(rows[i].sample, series));
    } else {
        // Levels above the top are one bucket, the top's.
        const auto j = std::min(static_cast<std::size_t>(level - kFirstStoredLevel), levels_.size() - 1);
        const MinMax& m = levels_[j][index * kSeries + s];
        out.min = m.min;
        out.max = m.max;
    }
    return out;
}

int SampleDecimation::levelFor(std::size_t samples, std::size_t pixels)
{
    pixels = std::max<std::size_t>(pixels, 1);
    int level = 0;
    while (bucketsOf(samples, level) > pixels)
        ++level;
    return level;
}

DecimatedView SampleDecimation::view(const std::vector<SampleRow>& rows, double xMin, double xMax,
                                     std::size_t pixels) const
{
    DecimatedView v;
    v.series.resize(kSeries);
    if (count_ == 0 || xMax < xMin)
        return v;
    const auto begin = rows.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(count_);
    const auto lo =
        std::lower_bound(begin, end, xMin, [](const SampleRow& r, double x) { return static_cast<double>(r.x) < x; });
    const auto hi =
        std::upper_bound(begin, end, xMax, [](double x, const SampleRow& r) { return x < static_cast<double>(r.x); });
    // One sample beyond each edge, so the lines run out of the chart.
    std::size_t first = static_cast<std::size_t>(lo - begin);
    std::size_t last = static_cast<std::size_t>(hi - begin);
    if (first > 0)
        --first;
    if (last >= count_)
        last = count_ - 1;
    if (last < first)
        return v;
    const std::size_t span = last - first + 1;
    v.level = levelFor(span, pixels);
    const std::size_t b0 = first >> v.level;
    const std::size_t b1 = last >> v.level;
    v.buckets = b1 - b0 + 1;
    const double nan = std::numeric_limits<double>::quiet_NaN();

    for (std::size_t s = 0; s < kSeries; ++s) {
        std::vector<GraphPoint>& pts = v.series[s];
        const int series = static_cast<int>(s);
        if (v.level == 0) {
            pts.reserve(span);
            for (std::size_t i = first; i <= last; ++i)
                pts.push_back({static_cast<double>(rows[i].x), seriesValue(rows[i].sample, series)});
            continue;
        }
        pts.reserve(4 * v.buckets);
        for (std::size_t b = b0; b <= b1; ++b) {
            const BucketSummary bs = bucket(rows, v.level, series, b);
            const auto x0 = static_cast<double>(bs.xFirst);
            const auto x1 = static_cast<double>(bs.xLast);
            if (bs.empty()) {
                pts.push_back({x0, nan});
                continue;
            }
            pts.push_back({x0, bs.first});
            pts.push_back({x0, bs.min});
            pts.push_back({x1, bs.max});
            pts.push_back({x1, bs.last});
        }
    }
    return v;
}

BucketSummary SampleDecimation::whole(const std::vector<SampleRow>& rows, int series) const
{
    if (count_ == 0)
        return {};
    return bucket(rows, std::max(topLevel(), kFirstStoredLevel), series, 0);
}

} // namespace kapsorel
