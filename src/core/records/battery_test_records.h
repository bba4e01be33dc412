// The records of a test file (".tst"): header, per-step results, samples, interruption
// markers and resume records, with their byte-exact encoders and decoders.
#pragma once

#include "core/base/bytes.h"
#include "core/base/day_time.h"
#include "core/definitions/procedure.h"
#include "core/station/battery_family.h"
#include "core/station/limits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kapsorel {

namespace test_file_layout {
constexpr std::uint8_t kCurrentVersion = 4;
constexpr int kMaxSteps = ::kapsorel::kMaxSteps;
constexpr int kCells = kCellCount;
constexpr int kVariables = 10;

constexpr std::size_t kHeaderOffset = 2;
constexpr std::size_t kHeaderSize = 197;
constexpr std::size_t kStepResultSize = 145;
constexpr std::size_t kStepsOffset = kHeaderOffset + kHeaderSize; // 199
constexpr std::size_t kReservedSize = 12;
constexpr std::size_t kTailSize = 105;    // version 4
constexpr std::size_t kOldTailSize = 101; // versions 1 to 3
constexpr std::size_t kResumeMeaningful = 19;
constexpr std::size_t kStepStatusOffset = 9; // inside a StepResult
constexpr std::size_t kTailKindOffset = 8;   // inside a tail record

constexpr std::uint8_t kInterruptionKind = 254;
constexpr std::uint8_t kResumeKind = 255;

// Status byte of a StepResult.
constexpr std::uint8_t kNotStarted = 0;
constexpr std::uint8_t kStartedSkipped = 1;
constexpr std::uint8_t kStartedPerformed = 2;
constexpr std::uint8_t kEndedSkipped = 11;
constexpr std::uint8_t kEndedPerformed = 12;

// Text capacities.
constexpr std::size_t kOperatorChars = 30;
constexpr std::size_t kStationChars = 20;
constexpr std::size_t kBatteryNumberChars = 20;
constexpr std::size_t kBatteryTypeChars = 30;
constexpr std::size_t kProcedureChars = 30;
constexpr std::size_t kNoteChars = 50;
constexpr std::size_t kDescriptionChars = 30;

// Description of a StepResult written when the file is created.
inline constexpr const char* kNotPerformedText = "Neproveden";

// Offset of the step results' end, i.e. the reserved block (versions 3 and later) or the
// first tail record (versions 1 and 2).
constexpr std::size_t stepsEnd(std::size_t stepCount)
{
    return kStepsOffset + kStepResultSize * stepCount;
}
constexpr std::size_t stepResultOffset(std::size_t step)
{
    return kStepsOffset + kStepResultSize * step;
}
// Offset of the ten variables in a version-4 file (after the reserved block and the count).
constexpr std::size_t variablesOffset(std::size_t stepCount)
{
    return stepsEnd(stepCount) + kReservedSize + 1;
}
// Size of a freshly created version-4 file, and the offset of its first tail record.
constexpr std::size_t createdSize(std::size_t stepCount)
{
    return variablesOffset(stepCount) + kVariables;
}
} // namespace test_file_layout

// Identification of a test (197 bytes).
struct BatteryTestHeader {
    std::uint8_t stepCount = 0;
    std::uint8_t reserved1 = 0;
    std::uint8_t reserved2 = 0;
    DayTime start = 0.0;
    std::string operatorName; // "Měřil"
    std::string stationName;
    std::string batteryNumber;
    std::string batteryType;
    std::string procedureName;
    std::string note;

    bool operator==(const BatteryTestHeader&) const = default;
};

// What a step did, captured when it started (145 bytes).
struct StepResult {
    DayTime start = 0.0; // 0: not started
    std::uint8_t stepType = 0;
    std::uint8_t status = test_file_layout::kNotStarted;
    float voltage = 0.0f;
    float current = 0.0f;
    float capacity = 0.0f;
    std::array<float, test_file_layout::kCells> cells{};
    std::uint8_t printNumber = 0; // "Tisk"
    std::uint8_t repNumber = 0;   // "Rep."
    std::string description;      // "Popis"
    float parameter1 = 0.0f;      // value 1 of the step as stored

    bool operator==(const StepResult&) const = default;

    // The record every step carries until it starts.
    static StepResult notStarted();
};

// One measured sample (105 bytes in version 4, 101 without capacity before).
struct SampleRecord {
    DayTime time = 0.0;
    std::uint8_t step = 0;
    float voltage = 0.0f;
    float current = 0.0f;
    float capacity = 0.0f;
    float temperature = 0.0f;
    std::array<float, test_file_layout::kCells> cells{};

    bool operator==(const SampleRecord&) const = default;
};

// The run stopped here for `stopReason`.
struct InterruptionMarker {
    std::uint8_t stopReason = 0;

    bool operator==(const InterruptionMarker&) const = default;
};

// The 19 meaningful bytes of a resume record: step `step` was continued at `resumeTime`
// after being interrupted at `interruptionTime`.
struct ResumeEntry {
    DayTime resumeTime = 0.0;
    std::uint8_t step = 0;
    DayTime interruptionTime = 0.0;
    std::uint8_t stopReason = 0;

    bool operator==(const ResumeEntry&) const = default;
};

using TailRecord = std::variant<SampleRecord, InterruptionMarker, ResumeEntry>;

// Encoders append exactly the record's size to the writer.
void writeTestHeader(ByteWriter& w, const BatteryTestHeader& h);
void writeStepResult(ByteWriter& w, const StepResult& s);
void writeSampleRecord(ByteWriter& w, const SampleRecord& s);
void writeInterruptionMarker(ByteWriter& w, const InterruptionMarker& m);
void writeResumeRecord(ByteWriter& w, const ResumeEntry& e);

// Decoders read exactly the record's size; a short input leaves the reader failed.
BatteryTestHeader readTestHeader(ByteReader& r);
StepResult readStepResult(ByteReader& r);

// Tail records of version `version`: 105 bytes from version 4 on, 101 bytes (samples
// without capacity) before. The caller checks the step index against the step count.
std::size_t tailRecordSize(std::uint8_t version);
TailRecord readTailRecord(ByteReader& r, std::uint8_t version);

// A tail record decoded in place, for readers of many records: only the member `kind`
// names is set. No allocation, no variant.
struct DecodedTailRecord {
    enum class Kind : std::uint8_t { Sample, Interruption, Resume };
    Kind kind = Kind::Sample;
    SampleRecord sample;
    InterruptionMarker marker;
    ResumeEntry resume;
};
// The one decoder of tail records (readTailRecord is this, put into a TailRecord). A short
// input leaves the reader failed and `out` a sample of zeros.
void decodeTailRecord(ByteReader& r, std::uint8_t version, DecodedTailRecord& out);

} // namespace kapsorel
