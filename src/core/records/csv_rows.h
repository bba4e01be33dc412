// Rows of a test's CSV export: one line per sample in the battery-data-format style
// ("Test Time / s", "Date Time" in ISO 8601 with the UTC offset, the measured values with
// their units) and one line per started step for the step summary beside it.
#pragma once

#include "core/base/day_time.h"
#include "core/records/battery_test_records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kapsorel {

// The local date-time `t` as ISO 8601 with milliseconds and the offset from UTC in force
// then, "2024-03-05T07:09:00.000+01:00"; nothing for a time that is no date (see
// dayTimeInRange). Offsets are looked up once per local hour.
class IsoDateTime {
  public:
    void append(std::string& out, DayTime t);
    // The same at a cursor into a buffer with room for 35 characters, moved past them.
    void put(char*& p, DayTime t);

  private:
    long long hour_ = -1; // local hour (hours since the day-time epoch) of `offset_`
    std::string offset_;
};

// Longest line of either file: the fixed fields, 25 values of at most 32 characters and
// the step summary's two texts of at most 2 × 61 bytes each (quoted).
inline constexpr std::size_t kMaxCsvLine = 2048;

// The sample lines, appended to a buffer.
class CsvSampleRows {
  public:
    // `withCapacity`: the file records capacity (version 4); older files leave the column
    // empty rather than claim 0 Ah.
    CsvSampleRows(DayTime testStart, bool withCapacity);

    static std::string header();
    // A line for `sample`; `interruptionSeconds` are subtracted from its test time.
    void append(std::string& out, const SampleRecord& sample, long long interruptionSeconds);
    // The same line written at `p`, which has room for kMaxCsvLine characters; returns
    // the end of the line.
    char* put(char* p, const SampleRecord& sample, long long interruptionSeconds);
    // Rows whose time is no date (a not-number or out of the calendar): their "Test Time"
    // and "Date Time" fields were left empty.
    std::size_t missingTimes() const { return missingTimes_; }

  private:
    // Test times beyond this many milliseconds (about 31 700 years) are no test's.
    static constexpr double kMaxMillis = 1e15;

    DayTime start_;
    bool withCapacity_;
    long long stepCount_ = 0;
    int lastStep_ = -1;
    std::size_t missingTimes_ = 0;
    IsoDateTime iso_;
};

// The step summary's lines: number, type, description, status, start and the values
// at the start, the samples recorded in the step and the time it was interrupted.
struct CsvStepFacts {
    std::size_t samples = 0;
    long long interruptionSeconds = 0;
};
std::string csvStepHeader();
void appendCsvStepRow(std::string& out, std::size_t index, const StepResult& step, const CsvStepFacts& facts,
                      IsoDateTime& iso);

// True for a text a spreadsheet would take for a formula: one starting with '=', '+', '-',
// '@', a tab or a carriage return.
bool startsLikeAFormula(std::string_view text);
// A text field quoted as CSV needs it (comma, quote, line break). A text that starts like a
// formula gets a leading apostrophe and quotes, so that a spreadsheet shows it as text and
// never evaluates it ("=2*21" -> "\"'=2*21\"").
std::string csvText(const std::string& text);

} // namespace kapsorel
