#include "core/records/battery_test_records.h"

namespace kapsorel {

StepResult StepResult::notStarted()
{
    StepResult s;
    s.description = test_file_layout::kNotPerformedText;
    return s;
}

void writeTestHeader(ByteWriter& w, const BatteryTestHeader& h)
{
    w.u8(h.stepCount);
    w.u8(h.reserved1);
    w.u8(h.reserved2);
    w.f64(h.start);
    w.text(h.operatorName, test_file_layout::kOperatorChars);
    w.text(h.stationName, test_file_layout::kStationChars);
    w.text(h.batteryNumber, test_file_layout::kBatteryNumberChars);
    w.text(h.batteryType, test_file_layout::kBatteryTypeChars);
    w.text(h.procedureName, test_file_layout::kProcedureChars);
    w.text(h.note, test_file_layout::kNoteChars);
}

BatteryTestHeader readTestHeader(ByteReader& r)
{
    BatteryTestHeader h;
    h.stepCount = r.u8();
    h.reserved1 = r.u8();
    h.reserved2 = r.u8();
    h.start = r.f64();
    h.operatorName = r.text(test_file_layout::kOperatorChars);
    h.stationName = r.text(test_file_layout::kStationChars);
    h.batteryNumber = r.text(test_file_layout::kBatteryNumberChars);
    h.batteryType = r.text(test_file_layout::kBatteryTypeChars);
    h.procedureName = r.text(test_file_layout::kProcedureChars);
    h.note = r.text(test_file_layout::kNoteChars);
    return h;
}

void writeStepResult(ByteWriter& w, const StepResult& s)
{
    w.f64(s.start);
    w.u8(s.stepType);
    w.u8(s.status);
    w.single(s.voltage);
    w.single(s.current);
    w.single(s.capacity);
    for (float c : s.cells)
        w.single(c);
    w.u8(s.printNumber);
    w.u8(s.repNumber);
    w.text(s.description, test_file_layout::kDescriptionChars);
    w.single(s.parameter1);
    w.zeros(6);
}

StepResult readStepResult(ByteReader& r)
{
    StepResult s;
    s.start = r.f64();
    s.stepType = r.u8();
    s.status = r.u8();
    s.voltage = r.single();
    s.current = r.single();
    s.capacity = r.single();
    for (float& c : s.cells)
        c = r.single();
    s.printNumber = r.u8();
    s.repNumber = r.u8();
    s.description = r.text(test_file_layout::kDescriptionChars);
    s.parameter1 = r.single();
    r.skip(6);
    return s;
}

void writeSampleRecord(ByteWriter& w, const SampleRecord& s)
{
    w.f64(s.time);
    w.u8(s.step);
    w.single(s.voltage);
    w.single(s.current);
    w.single(s.capacity);
    w.single(s.temperature);
    for (float c : s.cells)
        w.single(c);
}

void writeInterruptionMarker(ByteWriter& w, const InterruptionMarker& m)
{
    w.zeros(test_file_layout::kTailKindOffset);
    w.u8(test_file_layout::kInterruptionKind);
    w.u8(m.stopReason);
    w.zeros(test_file_layout::kTailSize - test_file_layout::kTailKindOffset - 2);
}

void writeResumeRecord(ByteWriter& w, const ResumeEntry& e)
{
    w.f64(e.resumeTime);
    w.u8(test_file_layout::kResumeKind);
    w.u8(e.step);
    w.f64(e.interruptionTime);
    w.u8(e.stopReason);
    w.zeros(test_file_layout::kTailSize - test_file_layout::kResumeMeaningful);
}

std::size_t tailRecordSize(std::uint8_t version)
{
    return version >= 4 ? test_file_layout::kTailSize : test_file_layout::kOldTailSize;
}

void decodeTailRecord(ByteReader& r, std::uint8_t version, DecodedTailRecord& out)
{
    using Kind = DecodedTailRecord::Kind;
    const std::size_t start = r.offset();
    const std::size_t size = tailRecordSize(version);
    if (r.remaining() < size) {
        r.skip(size);
        out.kind = Kind::Sample;
        out.sample = SampleRecord{};
        return;
    }
    const DayTime time = r.f64();
    const std::uint8_t kind = r.u8();
    if (kind == test_file_layout::kInterruptionKind) {
        out.kind = Kind::Interruption;
        out.marker = InterruptionMarker{r.u8()};
    } else if (kind == test_file_layout::kResumeKind) {
        out.kind = Kind::Resume;
        ResumeEntry& e = out.resume;
        e.resumeTime = time;
        e.step = r.u8();
        e.interruptionTime = r.f64();
        e.stopReason = r.u8();
    } else {
        out.kind = Kind::Sample;
        SampleRecord& s = out.sample;
        s.time = time;
        s.step = kind;
        s.voltage = r.single();
        s.current = r.single();
        s.capacity = version >= 4 ? r.single() : 0.0f;
        s.temperature = r.single();
        for (float& c : s.cells)
            c = r.single();
    }
    r.seek(start + size);
}

TailRecord readTailRecord(ByteReader& r, std::uint8_t version)
{
    DecodedTailRecord d;
    decodeTailRecord(r, version, d);
    switch (d.kind) {
    case DecodedTailRecord::Kind::Interruption:
        return d.marker;
    case DecodedTailRecord::Kind::Resume:
        return d.resume;
    case DecodedTailRecord::Kind::Sample:
        break;
    }
    return d.sample;
}

} // namespace kapsorel
