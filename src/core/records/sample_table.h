// The data table: every sample of the current test with its time on the test axis, in
// arrival order. It is what the data window and the graph show and what the current
// change is computed from. Used from the user-interface thread only.
#pragma once

#include "core/definitions/run_procedure.h"
#include "core/records/battery_test_records.h"
#include "core/records/sample_decimation.h"
#include "core/records/sample_rows.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel {

// Columns of the data table.
namespace sample_col {
constexpr int kTime = 0;
constexpr int kCurrent = 1;
constexpr int kVoltage = 2;
constexpr int kTemperature = 3;
constexpr int kFirstCell = 4; // Bat1 .. Bat20 = 4 .. 23
constexpr int kStep = 24;
constexpr int kCount = 25;
} // namespace sample_col

// Time of a sample on the test axis: whole seconds from the test start to the sample,
// minus the interruption seconds counted so far.
std::int64_t testAxisSeconds(DayTime testStart, DayTime sampleTime, std::uint32_t interruptionSeconds);

// The value `v` as the table shows it with `decimals` decimals ("%4.1f" shows 1), read
// back as a number.
double shownValue(float v, int decimals);

class SampleTable {
  public:
    void clear()
    {
        rows_.clear();
        decimation_.clear();
    }
    void reserve(std::size_t n)
    {
        rows_.reserve(n);
        decimation_.reserve(n);
    }
    void add(const SampleRecord& sample, std::int64_t x) { rows_.add(sample, x); }

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    SampleRow row(std::size_t i) const { return rows_[i]; }
    const SampleRows& rows() const { return rows_; }

    // The graph's decimation: brought up to the rows added since the last call (once after
    // a file is read, once per refresh during a run).
    void updateDecimation() { decimation_.update(rows_); }
    const SampleDecimation& decimation() const { return decimation_; }
    // Points to draw [xMin, xMax] on a chart `pixels` wide (see SampleDecimation::view).
    DecimatedView view(double xMin, double xMax, std::size_t pixels) const
    {
        return decimation_.view(rows_, xMin, xMax, pixels);
    }

    // Cell (row, column) as the table shows it: the time in whole seconds, the measured
    // values rounded to the column's decimals, the step as its number (index + 1).
    double shown(std::size_t row, int column) const;

    static std::string header(int column);
    // Decimals of a measured column (1 for current, voltage, temperature; 2 for cells),
    // -1 for the time and the step.
    static int decimals(int column);

  private:
    SampleRows rows_;
    SampleDecimation decimation_;
};

// What the current change needs of the step being run.
struct DeltaCurrentStep {
    std::uint8_t stepIndex = 0;
    std::uint8_t stepType = 0;
    std::uint16_t recordInterval = 0;
    float value1 = 0.0f; // the charge voltage
};

constexpr std::uint8_t kChargeStepType = 0;

// Change of the charging current over the battery type's current-change window W
// (seconds): |present current - current of the m-th newest sample| with m = W div L, L the
// step's record interval, taken only when that sample belongs to the same charging step
// and its voltage is above value 1 - 0.2 V, both as the table shows them. 1000 (not
// available) otherwise.
float deltaCurrentFromTable(const SampleTable& table, const DeltaCurrentStep& step, std::uint32_t windowSeconds,
                            float presentCurrent);

// The same for step `stepIndex` of `procedure`, the step being run: 1000 when the index is
// not one of the procedure's steps (the run went past its last step, or a choice pointed
// beyond it).
float deltaCurrentOfStep(const SampleTable& table, const RunProcedure& procedure, std::uint8_t stepIndex,
                         std::uint32_t windowSeconds, float presentCurrent);

} // namespace kapsorel
