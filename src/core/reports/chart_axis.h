// The printed chart's axes: grid lines at round values (1, 2 or 5 times a power of ten),
// each labelled with the value it stands at.
#pragma once

#include <string>
#include <vector>

namespace kapsorel {

struct AxisTicks {
    double low = 0.0; // the axis' ends: the first and the last tick
    double high = 1.0;
    double step = 1.0;
    int decimals = 0;           // what a label needs to state its tick's value exactly
    std::vector<double> values; // low, low + step, ..., high
};

// The smallest round step that splits an axis holding [low, high] into at most `maxSteps`
// steps (at least two are allowed); the axis runs from the last tick at or below `low` to the first at or above
// `high`. A range without width is widened by half a unit either way; a range that is no
// pair of finite numbers gives the axis 0 to 1.
AxisTicks roundAxisTicks(double low, double high, int maxSteps);

// Label of a tick: its value with the step's decimals, in the program's number text.
std::string axisTickLabel(const AxisTicks& ticks, double value);

} // namespace kapsorel
