// The steps table: one row per started step with the values at its start, and after a
// resumed step a row with the time it was interrupted. Used from the user-interface
// thread only.
#pragma once

#include "core/records/battery_test_records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel {

struct StepRow {
    bool interruption = false;
    // Step row: seconds from the test start to the step's start. Interruption row: the
    // step's total interruption seconds.
    std::int64_t seconds = 0;
    std::uint8_t stepIndex = 0;
    StepResult result;     // step rows only
    bool fromFile = false; // read from a file rather than added live
};

namespace step_col {
constexpr int kTime = 0;
constexpr int kCurrent = 1;
constexpr int kVoltage = 2;
constexpr int kCapacity = 3;
constexpr int kFirstCell = 4; // Bat1 .. Bat20 = 4 .. 23
constexpr int kDescription = 24;
constexpr int kPrint = 25;
constexpr int kRep = 26;
constexpr int kAction = 27; // name of the step type
constexpr int kCount = 28;
} // namespace step_col

// Description shown in an interruption row.
inline constexpr const char* kInterruptionRowText = "Přerušení";

class StepTable {
  public:
    void clear() { rows_.clear(); }
    void addStep(std::uint8_t stepIndex, const StepResult& result, DayTime testStart, bool fromFile);
    void addInterruption(std::uint8_t stepIndex, std::int64_t seconds);

    std::size_t size() const { return rows_.size(); }
    const StepRow& row(std::size_t i) const { return rows_[i]; }
    const std::vector<StepRow>& rows() const { return rows_; }

    static std::string header(int column);
    // Decimals of a measured column (1 for current, voltage, capacity; 2 for cells), -1 otherwise.
    static int decimals(int column);

  private:
    std::vector<StepRow> rows_;
};

} // namespace kapsorel
