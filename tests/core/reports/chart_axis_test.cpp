#include "core/base/numbers.h"
#include "core/reports/chart_axis.h"
#include "support/locale_scope.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace kapsorel {
namespace {

// The ticks are whole multiples of a step of 1, 2 or 5 times a power of ten, no more
// steps than asked, the axis' ends on ticks around the range, and each label reads back
// as its tick's value.
void expectRoundTicks(const AxisTicks& t, double low, double high, int maxSteps)
{
    ASSERT_GE(t.values.size(), 2u);
    EXPECT_LE(static_cast<int>(t.values.size()) - 1, std::max(maxSteps, 2));
    EXPECT_EQ(t.low, t.values.front());
    EXPECT_EQ(t.high, t.values.back());
    // On the range's ends or beyond them (but for the last bit of a rounded product).
    EXPECT_LE(t.low, low + t.step * 1e-9);
    EXPECT_GE(t.high, high - t.step * 1e-9);
    const double exponent = std::floor(std::log10(t.step) + 1e-9);
    const double mantissa = t.step / std::pow(10.0, exponent);
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
        << t.step;
    for (double v : t.values) {
        const double k = v / t.step;
        EXPECT_NEAR(k, std::round(k), 1e-6) << v;
        const auto read = parseNumber(axisTickLabel(t, v));
        ASSERT_TRUE(read) << axisTickLabel(t, v);
        EXPECT_NEAR(*read, v, t.step * 1e-6) << axisTickLabel(t, v);
    }
}

TEST(ChartAxis, TicksAtRoundValuesLabelledWithTheirValue)
{
    test::LocaleScope comma(test::commaFormats());
    struct Case {
        double low;
        double high;
        int maxSteps;
        double step;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {0.0, 10.0, 5, 2.0, "0", "10"},       // the test's hours
        {0.0, 10.0, 10, 1.0, "0", "10"},      //
        {0.93, 1.47, 5, 0.2, "0,8", "1,6"},   // cell voltages
        {1.2, 1.49, 6, 0.05, "1,20", "1,50"}, //
        {-3.2, 7.9, 5, 5.0, "-5", "10"},      // a current that changes sign
        {5.0, 10.0, 5, 1.0, "5", "10"},       // ends on ticks stay where they are
        {0.0, 1.0, 5, 0.2, "0,0", "1,0"},     //
        {24.001, 24.003, 5, 0.0005, "24,0010", "24,0030"},
        {0.0, 0.3, 3, 0.1, "0,0", "0,3"},        // 0.3 / 0.1 is not quite 3
        {-0.25, 0.0, 5, 0.05, "-0,25", "0,00"},  // no "-0"
        {12.5, 12.5, 5, 0.2, "12,0", "13,0"},    // one value: half a unit either way
        {0.0, 36000.0, 8, 5000.0, "0", "40000"}, //
        {0.0, 1.0, 0, 0.5, "0,0", "1,0"},        // at least two steps
        {-1.3, 1.6, 1, 2.0, "-2", "2"},          // the two a range across zero needs
        {std::numeric_limits<double>::quiet_NaN(), 3.0, 5, 0.2, "0,0", "1,0"},
        {4.0, 2.0, 5, 0.2, "0,0", "1,0"}, // no range
        {-std::numeric_limits<double>::infinity(), 0.0, 5, 0.2, "0,0", "1,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.low << ".." << c.high << " in " << c.maxSteps);
        const AxisTicks t = roundAxisTicks(c.low, c.high, c.maxSteps);
        EXPECT_NEAR(t.step, c.step, c.step * 1e-9);
        EXPECT_EQ(axisTickLabel(t, t.values.front()), c.first);
        EXPECT_EQ(axisTickLabel(t, t.values.back()), c.last);
        const bool range = std::isfinite(c.low) && std::isfinite(c.high) && c.low <= c.high;
        expectRoundTicks(t, range ? c.low : 0.0, range ? c.high : 1.0, c.maxSteps);
    }
}

TEST(ChartAxis, AnyRangeGetsRoundTicksThatStateTheirValues)
{
    test::LocaleScope point(test::pointFormats());
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> exponent(-6.0, 12.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> steps(1, 12);
    for (int i = 0; i < 2000; ++i) {
        const double scale = std::pow(10.0, exponent(rng));
        double a = unit(rng) * scale;
        double b = a + std::fabs(unit(rng)) * scale;
        const int maxSteps = steps(rng);
        SCOPED_TRACE(::testing::Message() << a << ".." << b << " in " << maxSteps);
        expectRoundTicks(roundAxisTicks(a, b, maxSteps), a, b, maxSteps);
    }
}

} // namespace
} // namespace kapsorel
