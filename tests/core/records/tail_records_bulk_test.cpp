// The bulk reader of tail records against the record-by-record one: the same records in
// the same order, the same refusals with the same messages, whatever piece of the tail it
// is given, for the old and the current record size.
#include "core/records/battery_test_reader.h"
#include "support/battery_test_fixtures.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

const double kStart = dayTimeOf(2024, 3, 5, 7, 9);

// What one reader saw of one record.
struct Seen {
    std::size_t index = 0;
    Result<TailRecord> record = Error{std::string()};
};

struct Collect {
    std::vector<Seen>& out;
    void sample(std::size_t i, const SampleRecord& s) { out.push_back({i, TailRecord{s}}); }
    void interruption(std::size_t i, const InterruptionMarker& m) { out.push_back({i, TailRecord{m}}); }
    void resume(std::size_t i, const ResumeEntry& e) { out.push_back({i, TailRecord{e}}); }
    void refused(std::size_t i, std::string message) { out.push_back({i, Error{std::move(message)}}); }
};

// A resume record of `version`'s size (its 19 meaningful bytes are the same in all).
std::vector<std::uint8_t> resumeOf(int version, double resumeTime, std::uint8_t step, double interruptionTime,
                                   std::uint8_t reason)
{
    auto b = resumeBytes(resumeTime, step, interruptionTime, reason);
    b.resize(version >= 4 ? 105 : 101);
    return b;
}

// A tail of every kind of record, with samples and a resume naming steps beyond the test's
// three.
std::vector<std::uint8_t> mixedFile(std::uint8_t version)
{
    auto f = fixedPart(version, 3, kStart);
    append(f, sampleBytes(version, plusSeconds(kStart, 10), 0, 24.0f, 5.0f, 0.5f, 20.0f, 1.25f));
    append(f, sampleBytes(version, plusSeconds(kStart, 20), 3, 24.5f, 5.0f, 0.5f, 20.0f));
    append(f, markerBytes(version, 2));
    append(f, resumeOf(version, plusSeconds(kStart, 700), 7, plusSeconds(kStart, 100), 1));
    append(f, resumeOf(version, plusSeconds(kStart, 800), 1, plusSeconds(kStart, 750), 2));
    append(f, sampleBytes(version, plusSeconds(kStart, 810), 2, 25.0f, 6.0f, 0.75f, 21.0f, 1.5f));
    append(f, sampleBytes(version, plusSeconds(kStart, 820), 200, 25.0f, 6.0f, 0.75f, 21.0f));
    return f;
}

} // namespace

TEST(TailRecordsBulk, EveryPieceReadsAsRecordByRecord)
{
    for (const std::uint8_t version : {std::uint8_t{2}, std::uint8_t{3}, std::uint8_t{4}}) {
        SCOPED_TRACE(static_cast<int>(version));
        const auto file = mixedFile(version);
        auto head = readTestFileHead(file);
        ASSERT_TRUE(head) << head.error();
        const BatteryTestFileLayout& layout = head->layout;
        ASSERT_EQ(layout.tailCount, 7u);
        const auto tail = std::span<const std::uint8_t>(file).subspan(layout.tailStart);
        const std::size_t size = layout.tailRecordSize;
        for (std::size_t first = 0; first < layout.tailCount; ++first) {
            for (std::size_t count = 1; first + count <= layout.tailCount; ++count) {
                std::vector<Seen> seen;
                const std::size_t read =
                    readTailRecords(tail.subspan(first * size, count * size), layout, first, Collect{seen});
                ASSERT_EQ(read, count);
                ASSERT_EQ(seen.size(), count);
                for (std::size_t k = 0; k < count; ++k) {
                    const auto expected = readTailRecordAt(file, layout, first + k);
                    EXPECT_EQ(seen[k].index, first + k);
                    ASSERT_EQ(seen[k].record.ok(), expected.ok()) << first + k;
                    if (expected.ok())
                        EXPECT_EQ(seen[k].record.value(), expected.value());
                    else
                        EXPECT_EQ(seen[k].record.error(), expected.error());
                }
            }
        }
    }
}

TEST(TailRecordsBulk, RefusalsNameTheRecordAndTheStep)
{
    const auto file = mixedFile(4);
    auto head = readTestFileHead(file);
    ASSERT_TRUE(head);
    std::vector<Seen> seen;
    readTailRecords(std::span<const std::uint8_t>(file).subspan(head->layout.tailStart), head->layout, 0,
                    Collect{seen});
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[1].record.error(), "Záznam 2 souboru testu patří ke kroku 4, test má jen 3 kroků");
    EXPECT_EQ(seen[3].record.error(), "Záznam 4 souboru testu patří ke kroku 8, test má jen 3 kroků");
    EXPECT_EQ(seen[6].record.error(), "Záznam 7 souboru testu patří ke kroku 201, test má jen 3 kroků");
    EXPECT_EQ(std::get<SampleRecord>(seen[5].record.value()).cells[0], 1.5f);
}

TEST(TailRecordsBulk, NothingPastTheRecordsGivenOrTheTailIsRead)
{
    const auto file = mixedFile(4);
    auto head = readTestFileHead(file);
    ASSERT_TRUE(head);
    const BatteryTestFileLayout& layout = head->layout;
    const auto tail = std::span<const std::uint8_t>(file).subspan(layout.tailStart);
    std::vector<Seen> seen;
    // Two whole records and part of a third: two are read.
    EXPECT_EQ(readTailRecords(tail.first(2 * layout.tailRecordSize + 50), layout, 0, Collect{seen}), 2u);
    // A piece said to start at the last record: one, however much follows.
    seen.clear();
    EXPECT_EQ(readTailRecords(tail, layout, layout.tailCount - 1, Collect{seen}), 1u);
    EXPECT_EQ(seen.front().index, layout.tailCount - 1);
    // Beyond the tail, nothing.
    EXPECT_EQ(readTailRecords(tail, layout, layout.tailCount, Collect{seen}), 0u);
}
