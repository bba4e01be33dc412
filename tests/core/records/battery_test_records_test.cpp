#include "core/records/battery_test_file_name.h"
#include "core/records/battery_test_records.h"
#include "support/battery_test_fixtures.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

BatteryTestHeader sampleHeader()
{
    BatteryTestHeader h;
    h.stepCount = 7;
    h.start = 45356.298;
    h.operatorName = "Novák";
    h.stationName = "Stanice 1";
    h.batteryNumber = "A12";
    h.batteryType = "NiCd 20";
    h.procedureName = "Kapacitní zkouška";
    h.note = "poznámka";
    return h;
}

StepResult sampleStepResult()
{
    StepResult s;
    s.start = 45356.5;
    s.stepType = 9;
    s.status = test_file_layout::kEndedPerformed;
    s.voltage = 24.25f;
    s.current = -12.5f;
    s.capacity = 3.125f;
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        s.cells[i] = 1.0f + 0.01f * static_cast<float>(i);
    s.printNumber = 3;
    s.repNumber = 250;
    s.description = "Vybíjení 5h";
    s.parameter1 = 28.8f;
    return s;
}

SampleRecord sampleRecord()
{
    SampleRecord s;
    s.time = 45356.75;
    s.step = 4;
    s.voltage = 25.5f;
    s.current = 10.25f;
    s.capacity = 1.75f;
    s.temperature = 21.5f;
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        s.cells[i] = 1.2f + 0.001f * static_cast<float>(i);
    return s;
}

} // namespace

TEST(TestHeaderRecord, EveryFieldLiesAtItsOffset)
{
    ByteWriter w;
    writeTestHeader(w, sampleHeader());
    const auto& b = w.data();
    ASSERT_EQ(b.size(), 197u);
    EXPECT_EQ(b[0], 7);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 0);
    EXPECT_EQ(getF64(b, 3), 45356.298);
    EXPECT_EQ(getText(b, 11), "Nov\xE1k");
    EXPECT_EQ(getText(b, 42), "Stanice 1");
    EXPECT_EQ(getText(b, 63), "A12");
    EXPECT_EQ(getText(b, 84), "NiCd 20");
    EXPECT_EQ(getText(b, 115), "Kapacitn\xED zkou\x9Aka");
    EXPECT_EQ(getText(b, 146), "pozn\xE1mka");
    // Bytes after a text are written as zeros.
    EXPECT_EQ(b[11 + 1 + 5], 0);
    EXPECT_EQ(b[196], 0);
}

TEST(TestHeaderRecord, ReadsHandBuiltBytesAndRoundTrips)
{
    std::vector<std::uint8_t> b(197, 0xCC); // undefined bytes after each text
    putU8(b, 0, 7);
    putU8(b, 1, 0);
    putU8(b, 2, 0);
    putF64(b, 3, 45356.298);
    putText(b, 11, "Nov\xE1k");
    putText(b, 42, "Stanice 1");
    putText(b, 63, "A12");
    putText(b, 84, "NiCd 20");
    putText(b, 115, "Kapacitn\xED zkou\x9Aka");
    putText(b, 146, "pozn\xE1mka");
    ByteReader r(b);
    const BatteryTestHeader h = readTestHeader(r);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.offset(), 197u);
    EXPECT_EQ(h, sampleHeader());

    ByteWriter w;
    writeTestHeader(w, h);
    ByteReader again(w.data());
    EXPECT_EQ(readTestHeader(again), h);
}

TEST(TestHeaderRecord, TextsAreCutToTheirCapacity)
{
    BatteryTestHeader h;
    h.batteryNumber = std::string(25, 'X');
    h.note = std::string(60, 'n');
    ByteWriter w;
    writeTestHeader(w, h);
    ASSERT_EQ(w.size(), 197u);
    EXPECT_EQ(w.data()[63], 20);
    EXPECT_EQ(w.data()[146], 50);
    ByteReader r(w.data());
    const BatteryTestHeader back = readTestHeader(r);
    EXPECT_EQ(back.batteryNumber, std::string(20, 'X'));
    EXPECT_EQ(back.note, std::string(50, 'n'));
}

TEST(StepResultRecord, EveryFieldLiesAtItsOffset)
{
    ByteWriter w;
    writeStepResult(w, sampleStepResult());
    const auto& b = w.data();
    ASSERT_EQ(b.size(), 145u);
    EXPECT_EQ(getF64(b, 0), 45356.5);
    EXPECT_EQ(b[8], 9);
    EXPECT_EQ(b[9], 12);
    EXPECT_EQ(getF32(b, 10), 24.25f);
    EXPECT_EQ(getF32(b, 14), -12.5f);
    EXPECT_EQ(getF32(b, 18), 3.125f);
    for (std::size_t i = 0; i < 20; ++i)
        EXPECT_EQ(getF32(b, 22 + 4 * i), 1.0f + 0.01f * static_cast<float>(i)) << i;
    EXPECT_EQ(b[102], 3);
    EXPECT_EQ(b[103], 250);
    EXPECT_EQ(getText(b, 104), "Vyb\xEDjen\xED 5h");
    EXPECT_EQ(getF32(b, 135), 28.8f);
    for (std::size_t i = 139; i < 145; ++i)
        EXPECT_EQ(b[i], 0) << i;
}

TEST(StepResultRecord, ReadsHandBuiltBytesAndRoundTrips)
{
    std::vector<std::uint8_t> b(145, 0);
    putF64(b, 0, 45356.5);
    putU8(b, 8, 9);
    putU8(b, 9, 12);
    putF32(b, 10, 24.25f);
    putF32(b, 14, -12.5f);
    putF32(b, 18, 3.125f);
    for (std::size_t i = 0; i < 20; ++i)
        putF32(b, 22 + 4 * i, 1.0f + 0.01f * static_cast<float>(i));
    putU8(b, 102, 3);
    putU8(b, 103, 250);
    putText(b, 104, "Vyb\xEDjen\xED 5h");
    putF32(b, 135, 28.8f);
    putU8(b, 140, 0x55); // reserved, ignored
    ByteReader r(b);
    const StepResult s = readStepResult(r);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.offset(), 145u);
    EXPECT_EQ(s, sampleStepResult());
}

TEST(StepResultRecord, TemplateIsZeroExceptTheDescription)
{
    ByteWriter w;
    writeStepResult(w, StepResult::notStarted());
    std::vector<std::uint8_t> expected(145, 0);
    putText(expected, 104, "Neproveden");
    EXPECT_EQ(w.data(), expected);
}

TEST(TailRecords, SampleFieldsLieAtTheirOffsets)
{
    ByteWriter w;
    writeSampleRecord(w, sampleRecord());
    const auto& b = w.data();
    ASSERT_EQ(b.size(), 105u);
    EXPECT_EQ(getF64(b, 0), 45356.75);
    EXPECT_EQ(b[8], 4);
    EXPECT_EQ(getF32(b, 9), 25.5f);
    EXPECT_EQ(getF32(b, 13), 10.25f);
    EXPECT_EQ(getF32(b, 17), 1.75f);
    EXPECT_EQ(getF32(b, 21), 21.5f);
    for (std::size_t i = 0; i < 20; ++i)
        EXPECT_EQ(getF32(b, 25 + 4 * i), 1.2f + 0.001f * static_cast<float>(i)) << i;

    ByteReader r(b);
    const TailRecord rec = readTailRecord(r, 4);
    ASSERT_TRUE(r.ok());
    ASSERT_TRUE(std::holds_alternative<SampleRecord>(rec));
    EXPECT_EQ(std::get<SampleRecord>(rec), sampleRecord());
}

TEST(TailRecords, MarkerIsByte254WithTheReasonAndZerosElsewhere)
{
    ByteWriter w;
    writeInterruptionMarker(w, InterruptionMarker{2});
    EXPECT_EQ(w.data(), markerBytes(4, 2));
    ByteReader r(w.data());
    const TailRecord rec = readTailRecord(r, 4);
    ASSERT_TRUE(std::holds_alternative<InterruptionMarker>(rec));
    EXPECT_EQ(std::get<InterruptionMarker>(rec).stopReason, 2);
}

TEST(TailRecords, ResumeRecordHas19MeaningfulBytesThenZeros)
{
    const ResumeEntry e{45357.25, 3, 45357.125, 1};
    ByteWriter w;
    writeResumeRecord(w, e);
    EXPECT_EQ(w.data(), resumeBytes(45357.25, 3, 45357.125, 1));
    ByteReader r(w.data());
    const TailRecord rec = readTailRecord(r, 4);
    ASSERT_TRUE(std::holds_alternative<ResumeEntry>(rec));
    EXPECT_EQ(std::get<ResumeEntry>(rec), e);
    EXPECT_EQ(r.offset(), 105u);
}

TEST(TailRecords, OldVersionsHave101ByteSamplesWithoutCapacity)
{
    for (std::uint8_t version : {1, 2, 3}) {
        auto b = sampleBytes(version, 45356.75, 4, 25.5f, 10.25f, 0.0f, 21.5f, 1.3f);
        b.push_back(0xEE); // start of the next record
        ByteReader r(b);
        const TailRecord rec = readTailRecord(r, version);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.offset(), 101u) << int(version);
        const auto& s = std::get<SampleRecord>(rec);
        EXPECT_EQ(s.voltage, 25.5f);
        EXPECT_EQ(s.current, 10.25f);
        EXPECT_EQ(s.capacity, 0.0f);
        EXPECT_EQ(s.temperature, 21.5f);
        EXPECT_EQ(s.cells[0], 1.3f);
    }
}

TEST(TailRecords, ShortInputFailsTheReader)
{
    const auto full = sampleBytes(4, 1.0, 0, 1, 2, 3, 4);
    for (std::size_t len = 0; len < full.size(); ++len) {
        const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
        ByteReader r(cut);
        (void)readTailRecord(r, 4);
        EXPECT_FALSE(r.ok()) << len;
    }
}

TEST(TestFileName, BatteryNumberAndStartMinute)
{
    EXPECT_EQ(testFileName("A12", dayTimeOf(2024, 3, 5, 7, 9, 41)), "T_A12_202403050709.tst");
    EXPECT_EQ(testFileName("B7", dayTimeOf(2025, 12, 31, 23, 59)), "T_B7_202512312359.tst");
    EXPECT_EQ(testFileName("A12", dayTimeOf(2024, 3, 5, 7, 9, 41), 1), "T_A12_202403050709_2.tst");
    EXPECT_EQ(testFileName("A12", dayTimeOf(2024, 3, 5, 7, 9, 41), 9), "T_A12_202403050709_10.tst");
}

TEST(TestFileName, CharactersThatWouldLeaveTheFolderAreReplaced)
{
    EXPECT_EQ(testFileName("../x/y", dayTimeOf(2024, 3, 5, 7, 9)), "T_.._x_y_202403050709.tst");
    EXPECT_EQ(testFileName("a:b*c?", dayTimeOf(2024, 3, 5, 7, 9)), "T_a_b_c__202403050709.tst");
    EXPECT_EQ(testFileName("Č.12", dayTimeOf(2024, 3, 5, 7, 9)), "T_Č.12_202403050709.tst");
}
