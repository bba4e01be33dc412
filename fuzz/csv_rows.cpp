// CSV rows of samples and steps from the fuzzer: any test start, sample and step record
// gives one line of the right number of fields within kMaxCsvLine, empty time fields for a
// time that is no date, and texts that a spreadsheet never takes for a formula.
#include "core/records/csv_rows.h"

#include "core/base/bytes.h"
#include "core/records/battery_test_records.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace kapsorel;

namespace {

std::size_t fields(std::string_view line)
{
    // Commas outside quotes, plus one.
    std::size_t n = 1;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++n;
    }
    return n;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ByteReader r(std::span<const std::uint8_t>(data, size));
    const DayTime start = r.f64();
    const bool withCapacity = (r.u8() & 1) != 0;
    const long long interruption = r.i32();
    CsvSampleRows rows(start, withCapacity);
    std::vector<char> line(kMaxCsvLine);
    std::size_t missing = 0;
    while (r.remaining() >= test_file_layout::kTailSize) {
        const TailRecord t = readTailRecord(r, test_file_layout::kCurrentVersion);
        if (!std::holds_alternative<SampleRecord>(t))
            continue;
        const SampleRecord& s = std::get<SampleRecord>(t);
        const char* end = rows.put(line.data(), s, interruption);
        const std::string_view text(line.data(), static_cast<std::size_t>(end - line.data()));
        check(text.size() < kMaxCsvLine && text.back() == '\n');
        check(fields(text.substr(0, text.size() - 1)) == 28);
        const bool noTime = text.starts_with(",,");
        missing += noTime ? 1 : 0;
        check(noTime == !(dayTimeInRange(s.time) && dayTimeInRange(start)));
    }
    check(rows.missingTimes() == missing);

    // What is left is a step's description and type name as texts.
    std::string text;
    while (r.remaining() > 0)
        text.push_back(static_cast<char>(r.u8()));
    const std::string cell = csvText(text);
    check(!startsLikeAFormula(cell));
    if (startsLikeAFormula(text))
        check(cell.starts_with("\"'"));
    StepResult step;
    step.description = text.substr(0, 30);
    step.start = start;
    IsoDateTime iso;
    std::string row;
    appendCsvStepRow(row, 0, step, CsvStepFacts{}, iso);
    check(row.size() < kMaxCsvLine && fields(row.substr(0, row.size() - 1)) == 10);
    return 0;
}
