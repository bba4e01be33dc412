// Min/max decimation of the data table for the graph: whatever the test's length, a
// redraw reads a number of points proportional to the chart's width.
//
// Samples are grouped by their index in the table into buckets of 2^k samples (level k).
// Each bucket of a series has a minimum, a maximum, a first and a last value; the first
// and last value (and the bucket's first and last time) are the table's own rows at the
// bucket's ends, so only the minima and maxima are kept, and only from level
// kFirstStoredLevel up (finer levels are summed from the table on demand, at most
// 2^kFirstStoredLevel rows per bucket). A NaN value is left out of the minimum and the
// maximum; a bucket of NaNs only is empty.
//
// The table only grows (or is cleared); update() takes the rows added since the last
// call, touching one bucket per level for each new row. Used from one thread at a time.
#pragma once

#include "core/records/battery_test_records.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace kapsorel {

struct SampleRow;

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
    bool empty() const { return min > max; } // only NaNs
};

struct GraphPoint {
    double x = 0.0;
    double y = 0.0;
};

// What one redraw draws: per series the points in time order.
struct DecimatedView {
    int level = 0;           // 0: the samples themselves
    std::size_t buckets = 0; // buckets (or samples) read per series
    std::vector<std::vector<GraphPoint>> series;
};

class SampleDecimation {
  public:
    static constexpr int kFirstStoredLevel = 4;

    void clear();
    // Takes the rows `rows` gained since the last call; rows that are fewer than before
    // (the table was cleared and refilled) rebuild everything.
    void update(const std::vector<SampleRow>& rows);

    std::size_t sampleCount() const { return count_; }
    // Number of buckets of level `level` (the samples at level 0).
    std::size_t bucketCount(int level) const;
    // Coarsest useful level: one bucket holds every sample.
    int topLevel() const;

    // Bucket `index` of level `level` for `series`. `rows` is the table the
    // decimation was updated from.
    BucketSummary bucket(const std::vector<SampleRow>& rows, int level, int series, std::size_t index) const;

    // The finest level whose buckets over `samples` samples number at most `pixels`.
    static int levelFor(std::size_t samples, std::size_t pixels);

    // Points to draw the samples whose time lies in [xMin, xMax] (and one on either side,
    // so the lines leave the chart's edges) on a chart `pixels` columns wide: the samples
    // themselves when they fit, otherwise first, min, max and last of each bucket of the
    // chosen level. An empty bucket gives a NaN point (a gap in the line).
    DecimatedView view(const std::vector<SampleRow>& rows, double xMin, double xMax, std::size_t pixels) const;

    // Smallest and largest value of `series` over the whole test (min > max when it has
    // no value).
    BucketSummary whole(const std::vector<SampleRow>& rows, int series) const;

  private:
    struct MinMax {
        float min = std::numeric_limits<float>::infinity();
        float max = -std::numeric_limits<float>::infinity();
    };
    // levels_[j] holds level kFirstStoredLevel + j, kCount entries per bucket.
    std::vector<std::vector<MinMax>> levels_;
    std::size_t count_ = 0;
};

} // namespace kapsorel
