// Reading a test file held in memory: the fixed part (header, step results, variables)
// and its tail records, for every format version. Nothing is read past the data given;
// a file too short for its header and steps, or a record naming a step the test does not
// have, is refused with a message.
#pragma once

#include "core/base/result.h"
#include "core/records/battery_test_records.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

// Where the parts of a test file lie.
struct BatteryTestFileLayout {
    std::uint8_t version = test_file_layout::kCurrentVersion;
    std::uint8_t family = 0;
    std::size_t stepCount = 0;
    std::size_t variableCount = 0; // count byte (versions 3 and later), 0 before
    std::size_t tailStart = 0;
    std::size_t tailRecordSize = test_file_layout::kTailSize;
    std::size_t tailCount = 0;     // whole tail records present
    std::size_t trailingBytes = 0; // bytes of an incomplete last record, ignored

    std::size_t tailEnd() const { return tailStart + tailRecordSize * tailCount; }
};

// The fixed part of a test file.
struct BatteryTestFileHead {
    BatteryTestFileLayout layout;
    BatteryTestHeader header;
    std::vector<StepResult> steps; // exactly header.stepCount
    std::array<std::uint8_t, test_file_layout::kVariables> variables{};
};

Result<BatteryTestFileHead> readTestFileHead(std::span<const std::uint8_t> file);

// Largest fixed part a file can have (header, the most steps, the reserved block and the
// most variables): the first min(file size, this) bytes are enough to read the head.
std::size_t maxTestFileHeadSize();

// The fixed part from the file's first bytes `start` (all of them, or at least
// maxTestFileHeadSize()) of a file of `fileSize` bytes; the tail is counted from the size.
Result<BatteryTestFileHead> readTestFileHead(std::span<const std::uint8_t> start, std::uint64_t fileSize);

// Tail record `index` (0 .. tailCount-1) of a file whose head was read. A sample or resume
// record naming a step at or beyond the step count is refused.
Result<TailRecord> readTailRecordAt(std::span<const std::uint8_t> file, const BatteryTestFileLayout& layout,
                                    std::size_t index);

// Tail record `index` from `records`, which holds whole tail records of the file from
// record `first` on (a piece of the tail read on its own). Refused as readTailRecordAt.
Result<TailRecord> readTailRecordIn(std::span<const std::uint8_t> records, const BatteryTestFileLayout& layout,
                                    std::size_t first, std::size_t index);

// Why a decoded tail record `index` is refused (its step is beyond the layout's step
// count), or an empty string when it is sound.
std::string tailRecordRefusal(const DecodedTailRecord& rec, const BatteryTestFileLayout& layout, std::size_t index);

// Bulk reading: every whole tail record in `records` (records of the file from record
// `first` on, as readTailRecordIn takes them), in file order, through the one decoder
// readTailRecordIn uses, with no allocation per record. For each record `sink` gets
//   sink.sample(index, const SampleRecord&), sink.interruption(index, const InterruptionMarker&)
//   or sink.resume(index, const ResumeEntry&), or, for a record readTailRecordIn refuses,
//   sink.refused(index, std::string message) with its message.
// Records at or beyond layout.tailCount are not read. Returns the number of records read.
template <typename Sink>
std::size_t readTailRecords(std::span<const std::uint8_t> records, const BatteryTestFileLayout& layout,
                            std::size_t first, Sink&& sink)
{
    const std::size_t size = layout.tailRecordSize;
    if (size == 0 || first >= layout.tailCount)
        return 0;
    const std::size_t count = std::min(records.size() / size, layout.tailCount - first);
    ByteReader r(records.first(count * size));
    DecodedTailRecord rec;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t index = first + k;
        decodeTailRecord(r, layout.version, rec);
        using Kind = DecodedTailRecord::Kind;
        const bool stepped = rec.kind != Kind::Interruption;
        const std::uint8_t step = rec.kind == Kind::Sample ? rec.sample.step : rec.resume.step;
        if (stepped && step >= layout.stepCount) {
            sink.refused(index, tailRecordRefusal(rec, layout, index));
            continue;
        }
        switch (rec.kind) {
        case Kind::Sample:
            sink.sample(index, rec.sample);
            break;
        case Kind::Interruption:
            sink.interruption(index, rec.marker);
            break;
        case Kind::Resume:
            sink.resume(index, rec.resume);
            break;
        }
    }
    return count;
}

// A whole file: the head and every tail record that could be read. Refused tail records
// are left out and counted; `firstRefusal` says why the first was refused.
struct BatteryTestFileContents {
    BatteryTestFileHead head;
    std::vector<TailRecord> tail;
    std::size_t refusedRecords = 0;
    std::string firstRefusal;
};

Result<BatteryTestFileContents> readTestFile(std::span<const std::uint8_t> file);

} // namespace kapsorel
