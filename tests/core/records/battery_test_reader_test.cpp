#include "core/records/battery_test_reader.h"
#include "support/battery_test_fixtures.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

const double kStart = dayTimeOf(2024, 3, 5, 7, 9);

std::vector<std::uint8_t> version4File()
{
    auto f = fixedPart(4, 3, kStart);
    append(f, sampleBytes(4, plusSeconds(kStart, 10), 0, 24.0f, 5.0f, 0.5f, 20.0f));
    append(f, markerBytes(4, 1));
    append(f, resumeBytes(plusSeconds(kStart, 700), 0, plusSeconds(kStart, 100), 1));
    append(f, sampleBytes(4, plusSeconds(kStart, 710), 2, 25.0f, 6.0f, 0.75f, 21.0f));
    return f;
}

} // namespace

TEST(TestFileReader, Version4HeadStepsVariablesAndTail)
{
    const auto file = version4File();
    ASSERT_EQ(file.size(), 222u + 145 * 3 + 4 * 105);
    auto read = readTestFile(file);
    ASSERT_TRUE(read) << read.error();
    const auto& head = read->head;
    EXPECT_EQ(head.layout.version, 4);
    EXPECT_EQ(head.layout.family, 2);
    EXPECT_EQ(head.layout.tailStart, 222u + 145 * 3);
    EXPECT_EQ(head.layout.tailCount, 4u);
    EXPECT_EQ(head.layout.trailingBytes, 0u);
    EXPECT_EQ(head.header.stepCount, 3);
    EXPECT_EQ(head.header.operatorName, "Novák");
    EXPECT_EQ(head.header.procedureName, "Kapacitní zkouška");
    ASSERT_EQ(head.steps.size(), 3u);
    EXPECT_EQ(head.steps[2].description, "K2");
    EXPECT_EQ(head.steps[2].status, 12);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(head.variables[i], i + 1);

    ASSERT_EQ(read->tail.size(), 4u);
    EXPECT_EQ(std::get<SampleRecord>(read->tail[0]).capacity, 0.5f);
    EXPECT_EQ(std::get<InterruptionMarker>(read->tail[1]).stopReason, 1);
    EXPECT_EQ(std::get<ResumeEntry>(read->tail[2]).step, 0);
    EXPECT_EQ(std::get<SampleRecord>(read->tail[3]).step, 2);
    EXPECT_EQ(read->refusedRecords, 0u);
}

TEST(TestFileReader, Version3FileWithThreeSamplesReadsCapacityZero)
{
    auto f = fixedPart(3, 2, kStart);
    for (int i = 0; i < 3; ++i)
        append(f, sampleBytes(3, plusSeconds(kStart, 10.0 * i), 1, 24.0f + i, 5.0f, 0.0f, 20.0f + i, 1.25f));
    auto read = readTestFile(f);
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read->head.layout.tailRecordSize, 101u);
    ASSERT_EQ(read->tail.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const auto& s = std::get<SampleRecord>(read->tail[static_cast<std::size_t>(i)]);
        EXPECT_EQ(s.voltage, 24.0f + static_cast<float>(i));
        EXPECT_EQ(s.capacity, 0.0f);
        EXPECT_EQ(s.temperature, 20.0f + static_cast<float>(i));
        EXPECT_EQ(s.cells[0], 1.25f);
    }
    EXPECT_EQ(read->head.variables[9], 10);
}

TEST(TestFileReader, Versions1And2HaveNoVariablesAndTailsRightAfterTheSteps)
{
    for (int version : {1, 2}) {
        auto f = fixedPart(version, 2, kStart);
        append(f, sampleBytes(version, kStart, 1, 12.0f, 1.0f, 0.0f, 19.0f));
        append(f, sampleBytes(version, kStart, 0, 13.0f, 1.0f, 0.0f, 19.0f));
        auto read = readTestFile(f);
        ASSERT_TRUE(read) << read.error();
        EXPECT_EQ(read->head.layout.tailStart, 199u + 145 * 2);
        EXPECT_EQ(read->head.layout.variableCount, 0u);
        EXPECT_EQ(read->head.variables, (std::array<std::uint8_t, 10>{}));
        ASSERT_EQ(read->tail.size(), 2u);
        EXPECT_EQ(std::get<SampleRecord>(read->tail[1]).voltage, 13.0f);
    }
}

TEST(TestFileReader, VariableCountOtherThanTenIsHonoured)
{
    // Count 12: the first ten are P0..P9, two more are skipped before the tail.
    auto f = fixedPart(4, 1, kStart);
    const std::size_t countAt = 199 + 145 + 12;
    f[countAt] = 12;
    f.push_back(0xAA);
    f.push_back(0xBB);
    append(f, sampleBytes(4, kStart, 0, 7.0f, 0, 0, 0));
    auto read = readTestFile(f);
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read->head.layout.tailStart, countAt + 1 + 12);
    ASSERT_EQ(read->tail.size(), 1u);
    EXPECT_EQ(std::get<SampleRecord>(read->tail[0]).voltage, 7.0f);

    // Count 3: P0..P2 read, the rest 0, the tail starts right after.
    auto g = fixedPart(4, 1, kStart);
    g[countAt] = 3;
    g.resize(countAt + 1 + 3);
    append(g, sampleBytes(4, kStart, 0, 8.0f, 0, 0, 0));
    auto readG = readTestFile(g);
    ASSERT_TRUE(readG) << readG.error();
    EXPECT_EQ(readG->head.variables, (std::array<std::uint8_t, 10>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::get<SampleRecord>(readG->tail[0]).voltage, 8.0f);
}

TEST(TestFileReader, EveryTruncationOfTheFixedPartIsRefused)
{
    for (int version : {2, 3, 4}) {
        const auto full = fixedPart(version, 3, kStart);
        for (std::size_t len = 0; len < full.size(); ++len) {
            const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(len));
            auto read = readTestFile(cut);
            EXPECT_FALSE(read) << "version " << version << " length " << len;
            if (!read) {
                EXPECT_FALSE(read.error().empty());
            }
        }
        EXPECT_TRUE(readTestFile(full)) << version;
    }
}

TEST(TestFileReader, StepCountAbove200IsRefused)
{
    auto f = fixedPart(4, 0, kStart);
    f[2] = 201;
    f.resize(f.size() + 145 * 201 + 23, 0);
    auto read = readTestFile(f);
    ASSERT_FALSE(read);
    EXPECT_NE(read.error().find("201"), std::string::npos);
}

TEST(TestFileReader, IncompleteLastRecordIsLeftOutAndCounted)
{
    auto f = version4File();
    const auto whole = f.size();
    f.resize(whole + 40, 0x11);
    auto read = readTestFile(f);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->tail.size(), 4u);
    EXPECT_EQ(read->head.layout.trailingBytes, 40u);
    EXPECT_EQ(read->head.layout.tailEnd(), whole);
}

TEST(TestFileReader, RecordsNamingAStepBeyondTheTestAreRefused)
{
    auto f = fixedPart(4, 3, kStart);
    append(f, sampleBytes(4, kStart, 2, 1.0f, 0, 0, 0));   // last step: fine
    append(f, sampleBytes(4, kStart, 3, 2.0f, 0, 0, 0));   // step 4 of 3
    append(f, resumeBytes(kStart, 199, kStart, 0));        // step 200 of 3
    append(f, sampleBytes(4, kStart, 253, 3.0f, 0, 0, 0)); // highest sample index
    append(f, sampleBytes(4, kStart, 1, 4.0f, 0, 0, 0));
    auto read = readTestFile(f);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->tail.size(), 2u);
    EXPECT_EQ(std::get<SampleRecord>(read->tail[0]).voltage, 1.0f);
    EXPECT_EQ(std::get<SampleRecord>(read->tail[1]).voltage, 4.0f);
    EXPECT_EQ(read->refusedRecords, 3u);
    EXPECT_NE(read->firstRefusal.find("kroku 4"), std::string::npos) << read->firstRefusal;

    auto single = readTailRecordAt(f, read->head.layout, 1);
    EXPECT_FALSE(single);
    EXPECT_FALSE(readTailRecordAt(f, read->head.layout, 99));
}

TEST(TestFileReader, FilesOfAnotherKindAreNamedSoNotTakenForATestCutShort)
{
    // A configuration file's text and a test file of an unknown version or with a start
    // time that is no number: each is "not a test file", none a test file cut short.
    const std::string ini = "[Nastaveni]\nIP_adr_vyk=127.0.0.2\nDNB_OK_MIN=100\nStanice=Ukázková stanice\n";
    auto unknownVersion = fixedPart(4, 1, kStart);
    unknownVersion[0] = 9;
    auto noTime = fixedPart(4, 1, std::numeric_limits<double>::quiet_NaN());
    const std::vector<std::vector<std::uint8_t>> others = {std::vector<std::uint8_t>(ini.begin(), ini.end()),
                                                           std::vector<std::uint8_t>(4096, 0x41), unknownVersion,
                                                           noTime};
    for (const auto& file : others) {
        const auto read = readTestFile(file);
        ASSERT_FALSE(read) << file.size();
        EXPECT_NE(read.error().find("není soubor testu"), std::string::npos) << read.error();
        EXPECT_EQ(read.error().find("zkrácený"), std::string::npos) << read.error();
    }
}
