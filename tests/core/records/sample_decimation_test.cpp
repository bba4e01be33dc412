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
                if (mn <= mx) {
                    // The earliest row of each extreme.
                    ASSERT_EQ(seriesValue(rows[got.minRow].sample, s), mn);
                    ASSERT_EQ(seriesValue(rows[got.maxRow].sample, s), mx);
                    for (std::size_t i = begin; i < got.minRow; ++i)
                        ASSERT_NE(seriesValue(rows[i].sample, s), mn);
                    for (std::size_t i = begin; i < got.maxRow; ++i)
                        ASSERT_NE(seriesValue(rows[i].sample, s), mx);
                }
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

    const DecimatedView v = t.view(0, 63, 2); // 2 columns of 32 samples
    EXPECT_EQ(v.columns, 2u);
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
        const std::size_t lo = static_cast<double>(rows[first].x) < x0 ? first + 1 : first;
        std::size_t last = first;
        while (last + 1 < rows.size() && static_cast<double>(rows[last + 1].x) <= x1)
            ++last;
        const std::size_t hi = last;
        if (last + 1 < rows.size())
            ++last;
        const std::size_t inView = last - first + 1;

        // The samples themselves when they fit, one column per pixel otherwise.
        const bool fit = hi - lo + 1 <= c.pixels;
        EXPECT_EQ(v.samples, hi - lo + 1);
        EXPECT_EQ(v.columns, fit ? 0u : c.pixels);
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
            EXPECT_EQ(pmn, mn);
            EXPECT_EQ(pmx, mx);
            if (fit) {
                EXPECT_EQ(pts.size(), inView);
            }
            EXPECT_LE(pts.front().x, x0 > 0 ? x0 : 0.0);
        }
    }
}

TEST(SampleDecimation, TimeRunsAndTheirSpanFollowTheClock)
{
    const struct {
        std::vector<std::int64_t> x;
        std::size_t runs;
        std::int64_t earliest;
        std::int64_t latest;
    } cases[] = {
        {{}, 0, 0, 0},
        {{5}, 1, 5, 5},
        {{0, 1, 1, 2, 3}, 1, 0, 3},       // a repeated second is no step back
        {{0, 10, 20, 5, 6, 7}, 2, 0, 20}, // set back: the last sample is not the latest
        {{-3, 0, 4, -10, 2, 1, 30}, 3, -10, 30},
    };
    for (const auto& c : cases) {
        // Added one at a time, as a run does, and all at once, as opening a file does.
        SampleTable live;
        SampleTable read;
        for (std::int64_t x : c.x) {
            live.add(SampleRecord{}, x);
            live.updateDecimation();
            read.add(SampleRecord{}, x);
        }
        read.updateDecimation();
        for (const SampleTable* t : {&live, &read}) {
            EXPECT_EQ(t->decimation().timeRuns(), c.runs);
            EXPECT_EQ(t->decimation().earliestTime(), c.earliest);
            EXPECT_EQ(t->decimation().latestTime(), c.latest);
        }
    }
}

namespace {

// A test with one shape in the battery voltage: the samples' times and values.
struct Shape {
    const char* name;
    std::vector<std::int64_t> x;
    std::vector<float> v;
    enum class Kind { Falling, Step, Other } kind = Kind::Other;
};

SampleTable tableOf(const Shape& shape)
{
    SampleTable t;
    for (std::size_t i = 0; i < shape.x.size(); ++i) {
        SampleRecord s;
        s.voltage = shape.v[i];
        t.add(s, shape.x[i]);
    }
    t.updateDecimation();
    return t;
}

// Samples every `period` seconds from `from` for `count` samples, appended to `shape`.
void addRun(Shape& shape, std::int64_t from, std::int64_t period, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        shape.x.push_back(from + period * static_cast<std::int64_t>(i));
}

// A discharge: the voltage falls from 28 V to 20 V at whatever times the samples have.
void fallingValues(Shape& shape)
{
    const double n = static_cast<double>(shape.x.size());
    for (std::size_t i = 0; i < shape.x.size(); ++i)
        shape.v.push_back(static_cast<float>(28.0 - 8.0 * static_cast<double>(i) / n));
}

std::vector<Shape> shapes()
{
    std::vector<Shape> out;
    {
        Shape s{"falling, 1 s samples", {}, {}, Shape::Kind::Falling};
        addRun(s, 0, 1, 120'000);
        fallingValues(s);
        out.push_back(std::move(s));
    }
    {
        // Record periods of 5 s and 255 s in turn, as steps with different intervals give.
        Shape s{"falling, 5 s and 255 s periods", {}, {}, Shape::Kind::Falling};
        std::int64_t x = 0;
        for (int part = 0; part < 6; ++part) {
            const std::int64_t period = part % 2 == 0 ? 5 : 255;
            const std::size_t count = part % 2 == 0 ? 9000 : 300;
            addRun(s, x, period, count);
            x = s.x.back() + period;
        }
        fallingValues(s);
        out.push_back(std::move(s));
    }
    {
        // Charge current to discharge current: +10 A up to 50 000 s, -10 A after.
        Shape s{"step", {}, {}, Shape::Kind::Step};
        addRun(s, 0, 1, 100'000);
        for (std::int64_t x : s.x)
            s.v.push_back(x < 50'000 ? 10.0f : -10.0f);
        out.push_back(std::move(s));
    }
    {
        // One value not measured in a wavy line.
        Shape s{"single missing value", {}, {}, Shape::Kind::Other};
        addRun(s, 0, 1, 100'000);
        for (std::int64_t x : s.x)
            s.v.push_back(x == 61'234 ? kNan : static_cast<float>(24.0 + std::sin(static_cast<double>(x) / 900.0)));
        out.push_back(std::move(s));
    }
    {
        // The clock set back by 20 000 s at 60 000 s: the later samples (at 30 V) overlap
        // the earlier ones (at 20 V) on the time axis.
        Shape s{"time going back", {}, {}, Shape::Kind::Other};
        addRun(s, 0, 1, 60'000);
        addRun(s, 40'000, 1, 60'000);
        for (std::size_t i = 0; i < s.x.size(); ++i)
            s.v.push_back(i < 60'000 ? 20.0f : 30.0f);
        out.push_back(std::move(s));
    }
    return out;
}

struct Window {
    double from; // as fractions of the test's time span
    double to;
    std::size_t pixels;
};

// Views: the whole test at several widths (from far too narrow to a wide screen), and
// zoomed parts whose edges fall inside buckets, down to where the samples fit.
const Window kWindows[] = {{0.0, 1.0, 8},          {0.0, 1.0, 300},     {0.0, 1.0, 1000},   {0.0, 1.0, 1920},
                           {0.1, 0.3, 700},        {0.35, 0.6123, 500}, {0.5, 0.5099, 900}, {0.6123, 0.6124, 800},
                           {0.4999, 0.5001, 1000}, {0.39, 0.41, 640}};

} // namespace

TEST(SampleDecimation, DrawnShapesFollowTheSamplesAtEveryZoom)
{
    for (const Shape& shape : shapes()) {
        const SampleTable t = tableOf(shape);
        const auto [lowest, highest] = std::minmax_element(shape.x.begin(), shape.x.end());
        const auto span = static_cast<double>(*highest - *lowest);
        for (const Window& w : kWindows) {
            const double x0 = static_cast<double>(*lowest) + span * w.from;
            const double x1 = static_cast<double>(*lowest) + span * w.to;
            SCOPED_TRACE(::testing::Message()
                         << shape.name << ", view " << x0 << ".." << x1 << " on " << w.pixels << " px");
            const DecimatedView view = t.view(x0, x1, w.pixels);
            const auto& pts = view.series[graph_series::kVoltage];
            const double column = (x1 - x0) / static_cast<double>(w.pixels);

            // The samples in view, whatever their order in the table.
            std::size_t inView = 0;
            float lo = std::numeric_limits<float>::infinity();
            float hi = -lo;
            std::vector<double> missing;
            for (std::size_t i = 0; i < shape.x.size(); ++i) {
                const auto x = static_cast<double>(shape.x[i]);
                if (x < x0 || x > x1)
                    continue;
                ++inView;
                if (std::isnan(shape.v[i])) {
                    missing.push_back(x);
                    continue;
                }
                lo = std::min(lo, shape.v[i]);
                hi = std::max(hi, shape.v[i]);
            }
            if (inView == 0) {
                // Between two samples far apart: the line crosses the view.
                ASSERT_EQ(pts.size(), 2u);
                EXPECT_LT(pts[0].x, x0);
                EXPECT_GT(pts[1].x, x1);
                continue;
            }

            // In time order; clipped to the view but for one sample on either side;
            // a number of points by the width, not by the samples.
            std::size_t backwards = 0;
            std::size_t before = 0;
            std::size_t after = 0;
            double drawnLo = std::numeric_limits<double>::infinity();
            double drawnHi = -drawnLo;
            for (std::size_t i = 0; i < pts.size(); ++i) {
                backwards += i > 0 && pts[i].x < pts[i - 1].x ? 1 : 0;
                before += pts[i].x < x0 ? 1 : 0;
                after += pts[i].x > x1 ? 1 : 0;
                if (pts[i].x >= x0 && pts[i].x <= x1 && !std::isnan(pts[i].y)) {
                    drawnLo = std::min(drawnLo, pts[i].y);
                    drawnHi = std::max(drawnHi, pts[i].y);
                }
            }
            EXPECT_EQ(backwards, 0u) << "points out of time order";
            EXPECT_LE(before, 1u);
            EXPECT_LE(after, 1u);
            if (inView <= w.pixels) {
                EXPECT_EQ(pts.size(), inView + before + after); // the samples themselves
            } else {
                EXPECT_LE(pts.size(), 5 * w.pixels + 2);
            }
            // Every value in view is inside the drawn envelope and nothing beyond it is.
            EXPECT_EQ(drawnLo, static_cast<double>(lo));
            EXPECT_EQ(drawnHi, static_cast<double>(hi));

            // A missing value breaks the line within its column.
            for (double m : missing) {
                const bool gap = std::any_of(pts.begin(), pts.end(), [&](const GraphPoint& p) {
                    return std::isnan(p.y) && std::fabs(p.x - m) <= column;
                });
                EXPECT_TRUE(gap) << "no gap at " << m;
            }

            if (shape.kind == Shape::Kind::Falling) {
                std::size_t rises = 0;
                for (std::size_t i = 1; i < pts.size(); ++i)
                    rises += pts[i].y > pts[i - 1].y ? 1 : 0;
                EXPECT_EQ(rises, 0u) << "a falling line rises";
            }
            if (shape.kind == Shape::Kind::Step && lo < 0.0f && hi > 0.0f) {
                // Every +10 before every -10, and the drop within one column (or between
                // two neighbouring samples when they are drawn themselves).
                std::size_t lastHigh = 0;
                std::size_t firstLow = pts.size();
                for (std::size_t i = 0; i < pts.size(); ++i) {
                    if (pts[i].y > 0)
                        lastHigh = i;
                    else if (firstLow == pts.size())
                        firstLow = i;
                }
                EXPECT_EQ(lastHigh + 1, firstLow) << "the current steps down more than once";
                if (firstLow < pts.size()) {
                    EXPECT_LE(pts[firstLow].x - pts[lastHigh].x, std::max(column, 1.0));
                }
            }
        }
    }
}
