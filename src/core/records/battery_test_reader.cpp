#include "core/records/battery_test_reader.h"

#include <cmath>
#include <string>

namespace kapsorel {

namespace {

constexpr const char* kNotATestFile = "Soubor není soubor testu baterie";

} // namespace

std::size_t maxTestFileHeadSize()
{
    return test_file_layout::stepsEnd(static_cast<std::size_t>(test_file_layout::kMaxSteps)) +
           test_file_layout::kReservedSize + 1 + 255;
}

Result<BatteryTestFileHead> readTestFileHead(std::span<const std::uint8_t> file)
{
    return readTestFileHead(file, file.size());
}

Result<BatteryTestFileHead> readTestFileHead(std::span<const std::uint8_t> file, std::uint64_t fileSize)
{
    // `file` is the whole file or a start long enough for any fixed part; anything else
    // (the file shrank while it was read) is a file cut short.
    if (file.size() > fileSize || (file.size() < fileSize && file.size() < maxTestFileHeadSize()))
        return Error{"Soubor testu je zkrácený"};
    // A file of another kind is named as such, not as a test file cut short: its first byte
    // is no version this program knows, or (below) its start time is no time at all.
    if (!file.empty() && file[0] > test_file_layout::kCurrentVersion)
        return Error{std::string(kNotATestFile) + " (neznámá verze " + std::to_string(file[0]) + ")"};
    if (fileSize < test_file_layout::kStepsOffset)
        return Error{"Soubor testu je zkrácený: chybí hlavička testu"};

    BatteryTestFileHead head;
    ByteReader r(file);
    head.layout.version = r.u8();
    head.layout.family = r.u8();
    head.header = readTestHeader(r);
    if (!std::isfinite(head.header.start))
        return Error{std::string(kNotATestFile) + " (čas začátku není číslo)"};
    const std::size_t n = head.header.stepCount;
    if (n > static_cast<std::size_t>(test_file_layout::kMaxSteps))
        return Error{"Soubor testu má neplatný počet kroků " + std::to_string(n)};
    if (fileSize < test_file_layout::stepsEnd(n))
        return Error{"Soubor testu je zkrácený: chybí výsledky kroků (" + std::to_string(n) + " kroků)"};
    head.layout.stepCount = n;
    head.steps.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        head.steps.push_back(readStepResult(r));

    const std::uint8_t v = head.layout.version;
    if (v <= 2) {
        head.layout.variableCount = 0;
        head.layout.tailStart = test_file_layout::stepsEnd(n);
    } else {
        r.skip(test_file_layout::kReservedSize);
        const std::size_t count = r.u8();
        if (!r.ok() || r.remaining() < count)
            return Error{"Soubor testu je zkrácený: chybí proměnné"};
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t value = r.u8();
            if (i < head.variables.size())
                head.variables[i] = value;
        }
        head.layout.variableCount = count;
        head.layout.tailStart = r.offset();
    }
    if (!r.ok())
        return Error{"Soubor testu je zkrácený"};

    head.layout.tailRecordSize = tailRecordSize(v);
    const std::uint64_t tailBytes = fileSize - head.layout.tailStart;
    head.layout.tailCount = static_cast<std::size_t>(tailBytes / head.layout.tailRecordSize);
    head.layout.trailingBytes = static_cast<std::size_t>(tailBytes % head.layout.tailRecordSize);
    return head;
}

Result<TailRecord> readTailRecordAt(std::span<const std::uint8_t> file, const BatteryTestFileLayout& layout,
                                    std::size_t index)
{
    if (index >= layout.tailCount || layout.tailEnd() > file.size())
        return Error{"Záznam " + std::to_string(index + 1) + " v souboru testu chybí"};
    return readTailRecordIn(file.subspan(layout.tailStart), layout, 0, index);
}

std::string tailRecordRefusal(const DecodedTailRecord& rec, const BatteryTestFileLayout& layout, std::size_t index)
{
    using Kind = DecodedTailRecord::Kind;
    if (rec.kind == Kind::Interruption)
        return {};
    const std::size_t step = rec.kind == Kind::Sample ? rec.sample.step : rec.resume.step;
    if (step < layout.stepCount)
        return {};
    return "Záznam " + std::to_string(index + 1) + " souboru testu patří ke kroku " + std::to_string(step + 1) +
           ", test má jen " + std::to_string(layout.stepCount) + " kroků";
}

namespace {

// Puts the one record readTailRecords hands out into a Result.
struct OneRecord {
    Result<TailRecord>& out;
    void sample(std::size_t, const SampleRecord& s) { out = TailRecord{s}; }
    void interruption(std::size_t, const InterruptionMarker& m) { out = TailRecord{m}; }
    void resume(std::size_t, const ResumeEntry& e) { out = TailRecord{e}; }
    void refused(std::size_t, std::string message) { out = Error{std::move(message)}; }
};

// Collects a whole file's tail.
struct AllRecords {
    BatteryTestFileContents& out;
    void sample(std::size_t, const SampleRecord& s) { out.tail.emplace_back(s); }
    void interruption(std::size_t, const InterruptionMarker& m) { out.tail.emplace_back(m); }
    void resume(std::size_t, const ResumeEntry& e) { out.tail.emplace_back(e); }
    void refused(std::size_t, std::string message)
    {
        if (out.refusedRecords++ == 0)
            out.firstRefusal = std::move(message);
    }
};

} // namespace

Result<TailRecord> readTailRecordIn(std::span<const std::uint8_t> records, const BatteryTestFileLayout& layout,
                                    std::size_t first, std::size_t index)
{
    const std::size_t size = layout.tailRecordSize;
    if (index < first || index >= layout.tailCount || size == 0 || (index - first) >= records.size() / size)
        return Error{"Záznam " + std::to_string(index + 1) + " v souboru testu chybí"};
    Result<TailRecord> out = Error{std::string()};
    readTailRecords(records.subspan((index - first) * size, size), layout, index, OneRecord{out});
    return out;
}

Result<BatteryTestFileContents> readTestFile(std::span<const std::uint8_t> file)
{
    auto head = readTestFileHead(file);
    if (!head)
        return Error{head.error()};
    BatteryTestFileContents out;
    out.head = std::move(head.value());
    const BatteryTestFileLayout& layout = out.head.layout;
    out.tail.reserve(layout.tailCount);
    if (layout.tailEnd() <= file.size())
        readTailRecords(file.subspan(layout.tailStart), layout, 0, AllRecords{out});
    return out;
}

} // namespace kapsorel
