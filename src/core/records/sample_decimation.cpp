#include "core/records/sample_decimation.h"

#include "core/records/sample_table.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kapsorel {

namespace {

constexpr std::size_t kSeries = graph_series::kCount;

std::size_t bucketsOf(std::size_t samples, int level)
{
    const std::size_t size = std::size_t{1} << level;
    return (samples + size - 1) / size;
}

// A NaN compares false both ways, so it never becomes the minimum or the maximum; of
// equal values the earlier row stays. Written without branches: along a falling or
// wavy line they would be mispredicted.
inline void takeValue(BucketSummary& e, float v, std::size_t row)
{
    const bool lower = v < e.min;
    const bool higher = v > e.max;
    e.min = lower ? v : e.min;
    e.minRow = lower ? row : e.minRow;
    e.max = higher ? v : e.max;
    e.maxRow = higher ? row : e.maxRow;
}

// The stored values of a row are the series in lane order; the last two lanes carry the
// capacity and the temperature, which are summarised with the rest and never read.
static_assert(std::tuple_size_v<SampleRows::Values> == 24);
static_assert(graph_series::kFirstCell == 0 && graph_series::kCurrent == kCellCount &&
              graph_series::kVoltage == kCellCount + 1);

// Row `a` comes before row `b` in time (then in arrival).
inline bool earlier(const SampleRows& rows, std::size_t a, std::size_t b)
{
    return rows.x(a) != rows.x(b) ? rows.x(a) < rows.x(b) : a < b;
}

// First row of [begin, end) for which `before(x)` is false (`before` true for a prefix).
template <typename Before>
std::size_t firstRowWhere(const SampleRows& rows, std::size_t begin, std::size_t end, Before before)
{
    while (begin < end) {
        const std::size_t mid = begin + (end - begin) / 2;
        if (before(rows.x(mid)))
            begin = mid + 1;
        else
            end = mid;
    }
    return begin;
}

} // namespace

SampleDecimation::AllSeries::AllSeries()
{
    min.fill(std::numeric_limits<float>::infinity());
    max.fill(-std::numeric_limits<float>::infinity());
    minRow.fill(0);
    maxRow.fill(0);
}

#if defined(__SSE2__)

namespace {

// Four lanes of the min/max of a bucket or column in registers. The minimum and maximum
// instructions keep the old value when the new one is NaN, and the compares are false
// for a NaN, as the scalar rules below.
struct FourLanes {
    __m128 lo;
    __m128 hi;
    __m128i loRow;
    __m128i hiRow;

    static FourLanes load(const float* lo, const float* hi, const std::uint32_t* loRow, const std::uint32_t* hiRow)
    {
        return {_mm_loadu_ps(lo), _mm_loadu_ps(hi), _mm_loadu_si128(reinterpret_cast<const __m128i*>(loRow)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(hiRow))};
    }
    void store(float* lo4, float* hi4, std::uint32_t* loRow4, std::uint32_t* hiRow4) const
    {
        _mm_storeu_ps(lo4, lo);
        _mm_storeu_ps(hi4, hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(loRow4), loRow);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(hiRow4), hiRow);
    }
    // Values `vmin`/`vmax` at rows `rmin`/`rmax`, later than everything taken so far.
    void take(__m128 vmin, __m128 vmax, __m128i rmin, __m128i rmax)
    {
        const __m128i lower = _mm_castps_si128(_mm_cmplt_ps(vmin, lo));
        const __m128i higher = _mm_castps_si128(_mm_cmpgt_ps(vmax, hi));
        lo = _mm_min_ps(vmin, lo);
        hi = _mm_max_ps(vmax, hi);
        loRow = _mm_or_si128(_mm_and_si128(lower, rmin), _mm_andnot_si128(lower, loRow));
        hiRow = _mm_or_si128(_mm_and_si128(higher, rmax), _mm_andnot_si128(higher, hiRow));
    }
};

} // namespace

void SampleDecimation::AllSeries::takeRows(const SampleRows& rows, std::size_t begin, std::size_t end)
{
    constexpr std::size_t kVectors = kLanes / 4;
    std::array<FourLanes, kVectors> lanes;
    for (std::size_t k = 0; k < kVectors; ++k)
        lanes[k] = FourLanes::load(&min[4 * k], &max[4 * k], &minRow[4 * k], &maxRow[4 * k]);
    for (std::size_t i = begin; i < end; ++i) {
        const Values& values = rows.values(i);
        const __m128i row = _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(i)));
        for (std::size_t k = 0; k < kVectors; ++k) {
            const __m128 v = _mm_loadu_ps(&values[4 * k]);
            lanes[k].take(v, v, row, row);
        }
    }
    for (std::size_t k = 0; k < kVectors; ++k)
        lanes[k].store(&min[4 * k], &max[4 * k], &minRow[4 * k], &maxRow[4 * k]);
}

void SampleDecimation::AllSeries::takeLater(const AllSeries& later)
{
    for (std::size_t k = 0; k < kLanes / 4; ++k) {
        FourLanes l = FourLanes::load(&min[4 * k], &max[4 * k], &minRow[4 * k], &maxRow[4 * k]);
        const FourLanes o =
            FourLanes::load(&later.min[4 * k], &later.max[4 * k], &later.minRow[4 * k], &later.maxRow[4 * k]);
        l.take(o.lo, o.hi, o.loRow, o.hiRow);
        l.store(&min[4 * k], &max[4 * k], &minRow[4 * k], &maxRow[4 * k]);
    }
}

#else

void SampleDecimation::AllSeries::takeRows(const SampleRows& rows, std::size_t begin, std::size_t end)
{
    for (std::size_t i = begin; i < end; ++i) {
        const Values& values = rows.values(i);
        const auto row = static_cast<std::uint32_t>(i);
        for (std::size_t s = 0; s < kLanes; ++s) {
            const float v = values[s];
            const bool lower = v < min[s];
            const bool higher = v > max[s];
            min[s] = lower ? v : min[s];
            minRow[s] = lower ? row : minRow[s];
            max[s] = higher ? v : max[s];
            maxRow[s] = higher ? row : maxRow[s];
        }
    }
}

void SampleDecimation::AllSeries::takeLater(const AllSeries& later)
{
    for (std::size_t s = 0; s < kLanes; ++s) {
        const bool lower = later.min[s] < min[s];
        const bool higher = later.max[s] > max[s];
        min[s] = lower ? later.min[s] : min[s];
        minRow[s] = lower ? later.minRow[s] : minRow[s];
        max[s] = higher ? later.max[s] : max[s];
        maxRow[s] = higher ? later.maxRow[s] : maxRow[s];
    }
}

#endif

float seriesValue(const SampleRecord& s, int series)
{
    if (series == graph_series::kCurrent)
        return s.current;
    if (series == graph_series::kVoltage)
        return s.voltage;
    return s.cells[static_cast<std::size_t>(series - graph_series::kFirstCell)];
}

void SampleDecimation::reserve(std::size_t samples)
{
    for (int level = kFirstStoredLevel;; ++level) {
        const auto j = static_cast<std::size_t>(level - kFirstStoredLevel);
        if (levels_.size() <= j)
            levels_.emplace_back();
        const std::size_t buckets = bucketsOf(samples, level);
        levels_[j].reserve(buckets);
        if (buckets <= 1)
            break;
    }
}

void SampleDecimation::clear()
{
    for (auto& level : levels_)
        level.clear();
    levelCount_ = 0;
    runStarts_.clear();
    for (auto& m : missing_)
        m.clear();
    count_ = 0;
    earliest_ = 0;
    latest_ = 0;
}

void SampleDecimation::update(const SampleRows& rows)
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
        std::vector<AllSeries>& cur = levels_[j];
        const std::size_t buckets = bucketsOf(n, level);
        cur.resize(buckets);
        if (j == 0) {
            // New rows only: a partly filled bucket already holds its older rows.
            for (std::size_t i = oldCount; i < n;) {
                const std::size_t next = std::min(n, ((i >> level) + 1) << level);
                cur[i >> level].takeRows(rows, i, next);
                i = next;
            }
            for (std::size_t i = oldCount; i < n; ++i) {
                if (i == 0 || rows.x(i) < rows.x(i - 1))
                    runStarts_.push_back(i);
                earliest_ = i == 0 ? rows.x(i) : std::min(earliest_, rows.x(i));
                latest_ = i == 0 ? rows.x(i) : std::max(latest_, rows.x(i));
                const Values& v = rows.values(i);
                bool missing = false;
                for (std::size_t s = 0; s < kSeries; ++s)
                    missing |= std::isnan(v[s]);
                if (!missing)
                    continue;
                for (std::size_t s = 0; s < kSeries; ++s) {
                    if (!std::isnan(v[s]))
                        continue;
                    std::vector<Span>& m = missing_[s];
                    if (!m.empty() && m.back().end == i)
                        m.back().end = i + 1;
                    else
                        m.push_back({i, i + 1});
                }
            }
        } else {
            const std::vector<AllSeries>& finer = levels_[j - 1];
            for (std::size_t b = oldCount >> level; b < buckets; ++b) {
                AllSeries& out = cur[b];
                out = finer[2 * b];
                if (2 * b + 1 < finer.size())
                    out.takeLater(finer[2 * b + 1]);
            }
        }
        if (buckets <= 1) {
            levelCount_ = j + 1;
            break;
        }
    }
    count_ = n;
}

std::size_t SampleDecimation::heldBytes() const
{
    std::size_t bytes = runStarts_.capacity() * sizeof(std::size_t);
    for (const auto& level : levels_)
        bytes += level.capacity() * sizeof(AllSeries);
    for (const auto& m : missing_)
        bytes += m.capacity() * sizeof(Span);
    return bytes;
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

BucketSummary SampleDecimation::bucket(const SampleRows& rows, int level, int series, std::size_t index) const
{
    BucketSummary out;
    const std::size_t begin = index << level;
    if (begin >= count_)
        return out;
    const std::size_t end = std::min(count_, (index + 1) << level);
    out.xFirst = rows.x(begin);
    out.xLast = rows.x(end - 1);
    const auto s = static_cast<std::size_t>(series);
    out.first = rows.values(begin)[s];
    out.last = rows.values(end - 1)[s];
    if (level < kFirstStoredLevel) {
        for (std::size_t i = begin; i < end; ++i)
            takeValue(out, rows.values(i)[s], i);
    } else {
        // Levels above the top are one bucket, the top's.
        const auto j = std::min(static_cast<std::size_t>(level - kFirstStoredLevel), levelCount_ - 1);
        const AllSeries& b = levels_[j][index];
        out.min = b.min[s];
        out.max = b.max[s];
        out.minRow = b.minRow[s];
        out.maxRow = b.maxRow[s];
    }
    return out;
}

void SampleDecimation::summarise(const SampleRows& rows, std::size_t begin, std::size_t end, AllSeries& out) const
{
    // Whole stored buckets where the rows are aligned to them, single rows elsewhere: at
    // most 2^kFirstStoredLevel rows at either end and two buckets per level between.
    const int top = storedTop();
    std::size_t i = begin;
    while (i < end) {
        int level = i == 0 ? top : std::min(top, std::countr_zero(i));
        while (level >= kFirstStoredLevel && i + (std::size_t{1} << level) > end)
            --level;
        if (level >= kFirstStoredLevel) {
            const AllSeries& b = levels_[static_cast<std::size_t>(level - kFirstStoredLevel)][i >> level];
            out.takeLater(b);
            i += std::size_t{1} << level;
            continue;
        }
        // Single rows up to the next stored bucket's start (or the end).
        const std::size_t next = std::min(end, ((i >> kFirstStoredLevel) + 1) << kFirstStoredLevel);
        out.takeRows(rows, i, next);
        i = next;
    }
}

std::size_t SampleDecimation::firstMissing(int series, std::size_t begin, std::size_t end) const
{
    const std::vector<Span>& m = missing_[static_cast<std::size_t>(series)];
    if (m.empty())
        return end;
    const auto it =
        std::upper_bound(m.begin(), m.end(), begin, [](std::size_t row, const Span& s) { return row < s.end; });
    if (it == m.end() || it->begin >= end)
        return end;
    return std::max(it->begin, begin);
}

// What a column has seen of one or more runs of growing times.
struct SampleDecimation::Column {
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::size_t first = kNone; // rows of the earliest and the latest sample
    std::size_t last = kNone;
    AllSeries extremes;
    std::array<std::size_t, kSeries> missing{}; // earliest NaN row per series, or kNone
};

DecimatedView SampleDecimation::view(const SampleRows& rows, double xMin, double xMax, std::size_t pixels) const
{
    constexpr std::size_t kNone = Column::kNone;
    DecimatedView v;
    v.series.resize(kSeries);
    if (count_ == 0 || !(xMin <= xMax))
        return v;
    pixels = std::max<std::size_t>(pixels, 1);
    const auto xAt = [&rows](std::size_t i) { return static_cast<double>(rows.x(i)); };
    const auto earlier = [&rows](std::size_t a, std::size_t b) { return kapsorel::earlier(rows, a, b); };
    // First row of [begin, end) (growing times) whose time is not below `x`.
    const auto firstFrom = [&rows](std::size_t begin, std::size_t end, double x) {
        return firstRowWhere(rows, begin, end, [x](std::int64_t t) { return static_cast<double>(t) < x; });
    };

    // Per run of growing times, the rows in view; the nearest rows outside on either side.
    std::vector<Span> parts;
    std::size_t before = kNone;
    std::size_t after = kNone;
    for (std::size_t r = 0; r < runStarts_.size(); ++r) {
        const std::size_t runBegin = runStarts_[r];
        const std::size_t runEnd = r + 1 < runStarts_.size() ? runStarts_[r + 1] : count_;
        const std::size_t lo = firstFrom(runBegin, runEnd, xMin);
        const std::size_t hi =
            firstRowWhere(rows, lo, runEnd, [xMax](std::int64_t t) { return !(xMax < static_cast<double>(t)); });
        if (lo != runBegin && (before == kNone || earlier(before, lo - 1)))
            before = lo - 1;
        if (hi != runEnd && (after == kNone || earlier(hi, after)))
            after = hi;
        if (lo < hi) {
            parts.push_back({lo, hi});
            v.samples += hi - lo;
        }
    }

    const auto emitRow = [&](std::size_t i) {
        const Values& values = rows.values(i);
        for (std::size_t s = 0; s < kSeries; ++s)
            v.series[s].push_back({xAt(i), values[s]});
    };
    if (before != kNone)
        emitRow(before);

    if (v.samples <= pixels) {
        // The samples themselves, merged into time order when the clock went back.
        std::vector<std::size_t> order;
        order.reserve(v.samples);
        for (const Span& p : parts)
            for (std::size_t i = p.begin; i < p.end; ++i)
                order.push_back(i);
        if (parts.size() > 1)
            std::stable_sort(order.begin(), order.end(),
                             [&rows](std::size_t a, std::size_t b) { return rows.x(a) < rows.x(b); });
        for (std::size_t s = 0; s < kSeries; ++s)
            v.series[s].reserve(v.samples + 2);
        for (std::size_t i : order)
            emitRow(i);
    } else {
        const double width = (xMax - xMin) / static_cast<double>(pixels);
        const std::size_t columns = width > 0.0 ? pixels : 1;
        v.columns = columns;
        // Column c holds the times in [xMin + c * width, xMin + (c + 1) * width); the last
        // one runs to xMax.
        const auto boundary = [&](std::size_t c) { return xMin + static_cast<double>(c + 1) * width; };
        for (std::size_t s = 0; s < kSeries; ++s)
            v.series[s].reserve(4 * columns + 2);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        struct Pick {
            std::size_t row;
            float value;
        };
        std::array<Pick, 5> picked{};
        const auto emitColumn = [&](const Column& col) {
            const Values& firstValues = rows.values(col.first);
            const Values& lastValues = rows.values(col.last);
            for (std::size_t s = 0; s < kSeries; ++s) {
                std::size_t n = 0;
                const auto pick = [&](std::size_t row, float value) {
                    for (std::size_t k = 0; k < n; ++k)
                        if (picked[k].row == row)
                            return;
                    picked[n++] = {row, value};
                };
                // A missing first or last sample is the NaN point below.
                if (!std::isnan(firstValues[s]))
                    pick(col.first, firstValues[s]);
                const AllSeries& e = col.extremes;
                if (e.has(s)) {
                    pick(e.minRow[s], e.min[s]);
                    pick(e.maxRow[s], e.max[s]);
                }
                if (!std::isnan(lastValues[s]))
                    pick(col.last, lastValues[s]);
                if (col.missing[s] != kNone)
                    pick(col.missing[s], nan);
                // Time order (insertion sort of at most five rows).
                for (std::size_t k = 1; k < n; ++k)
                    for (std::size_t j = k; j > 0 && earlier(picked[j].row, picked[j - 1].row); --j)
                        std::swap(picked[j], picked[j - 1]);
                for (std::size_t k = 0; k < n; ++k)
                    v.series[s].push_back({xAt(picked[k].row), picked[k].value});
            }
        };

        // One run of growing times visits the columns in order, each once, and draws each
        // as soon as it is read; runs that overlap collect all columns first.
        const bool overlapping = parts.size() > 1;
        std::vector<Column> cols(overlapping ? columns : 1);
        for (Column& c : cols)
            c.missing.fill(kNone);
        for (const Span& p : parts) {
            std::size_t i = p.begin;
            while (i < p.end) {
                const double x = xAt(i);
                std::size_t c = 0;
                if (columns > 1) {
                    c = std::min(columns - 1, static_cast<std::size_t>(std::max(0.0, std::floor((x - xMin) / width))));
                    while (c + 1 < columns && x >= boundary(c))
                        ++c;
                    while (c > 0 && x < boundary(c - 1))
                        --c;
                }
                const std::size_t end = c + 1 < columns ? firstFrom(i, p.end, boundary(c)) : p.end;
                Column& col = cols[overlapping ? c : 0];
                if (col.first == kNone || earlier(i, col.first))
                    col.first = i;
                if (col.last == kNone || earlier(col.last, end - 1))
                    col.last = end - 1;
                summarise(rows, i, end, col.extremes);
                for (std::size_t s = 0; s < kSeries; ++s) {
                    const std::size_t m = firstMissing(static_cast<int>(s), i, end);
                    if (m != end && (col.missing[s] == kNone || earlier(m, col.missing[s])))
                        col.missing[s] = m;
                }
                if (!overlapping) {
                    emitColumn(col);
                    col = Column{};
                    col.missing.fill(kNone);
                }
                i = end;
            }
        }
        if (overlapping)
            for (const Column& col : cols)
                if (col.first != kNone)
                    emitColumn(col);
    }

    if (after != kNone)
        emitRow(after);
    return v;
}

BucketSummary SampleDecimation::whole(const SampleRows& rows, int series) const
{
    if (count_ == 0)
        return {};
    return bucket(rows, std::max(topLevel(), kFirstStoredLevel), series, 0);
}

} // namespace kapsorel
