#include "core/reports/chart_axis.h"

#include "core/base/numbers.h"

#include <algorithm>
#include <cmath>

namespace kapsorel {

namespace {

// Quotients this close to a whole number are that number (0.3 / 0.1 is 2.9999999999999996).
constexpr double kSlack = 1e-7;
// A step is no finer than this part of the values' size, so the ticks stay distinct numbers.
constexpr double kFinestRelativeStep = 1e-12;
constexpr int kMostDecimals = 15;
// Values beyond this are taken as this, so the span and its steps stay finite.
constexpr double kLargest = 1e300;

// The whole number at or below (above) a quotient, or the one it misses by a rounding.
double wholeBelow(double q)
{
    const double near = std::round(q);
    return std::fabs(q - near) < kSlack ? near : std::floor(q);
}

double wholeAbove(double q)
{
    const double near = std::round(q);
    return std::fabs(q - near) < kSlack ? near : std::ceil(q);
}

} // namespace

AxisTicks roundAxisTicks(double low, double high, int maxSteps)
{
    if (!std::isfinite(low) || !std::isfinite(high) || low > high) {
        low = 0.0;
        high = 1.0;
    }
    low = std::clamp(low, -kLargest, kLargest);
    high = std::clamp(high, -kLargest, kLargest);
    const double size = std::max(std::fabs(low), std::fabs(high));
    if (high - low <= size * kFinestRelativeStep) {
        low -= 0.5;
        high += 0.5;
    }
    // Two steps cover any range (-s, 0, s), one only a range on one side of zero.
    const double most = static_cast<double>(std::max(maxSteps, 2));
    AxisTicks t;
    double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / most)));
    for (;; magnitude *= 10.0) {
        for (const double m : {1.0, 2.0, 5.0}) {
            const double step = m * magnitude;
            const double first = wholeBelow(low / step);
            const double last = std::max(wholeAbove(high / step), first + 1.0);
            if (last - first > most)
                continue;
            t.step = step;
            t.decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + kSlack)), 0, kMostDecimals);
            // "+ 0.0" turns a negative zero into zero, so no label reads "-0".
            for (double k = first; k <= last; k += 1.0)
                t.values.push_back(k * step + 0.0);
            t.low = t.values.front();
            t.high = t.values.back();
            return t;
        }
    }
}

std::string axisTickLabel(const AxisTicks& ticks, double value)
{
    return formatDecimals(value, ticks.decimals);
}

} // namespace kapsorel
