#include "core/records/step_table.h"

namespace kapsorel {

void StepTable::addStep(std::uint8_t stepIndex, const StepResult& result, DayTime testStart, bool fromFile)
{
    StepRow row;
    row.seconds = wholeSecondsBetween(testStart, result.start);
    row.stepIndex = stepIndex;
    row.result = result;
    row.fromFile = fromFile;
    rows_.push_back(std::move(row));
}

void StepTable::addInterruption(std::uint8_t stepIndex, std::int64_t seconds)
{
    StepRow row;
    row.interruption = true;
    row.seconds = seconds;
    row.stepIndex = stepIndex;
    row.fromFile = true;
    rows_.push_back(std::move(row));
}

std::string StepTable::header(int column)
{
    switch (column) {
    case step_col::kTime:
        return "Čas";
    case step_col::kCurrent:
        return "Proud";
    case step_col::kVoltage:
        return "Napětí";
    case step_col::kCapacity:
        return "Kapacita";
    case step_col::kDescription:
        return "Popis";
    case step_col::kPrint:
        return "Tisk";
    case step_col::kRep:
        return "Rep.";
    case step_col::kAction:
        return "Akce";
    default:
        if (column >= step_col::kFirstCell && column < step_col::kFirstCell + test_file_layout::kCells)
            return "Bat" + std::to_string(column - step_col::kFirstCell + 1);
        return {};
    }
}

int StepTable::decimals(int column)
{
    if (column == step_col::kCurrent || column == step_col::kVoltage || column == step_col::kCapacity)
        return 1;
    if (column >= step_col::kFirstCell && column < step_col::kFirstCell + test_file_layout::kCells)
        return 2;
    return -1;
}

} // namespace kapsorel
