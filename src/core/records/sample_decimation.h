// Min/max decimation of the data table for the graph: whatever the test's length, a
// redraw reads a number of points proportional to the chart's width.
//
// A redraw splits the visible time span into one column per pixel and draws, for each
// column and series, the first and last sample in it and its minimum and maximum, each at
// its own time and in time order. Columns go by time, not by sample count, so record
// periods that change within a test (5 s in one step, 255 s in the next) keep their
// shapes, and the columns at the view's edges hold only the samples inside the view.
//
// To find a column's minimum and maximum without reading every sample, the samples are
// also grouped by their index in the table into buckets of 2^k samples (level k), each
// with the minimum and maximum of every series and the rows they are in. Levels from
// kFirstStoredLevel up are kept (finer ones are read from the table, at most
// 2^kFirstStoredLevel rows per bucket); a column is read as a few whole buckets and the
// rows at its ends.
//
// A NaN value (not measured) is left out of the minimum and the maximum, and draws as a
// gap: a NaN point in the column where it lies, at every zoom. The table keeps arrival
// order; when a sample's time is earlier than the one before (the clock was set back),
// the table holds more than one run of growing times, and a view reads every run, so no
// sample in view is lost and the points stay in time order.
//
// The table only grows (or is cleared); update() takes the rows added since the last
// call, touching one bucket per level for each new row. Used from one thread at a time.
#pragma once

#include "core/records/battery_test_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace kapsorel {

class SampleRows;

// The graph's 22 series: cells 1..20, the current and the battery voltage.
namespace graph_series {
constexpr int kFirstCell = 0; // Bat1 .. Bat20 = 0 .. 19
constexpr int kCurrent = 20;  // "Proud"
constexpr int kVoltage = 21;  // "Napětí"
constexpr int kCount = 22;
} // namespace graph_series

// Value of series `series` in a sample.
float seriesValue(const SampleRecord& s, int series);

struct BucketSummary {
    std::int64_t xFirst = 0;
    std::int64_t xLast = 0;
    float first = 0.0f;
    float last = 0.0f;
    float min = std::numeric_limits<float>::infinity();
    float max = -std::numeric_limits<float>::infinity();
    // Rows of the minimum and the maximum (the earliest of equal values).
    std::size_t minRow = 0;
    std::size_t maxRow = 0;
    bool empty() const { return min > max; } // only NaNs
};

struct GraphPoint {
    double x = 0.0;
    double y = 0.0;
};

// What one redraw draws: per series the points in time order.
struct DecimatedView {
    std::size_t samples = 0; // samples whose time lies in the view
    std::size_t columns = 0; // columns read; 0 when the samples themselves are drawn
    std::vector<std::vector<GraphPoint>> series;
};

class SampleDecimation {
  public:
    static constexpr int kFirstStoredLevel = 8;

    void clear();
    // Room for `samples` rows, so a table read in pieces does not regrow the levels.
    void reserve(std::size_t samples);
    // Takes the rows `rows` gained since the last call; rows that are fewer than before
    // (the table was cleared and refilled) rebuild everything.
    void update(const SampleRows& rows);

    std::size_t sampleCount() const { return count_; }
    // Bytes held for the buckets and the missing-value runs, reserved room included.
    std::size_t heldBytes() const;
    // Number of buckets of level `level` (the samples at level 0).
    std::size_t bucketCount(int level) const;
    // Coarsest useful level: one bucket holds every sample.
    int topLevel() const;
    // Runs of growing times in the table: 1 unless the clock was set back.
    std::size_t timeRuns() const { return runStarts_.size(); }
    // Earliest and latest time of any sample (0 without samples): the first and the last
    // sample's unless the clock was set back.
    std::int64_t earliestTime() const { return earliest_; }
    std::int64_t latestTime() const { return latest_; }

    // Bucket `index` of level `level` for `series`. `rows` is the table the
    // decimation was updated from.
    BucketSummary bucket(const SampleRows& rows, int level, int series, std::size_t index) const;

    // Points to draw the samples whose time lies in [xMin, xMax] on a chart `pixels`
    // columns wide, and the nearest sample on either side, so the lines leave the chart's
    // edges: the samples themselves when they are no more than the columns, otherwise
    // per column its first, minimum, maximum and last value in time order, and a NaN
    // point where a value is missing.
    DecimatedView view(const SampleRows& rows, double xMin, double xMax, std::size_t pixels) const;

    // Smallest and largest value of `series` over the whole test (min > max when it has
    // no value).
    BucketSummary whole(const SampleRows& rows, int series) const;

  private:
    // Lanes of the per-series arrays: a row's stored values (the 22 series, then the
    // capacity and the temperature), a whole number of vector registers, so a row is taken
    // without a scalar tail. The last two lanes are summarised with the rest and never read.
    static constexpr std::size_t kLanes = 24;
    using Values = std::array<float, kLanes>;

    // Minimum and maximum of every series over a bucket or a column, and their rows (the
    // earliest of equal values); series by series in arrays, so a row is taken in a few
    // vector instructions.
    struct AllSeries {
        AllSeries();
        // Rows [begin, end) of the table.
        void takeRows(const SampleRows& rows, std::size_t begin, std::size_t end);
        // A bucket or column of later rows.
        void takeLater(const AllSeries& later);
        bool has(std::size_t series) const { return min[series] <= max[series]; }

        std::array<float, kLanes> min;
        std::array<float, kLanes> max;
        std::array<std::uint32_t, kLanes> minRow;
        std::array<std::uint32_t, kLanes> maxRow;
    };
    struct Span {
        std::size_t begin;
        std::size_t end;
    };
    struct Column;

    // Minimum and maximum of every series over rows [begin, end).
    void summarise(const SampleRows& rows, std::size_t begin, std::size_t end, AllSeries& out) const;
    // First row of [begin, end) whose value of `series` is NaN, or `end`.
    std::size_t firstMissing(int series, std::size_t begin, std::size_t end) const;
    int storedTop() const { return kFirstStoredLevel + static_cast<int>(levelCount_) - 1; }

    // levels_[j] holds level kFirstStoredLevel + j, one AllSeries per bucket. Rows are
    // kept as 32 bits: a table of 4G samples would be a file of 400 GB. The times are
    // read from the table's rows, not kept twice.
    std::vector<std::vector<AllSeries>> levels_;
    std::size_t levelCount_ = 0; // levels in use (more may be kept, emptied, for their room)
    // First row of each run of growing times.
    std::vector<std::size_t> runStarts_;
    // Per series the runs of rows whose value is NaN, in row order.
    std::array<std::vector<Span>, graph_series::kCount> missing_;
    std::size_t count_ = 0;
    std::int64_t earliest_ = 0;
    std::int64_t latest_ = 0;
};

} // namespace kapsorel
