#include "core/records/sample_rows.h"
#include "core/records/sample_table.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

using namespace kapsorel;

namespace {

// A sample whose every field differs from the others and from its neighbours' (row `i`).
SampleRecord distinctSample(int i)
{
    SampleRecord s;
    s.time = 45000.25 + i / 86400.0;
    s.step = static_cast<std::uint8_t>(250 - i);
    s.voltage = 24.5f + static_cast<float>(i);
    s.current = -3.25f - static_cast<float>(i);
    s.capacity = 0.125f * static_cast<float>(i + 1);
    s.temperature = 21.75f + static_cast<float>(i);
    for (std::size_t c = 0; c < s.cells.size(); ++c)
        s.cells[c] = 1.0f + 0.01f * static_cast<float>(c) + static_cast<float>(i);
    return s;
}

} // namespace

TEST(SampleRows, GiveBackEveryFieldOfEveryRowInArrivalOrder)
{
    SampleRows rows;
    std::vector<SampleRecord> added;
    for (int i = 0; i < 5; ++i) {
        added.push_back(distinctSample(i));
        if (i == 2)
            added.back().cells[7] = std::numeric_limits<float>::quiet_NaN(); // not measured
        rows.add(added.back(), 10 * i - 7);
    }

    ASSERT_EQ(rows.size(), 5u);
    std::size_t i = 0;
    for (const SampleRow& r : rows) {
        EXPECT_EQ(r.x, 10 * static_cast<std::int64_t>(i) - 7) << i;
        EXPECT_EQ(rows.x(i), r.x) << i;
        EXPECT_EQ(r.sample.time, added[i].time) << i;
        EXPECT_EQ(r.sample.step, added[i].step) << i;
        EXPECT_EQ(r.sample.voltage, added[i].voltage) << i;
        EXPECT_EQ(r.sample.current, added[i].current) << i;
        EXPECT_EQ(r.sample.capacity, added[i].capacity) << i;
        EXPECT_EQ(r.sample.temperature, added[i].temperature) << i;
        for (std::size_t c = 0; c < added[i].cells.size(); ++c) {
            if (std::isnan(added[i].cells[c]))
                EXPECT_TRUE(std::isnan(r.sample.cells[c])) << i << " " << c;
            else
                EXPECT_EQ(r.sample.cells[c], added[i].cells[c]) << i << " " << c;
        }
        ++i;
    }
    EXPECT_EQ(i, 5u);
    EXPECT_EQ(rows.front().sample, added.front());
    EXPECT_EQ(rows.back().sample, added.back());
}

TEST(SampleRows, ValuesFollowTheGraphsSeriesThenCapacityAndTemperature)
{
    SampleRows rows;
    const SampleRecord s = distinctSample(3);
    rows.add(s, 0);
    const SampleRows::Values& v = rows.values(0);
    for (int series = 0; series < graph_series::kCount; ++series)
        EXPECT_EQ(v[static_cast<std::size_t>(series)], seriesValue(s, series)) << series;
    EXPECT_EQ(v[SampleRows::kCapacity], s.capacity);
    EXPECT_EQ(v[SampleRows::kTemperature], s.temperature);
    EXPECT_EQ(rows.step(0), s.step);
    EXPECT_EQ(rows.time(0), s.time);
}

TEST(SampleRows, TestAxisTimeBeyondThirtyTwoBitsIsKeptAsTheNearestThatFits)
{
    struct Case {
        std::int64_t x;
        std::int64_t kept;
    };
    const std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    const std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {{0, 0},
                          {-5, -5},
                          {hi, hi},
                          {hi + 1, hi},
                          {lo, lo},
                          {lo - 1, lo},
                          {std::numeric_limits<std::int64_t>::max(), hi},
                          {std::numeric_limits<std::int64_t>::min(), lo}};
    SampleRows rows;
    for (const Case& c : cases)
        rows.add(SampleRecord{}, c.x);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(rows[i].x, cases[i].kept) << cases[i].x;
}

TEST(SampleRows, HoldTheStoredWidthsAndTheTimeOnTheTestAxisWithoutPadding)
{
    // 8 bytes of time, 1 of step, 24 floats of values (as a version-4 record) and 4 of the
    // test-axis time.
    constexpr std::size_t kPerRow = 8 + 1 + 24 * 4 + 4;
    static_assert(kPerRow == test_file_layout::kTailSize + 4);
    SampleRows rows;
    rows.reserve(1000);
    for (int i = 0; i < 1000; ++i)
        rows.add(distinctSample(i % 7), i);
    EXPECT_EQ(rows.heldBytes(), 1000 * kPerRow);
    rows.clear();
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(rows.begin(), rows.end());
}
