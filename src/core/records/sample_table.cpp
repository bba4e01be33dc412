#include "core/records/sample_table.h"

#include "core/station/live_values.h"

#include <charconv>
#include <cmath>

namespace kapsorel {

std::int64_t testAxisSeconds(DayTime testStart, DayTime sampleTime, std::uint32_t interruptionSeconds)
{
    return wholeSecondsBetween(testStart, sampleTime) - static_cast<std::int64_t>(interruptionSeconds);
}

double shownValue(float v, int decimals)
{
    if (!std::isfinite(v))
        return v;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed, decimals);
    if (res.ec != std::errc{})
        return v;
    double out = 0.0;
    std::from_chars(buf, res.ptr, out);
    return out;
}

double SampleTable::shown(std::size_t row, int column) const
{
    const SampleRows::Values& v = rows_.values(row);
    switch (column) {
    case sample_col::kTime:
        return static_cast<double>(rows_.x(row));
    case sample_col::kCurrent:
        return shownValue(v[graph_series::kCurrent], 1);
    case sample_col::kVoltage:
        return shownValue(v[graph_series::kVoltage], 1);
    case sample_col::kTemperature:
        return shownValue(v[SampleRows::kTemperature], 1);
    case sample_col::kStep:
        return rows_.step(row) + 1;
    default:
        if (column >= sample_col::kFirstCell && column < sample_col::kFirstCell + test_file_layout::kCells)
            return shownValue(v[static_cast<std::size_t>(graph_series::kFirstCell + column - sample_col::kFirstCell)],
                              2);
        return 0.0;
    }
}

std::string SampleTable::header(int column)
{
    switch (column) {
    case sample_col::kTime:
        return "Čas";
    case sample_col::kCurrent:
        return "Proud";
    case sample_col::kVoltage:
        return "Napětí";
    case sample_col::kTemperature:
        return "Teplota";
    case sample_col::kStep:
        return "Krok";
    default:
        if (column >= sample_col::kFirstCell && column < sample_col::kFirstCell + test_file_layout::kCells)
            return "Bat" + std::to_string(column - sample_col::kFirstCell + 1);
        return {};
    }
}

int SampleTable::decimals(int column)
{
    if (column == sample_col::kCurrent || column == sample_col::kVoltage || column == sample_col::kTemperature)
        return 1;
    if (column >= sample_col::kFirstCell && column < sample_col::kFirstCell + test_file_layout::kCells)
        return 2;
    return -1;
}

float deltaCurrentFromTable(const SampleTable& table, const DeltaCurrentStep& step, std::uint32_t windowSeconds,
                            float presentCurrent)
{
    const std::uint32_t l = step.recordInterval;
    if (step.stepType != kChargeStepType || l == 0 || l >= windowSeconds)
        return kDeltaCurrentUnavailable;
    const std::size_t m = windowSeconds / l;
    if (table.size() < m)
        return kDeltaCurrentUnavailable;
    const std::size_t r = table.size() - m; // the m-th newest sample
    if (table.shown(r, sample_col::kStep) != step.stepIndex + 1)
        return kDeltaCurrentUnavailable;
    if (!(table.shown(r, sample_col::kVoltage) > static_cast<double>(step.value1) - 0.2))
        return kDeltaCurrentUnavailable;
    return static_cast<float>(std::fabs(static_cast<double>(presentCurrent) - table.shown(r, sample_col::kCurrent)));
}

float deltaCurrentOfStep(const SampleTable& table, const RunProcedure& procedure, std::uint8_t stepIndex,
                         std::uint32_t windowSeconds, float presentCurrent)
{
    if (stepIndex >= procedure.stepCount || stepIndex >= kMaxSteps)
        return kDeltaCurrentUnavailable;
    const RunStep& step = procedure.steps[stepIndex];
    return deltaCurrentFromTable(table, DeltaCurrentStep{stepIndex, step.type, step.recordInterval, step.value1},
                                 windowSeconds, presentCurrent);
}

} // namespace kapsorel
