#include "core/records/sample_table.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace kapsorel;

namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

// A table of `n` samples with random values, x growing by 1..3 s; about one value in 50
// is NaN when `withNan`.
SampleTable randomTable(std::size_t n, unsigned seed, bool withNan)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-5.0f, 30.0f);
    std::uniform_int_distribution<int> step(1, 3);
    std::uniform_int_distribution<int> hole(0, 49);
    SampleTable t;
    std::int64_t x = 0;
    for (std::size_t i = 0; i < n; ++i) {
        SampleRecord s;
        const auto v = [&] { return withNan && hole(rng) == 0 ? kNan : value(rng); };
        s.voltage = v();
        s.current = v();
        for (auto& c : s.cells)
            c = v();
        t.add(s, x);
        x += step(rng);
    }
    return t;
}

// Every bucket of every level (up to one past the top) of every series against a scan of
// the rows it covers.
void expectMatchesScan(const SampleTable& t)
{
    const SampleDecimation& d = t.decimation();
    ASSERT_EQ(d.sampleCount(), t.size());
    const auto& rows = t.rows();
    for (int level = 0; level <= d.topLevel() + 1; ++level) {
        const std::size_t size = std::size_t{1} << level;
        ASSERT_EQ(d.bucketCount(level), (t.size() + size - 1) / size);
        for (std::size_t b = 0; b < d.bucketCount(level); ++b) {
            const std::size_t begin = b * size;
            const std::size_t end = std::min(t.size(), begin + size);
            for (int s = 0; s < graph_series::kCount; ++s) {
                float mn = std::numeric_limits<float>::infinity();
                float mx = -mn;
                for (std::size_t i = begin; i < end; ++i) {
                    const float v = seriesValue(rows[i].sample, s);
                    if (std::isnan(v))
                        continue;
                    mn = std::min(mn, v);
                    mx = std::max(mx, v);
                }
                const BucketSummary got = d.bucket(rows, level, s, b);
                ASSERT_EQ(got.min, mn) << "level " << level << " bucket " << b << " series " << s;
                ASSERT_EQ(got.max, mx) << "level " << level << " bucket " << b << " series " << s;
                ASSERT_EQ(got.xFirst, rows[begin].x);
                ASSERT_EQ(got.xLast, rows[end - 1].x);
                const float first = seriesValue(rows[begin].sample, s);
                const float last = seriesValue(rows[end - 1].sample, s);
                ASSERT_TRUE(got.first == first || (std::isnan(got.first) && std::isnan(first)));
                ASSERT_TRUE(got.last == last || (std::isnan(got.last) && std::isnan(last)));
            }
        }
    }
}

} // namespace

TEST(SampleDecimation, EveryBucketEqualsAScanOfItsSamples)
{
    struct Case {
        std::size_t samples;
        bool withNan;
    };
    // One sample, less than a stored bucket, exactly one, exact powers of two, one past
    // them, and an uneven count; with and without NaN cells.
    const Case cases[] = {{1, false},   {7, true},    {16, false},   {17, true},   {256, false},
                          {1024, true}, {1025, true}, {3001, false}, {3001, true}, {4096, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        SampleTable t = randomTable(c.samples, static_cast<unsigned>(c.samples), c.withNan);
        t.updateDecimation();
        expectMatchesScan(t);
    }
}

TEST(SampleDecimation, RowsAddedAFewAtATimeGiveTheSameBucketsAsOneBatch)
{
    const SampleTable all = randomTable(2500, 7, true);
    SampleTable live;
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> batch(0, 40);
    std::size_t i = 0;
    while (i < all.size()) {
        const std::size_t take = std::min(all.size() - i, static_cast<std::size_t>(batch(rng)));
        for (std::size_t k = 0; k < take; ++k, ++i)
            live.add(all.row(i).sample, all.row(i).x);
        live.updateDecimation(); // once per refresh, with 0 to 40 new rows
        if (i % 7 == 0)
            expectMatchesScan(live);
    }
    expectMatchesScan(live);
}

TEST(SampleDecimation, ClearedAndRefilledTableIsDecimatedAnew)
{
    SampleTable t = randomTable(500, 1, false);
    t.updateDecimation();
    const SampleTable other = randomTable(40, 2, false);
    t.clear();
    EXPECT_EQ(t.decimation().sampleCount(), 0u);
    for (const SampleRow& r : other.rows())
        t.add(r.sample, r.x);
    t.updateDecimation();
    expectMatchesScan(t);
}

TEST(SampleDecimation, NanOnlyBucketIsEmptyAndDrawnAsAGap)
{
    SampleTable t;
    for (int i = 0; i < 64; ++i) {
        SampleRecord s;
        s.voltage = static_cast<float>(i);
        s.cells[3] = i < 32 ? kNan : 1.25f; // first half of cell 4 not measured
        t.add(s, i);
    }
    t.updateDecimation();
    EXPECT_TRUE(t.decimation().bucket(t.rows(), 5, 3, 0).empty());
    EXPECT_EQ(t.decimation().bucket(t.rows(), 6, 3, 0).min, 1.25f);
    EXPECT_EQ(t.decimation().bucket(t.rows(), 6, graph_series::kVoltage, 0).max, 63.0f);

    const DecimatedView v = t.view(0, 63, 2); // 2 columns: buckets of 32
    EXPECT_EQ(v.level, 5);
    ASSERT_FALSE(v.series[3].empty());
    EXPECT_TRUE(std::isnan(v.series[3].front().y));
    EXPECT_EQ(v.series[3].back().y, 1.25);
}

TEST(SampleDecimation, ViewReadsPointsByPixelsNotBySamplesAndKeepsTheEnvelope)
{
    struct Case {
        std::size_t samples;
        std::size_t pixels;
        double fromPart; // visible part of the test, as fractions of its length
        double toPart;
    };
    const Case cases[] = {{100, 800, 0.0, 1.0},      {10'000, 800, 0.0, 1.0},  {200'000, 800, 0.0, 1.0},
                          {200'000, 800, 0.4, 0.45}, {200'000, 300, 0.9, 1.0}, {200'000, 1000, 0.5, 0.5001}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        SampleTable t = randomTable(c.samples, 11, false);
        t.updateDecimation();
        const auto& rows = t.rows();
        const double span = static_cast<double>(rows.back().x);
        const double x0 = span * c.fromPart;
        const double x1 = span * c.toPart;
        const DecimatedView v = t.view(x0, x1, c.pixels);

        // The samples in view plus one on either side.
        std::size_t first = 0;
        while (first < rows.size() && static_cast<double>(rows[first].x) < x0)
            ++first;
        if (first > 0)
            --first;
        std::size_t last = first;
        while (last + 1 < rows.size() && static_cast<double>(rows[last + 1].x) <= x1)
            ++last;
        if (last + 1 < rows.size())
            ++last;
        const std::size_t inView = last - first + 1;

        // The finest level with at most one bucket per column (two when the view straddles
        // bucket boundaries).
        const std::size_t size = std::size_t{1} << v.level;
        EXPECT_LE((inView + size - 1) / size, c.pixels);
        if (v.level > 0) {
            EXPECT_GT((inView + size / 2 - 1) / (size / 2), c.pixels);
        }
        EXPECT_LE(v.buckets, c.pixels + 2);
        for (int s = 0; s < graph_series::kCount; ++s) {
            const auto& pts = v.series[static_cast<std::size_t>(s)];
            ASSERT_LE(pts.size(), 4 * (c.pixels + 2));
            // The drawn points span exactly the range of the samples they stand for.
            double mn = std::numeric_limits<double>::infinity();
            double mx = -mn;
            for (std::size_t i = first; i <= last; ++i) {
                mn = std::min(mn, static_cast<double>(seriesValue(rows[i].sample, s)));
                mx = std::max(mx, static_cast<double>(seriesValue(rows[i].sample, s)));
            }
            double pmn = std::numeric_limits<double>::infinity();
            double pmx = -pmn;
            for (std::size_t i = 0; i < pts.size(); ++i) {
                pmn = std::min(pmn, pts[i].y);
                pmx = std::max(pmx, pts[i].y);
                if (i > 0) {
                    ASSERT_LE(pts[i - 1].x, pts[i].x); // in time order
                }
            }
            if (v.level == 0) {
                EXPECT_EQ(pmn, mn);
                EXPECT_EQ(pmx, mx);
                EXPECT_EQ(pts.size(), inView);
            } else {
                // Whole buckets are drawn, so the envelope covers at least the samples in view.
                EXPECT_LE(pmn, mn);
                EXPECT_GE(pmx, mx);
            }
            EXPECT_LE(pts.front().x, x0 > 0 ? x0 : 0.0);
        }
    }
}
