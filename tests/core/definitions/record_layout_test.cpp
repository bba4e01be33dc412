// Field offsets of every definitions record, checked against hand-placed bytes, and
// write -> read round trips.
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/procedure_index.h"
#include "support/fixture_bytes.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

// A step with every field set at its offset; the reserved tail holds junk.
std::vector<std::uint8_t> stepFixture()
{
    std::vector<std::uint8_t> b(kProcedureStepSize, 0);
    putU16(b, 0, 0x0102);
    putU8(b, 2, 9);
    putU8(b, 3, 12);
    b[4] = 'U';
    b[5] = '1';
    b[6] = 0xAA;
    b[7] = 0xBB;
    putU8(b, 8, 2);
    putF32(b, 9, 22.5f);
    putU8(b, 13, 7);
    putU8(b, 14, 250);
    putText(b, 15, "Nab\xEDjen\xED"); // "Nabíjení" in Windows-1250
    putText(b, 66, "Popis \x9A");     // "Popis š"
    // start condition: U >= 28.8 (used), OR T > 3600, then an unused term with junk
    putU8(b, 97, 1);
    putU8(b, 98, 4);
    putU8(b, 99, 2);
    putF32(b, 100, 28.8f);
    putU8(b, 104, 1);
    for (std::size_t i = 105; i < 115; ++i)
        b[i] = 0x55;
    putU8(b, 115, 0);
    putU8(b, 116, 3);
    putU8(b, 117, 5);
    putF32(b, 118, 3600.0f);
    putU8(b, 122, 1);
    putU8(b, 133, 9);
    putU8(b, 134, 2);
    putU8(b, 135, 200);
    // end condition: Tl > 0.0, AND dI < #CR
    putU8(b, 169, 5);
    putU8(b, 170, 3);
    putU8(b, 171, 2);
    putF32(b, 172, 0.0f);
    putU8(b, 176, 1);
    putU8(b, 187, 16);
    putU8(b, 188, 1);
    putU8(b, 189, 12);
    b[190] = 'C';
    b[191] = 'R';
    putU8(b, 194, 2);
    for (std::size_t i = 241; i < kProcedureStepSize; ++i)
        b[i] = 0xEE;
    return b;
}

std::vector<std::uint8_t> withZeroTail(std::vector<std::uint8_t> b, std::size_t from)
{
    for (std::size_t i = from; i < b.size(); ++i)
        b[i] = 0;
    return b;
}

} // namespace

TEST(StepLayout, FieldsAtTheirOffsets)
{
    const auto bytes = stepFixture();
    auto parsed = parseProcedureStep(bytes);
    ASSERT_TRUE(parsed) << parsed.error();
    const ProcedureStep& s = parsed.value();
    EXPECT_EQ(s.recordInterval, 0x0102);
    EXPECT_EQ(s.type, 9);
    EXPECT_EQ(s.value1.format, 12);
    EXPECT_EQ(s.value1.referenceId(), "U1");
    EXPECT_EQ(s.value1.bytes[2], 0xAA);
    EXPECT_EQ(s.value1.bytes[3], 0xBB);
    EXPECT_EQ(s.value2.format, 2);
    EXPECT_EQ(s.value2.single(), 22.5f);
    EXPECT_EQ(s.printNumber, 7);
    EXPECT_EQ(s.reportNumber, 250);
    EXPECT_EQ(s.text, "Nabíjení");
    EXPECT_EQ(s.description, "Popis š");

    EXPECT_EQ(s.startCondition[0].variable, 1);
    EXPECT_EQ(s.startCondition[0].relation, 4);
    EXPECT_EQ(s.startCondition[0].value.format, 2);
    EXPECT_EQ(s.startCondition[0].value.single(), 28.8f);
    EXPECT_EQ(s.startCondition[0].joiner, 1);
    EXPECT_EQ(s.startCondition[0].spare[0], 0x55);
    EXPECT_EQ(s.startCondition[0].spare[9], 0x55);
    EXPECT_EQ(s.startCondition[1].variable, 0);
    EXPECT_EQ(s.startCondition[1].relation, 3);
    EXPECT_EQ(s.startCondition[1].value.format, 5);
    EXPECT_EQ(s.startCondition[1].value.single(), 3600.0f);
    EXPECT_EQ(s.startCondition[1].joiner, 1);
    EXPECT_EQ(s.startCondition[2].variable, 9);
    EXPECT_EQ(s.startCondition[2].joiner, 0);

    EXPECT_EQ(s.endCondition[0].variable, 5);
    EXPECT_EQ(s.endCondition[0].relation, 3);
    EXPECT_EQ(s.endCondition[0].joiner, 1);
    EXPECT_EQ(s.endCondition[1].variable, 16);
    EXPECT_EQ(s.endCondition[1].relation, 1);
    EXPECT_EQ(s.endCondition[1].value.format, 12);
    EXPECT_EQ(s.endCondition[1].value.referenceId(), "CR");
    EXPECT_EQ(s.endCondition[1].joiner, 2);

    // Written back: identical except the reserved tail, which is zeroed.
    EXPECT_EQ(serializeProcedureStep(s), withZeroTail(bytes, 241));
}

TEST(StepLayout, RoundTripOfBuiltStep)
{
    ProcedureStep s;
    s.recordInterval = 65535;
    s.type = 6;
    s.value1 = StepValue::number(1, 3.0f);
    s.value2 = StepValue::reference(1, "KO");
    s.printNumber = 255;
    s.reportNumber = 1;
    s.text = std::string(50, 'x');
    s.description = "Čekání na obsluhu";
    s.startCondition[0] = {6, 0, StepValue::number(1, 1.0f), 1, {}};
    s.endCondition[0] = {5, 3, StepValue::number(2, 0.0f), 1, {}};
    const auto bytes = serializeProcedureStep(s);
    ASSERT_EQ(bytes.size(), kProcedureStepSize);
    auto back = parseProcedureStep(bytes);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(back.value(), s);
    EXPECT_EQ(serializeProcedureStep(back.value()), bytes);
}

TEST(ProcedureFileLayout, HeaderNoteAndStepsAtTheirOffsets)
{
    std::vector<std::uint8_t> b(kProcedureHeaderSize + 2 * kProcedureStepSize + 17, 0);
    putU8(b, 0, 2);
    putText(b, 1, "Kapacitn\xED zkou\x9Aka"); // "Kapacitní zkouška"
    for (std::size_t i = 102; i < 152; ++i)
        b[i] = 0x77;
    auto step = stepFixture();
    std::copy(step.begin(), step.end(), b.begin() + 152);
    step[2] = 10; // second step: "Konec"
    std::copy(step.begin(), step.end(), b.begin() + 152 + 291);
    for (std::size_t i = 152 + 2 * 291; i < b.size(); ++i)
        b[i] = 0xFF; // trailing bytes are ignored

    auto p = parseProcedure(b);
    ASSERT_TRUE(p) << p.error();
    EXPECT_EQ(p->note, "Kapacitní zkouška");
    ASSERT_EQ(p->steps.size(), 2u);
    EXPECT_EQ(p->steps[0].type, 9);
    EXPECT_EQ(p->steps[1].type, 10);
    EXPECT_EQ(p->steps[1].description, "Popis š");

    auto written = serializeProcedure(p.value());
    ASSERT_TRUE(written);
    ASSERT_EQ(written->size(), kProcedureHeaderSize + 2 * kProcedureStepSize);
    auto expected = std::vector<std::uint8_t>(b.begin(), b.begin() + static_cast<long>(written->size()));
    for (std::size_t i = 102; i < 152; ++i)
        expected[i] = 0;
    for (std::size_t s = 0; s < 2; ++s)
        for (std::size_t i = 241; i < 291; ++i)
            expected[152 + s * 291 + i] = 0;
    EXPECT_EQ(written.value(), expected);
}

TEST(ProcedureFileLayout, EmptyProcedureIsTheHeaderWithItsNote)
{
    Procedure p;
    p.note = "jen poznámka";
    auto written = serializeProcedure(p);
    ASSERT_TRUE(written);
    std::vector<std::uint8_t> expected(kProcedureHeaderSize, 0);
    const std::string note = "jen pozn\xE1mka"; // Windows-1250
    expected[1] = static_cast<std::uint8_t>(note.size());
    for (std::size_t i = 0; i < note.size(); ++i)
        expected[2 + i] = static_cast<std::uint8_t>(note[i]);
    EXPECT_EQ(written.value(), expected);

    // The note of a procedure without steps reads back whenever the file holds it.
    auto back = parseProcedure(written.value());
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->steps.empty());
    EXPECT_EQ(back->note, "jen poznámka");

    // A new procedure's single byte 0 and a file cut inside the note have none.
    for (std::size_t size : {std::size_t{1}, std::size_t{101}}) {
        auto cut = parseProcedure(std::span(written.value()).first(size));
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->note, "") << size;
    }
}

TEST(IndexLayout, EntryAndFile)
{
    std::vector<std::uint8_t> b(2 * kIndexEntrySize + 33, 0);
    putU16(b, 0, 1000);
    putText(b, 2, "Kapacitn\xED test");
    putU16(b, 34, 7);
    putText(b, 36, std::string(30, 'N'));
    auto entries = parseProcedureIndex(b);
    ASSERT_TRUE(entries) << entries.error();
    ASSERT_EQ(entries->size(), 2u); // 101 bytes = 2 entries and a remainder
    EXPECT_EQ((*entries)[0].number, 1000);
    EXPECT_EQ((*entries)[0].name, "Kapacitní test");
    EXPECT_EQ((*entries)[1].number, 7);
    EXPECT_EQ((*entries)[1].name, std::string(30, 'N'));
    EXPECT_EQ(serializeProcedureIndex(entries.value()), std::vector<std::uint8_t>(b.begin(), b.begin() + 68));
    EXPECT_EQ(serializeIndexEntry((*entries)[0]).size(), kIndexEntrySize);
}

TEST(IndexLayout, NameFieldHoldsThirtyOneCharacters)
{
    // A name read from a file with all 31 characters survives a rewrite of the index.
    const auto bytes = serializeIndexEntry({5, std::string(40, 'a')});
    ASSERT_EQ(bytes.size(), kIndexEntrySize);
    EXPECT_EQ(bytes[2], 31);
    EXPECT_EQ(bytes[33], 'a');
    EXPECT_EQ(parseIndexEntry(bytes).name, std::string(31, 'a'));
}

namespace {

std::vector<std::uint8_t> batteryFixture()
{
    std::vector<std::uint8_t> b(kBatteryTypeSize, 0);
    putU16(b, 0, 0xFFFE); // head −2
    putText(b, 2, "20KSX25P");
    putU8(b, 33, 3);
    putU8(b, 34, 1);
    putU8(b, 35, 2);
    putU8(b, 36, 44);
    putU8(b, 44, 1);
    putU8(b, 45, 2);
    putText(b, 46, "Nab\xEDjec\xED nap\xECt\xED"); // "Nabíjecí napětí"
    putText(b, 67, "U1");
    putF32(b, 70, 28.8f);
    putText(b, 74, "Kapacita");
    putText(b, 95, "C1");
    putF32(b, 98, 25.0f);
    putU16(b, 606, 0xABCD);
    for (std::size_t i = 608; i < kBatteryTypeSize; ++i)
        b[i] = 0x99;
    return b;
}

} // namespace

TEST(BatteryLayout, FieldsAtTheirOffsets)
{
    const auto b = batteryFixture();
    const BatteryType t = parseBatteryType(b);
    EXPECT_EQ(t.head, -2);
    EXPECT_EQ(t.name, "20KSX25P");
    EXPECT_EQ(t.allowedProcedures, (std::vector<std::uint8_t>{1, 2, 44}));
    EXPECT_EQ(t.chemistry, kChemistryPb);
    ASSERT_EQ(t.variables.size(), 2u);
    EXPECT_EQ(t.variables[0].description, "Nabíjecí napětí");
    EXPECT_EQ(t.variables[0].id, "U1");
    EXPECT_EQ(t.variables[0].value, 28.8f);
    EXPECT_EQ(t.variables[1].id, "C1");
    EXPECT_EQ(t.variables[1].value, 25.0f);
    EXPECT_EQ(t.currentChangeInterval, 0xABCD);
    EXPECT_EQ(serializeBatteryType(t), withZeroTail(b, 608));
}

TEST(BatteryLayout, FileHeaderAndRoundTrip)
{
    std::vector<std::uint8_t> file = {7, 2}; // byte 0 is ignored when read
    const auto rec = batteryFixture();
    file.insert(file.end(), rec.begin(), rec.end());
    file.insert(file.end(), rec.begin(), rec.end());
    auto parsed = parseBatteryFile(file);
    ASSERT_TRUE(parsed) << parsed.error();
    ASSERT_EQ(parsed->types.size(), 2u);
    EXPECT_TRUE(parsed->warnings.empty());

    auto written = serializeBatteryFile(parsed->types);
    ASSERT_TRUE(written);
    ASSERT_EQ(written->size(), 2 + 2 * kBatteryTypeSize);
    EXPECT_EQ((*written)[0], 0);
    EXPECT_EQ((*written)[1], 2);
    auto again = parseBatteryFile(written.value());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->types, parsed->types);
    EXPECT_EQ(serializeBatteryFile(again->types).value(), written.value());
}
