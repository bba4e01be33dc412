#include "core/reports/report_texts.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kapsorel;

namespace {

ReportText sample(std::string variable, std::uint8_t value, std::string text, ReportTextPosition position,
                  std::uint16_t x, std::uint16_t y)
{
    return ReportText{std::move(variable), value, std::move(text), position, x, y};
}

std::vector<std::uint8_t> encoded(const std::vector<ReportText>& texts)
{
    auto bytes = encodeReportTexts(texts);
    EXPECT_TRUE(bytes.ok()) << bytes.error();
    return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

} // namespace

TEST(ReportTexts, RecordFieldsAtTheirOffsets)
{
    const auto bytes = encoded({sample("P1", 7, "Šťáva", ReportTextPosition::Note, 0x0102, 0x0304)});
    ASSERT_EQ(bytes.size(), 2 + kReportTextRecordSize);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0);
    const std::size_t r = 2;
    EXPECT_EQ(bytes[r + 0], 2);
    EXPECT_EQ(bytes[r + 1], 'P');
    EXPECT_EQ(bytes[r + 2], '1');
    EXPECT_EQ(bytes[r + 3], 7);
    EXPECT_EQ(bytes[r + 4], 5);
    EXPECT_EQ(bytes[r + 5], 0x8A); // Š in Windows-1250
    EXPECT_EQ(bytes[r + 6], 0x9D); // ť
    EXPECT_EQ(bytes[r + 205], 2);
    EXPECT_EQ(bytes[r + 206], 0x02);
    EXPECT_EQ(bytes[r + 207], 0x01);
    EXPECT_EQ(bytes[r + 208], 0x04);
    EXPECT_EQ(bytes[r + 209], 0x03);
}

TEST(ReportTexts, RoundTripCutsVariableAndText)
{
    const std::vector<ReportText> texts = {
        sample("P0", 0, "Kapacitní zkouška", ReportTextPosition::Page, 10, 20),
        sample("P2", 255, std::string(250, 'x'), ReportTextPosition::Title, 65535, 0),
        sample("P10", 3, "", ReportTextPosition::Note, 0, 65535),
    };
    auto back = parseReportTexts(encoded(texts));
    ASSERT_TRUE(back.ok()) << back.error();
    ASSERT_EQ(back->size(), 3u);
    EXPECT_EQ((*back)[0], texts[0]);
    EXPECT_EQ((*back)[1].text, std::string(kReportTextCapacity, 'x'));
    EXPECT_EQ((*back)[1].value, 255);
    EXPECT_EQ((*back)[2].variable, "P1");
    EXPECT_EQ((*back)[2].position, ReportTextPosition::Note);
    EXPECT_EQ((*back)[2].y, 65535);
}

TEST(ReportTexts, NoTextsIsTwoZeroBytes)
{
    EXPECT_EQ(encoded({}), (std::vector<std::uint8_t>{0, 0}));
    auto none = parseReportTexts(std::vector<std::uint8_t>{0, 0});
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
}

TEST(ReportTexts, BytesAfterTheLastRecordAreIgnored)
{
    auto bytes = encoded({sample("P0", 1, "a", ReportTextPosition::Page, 1, 2)});
    bytes.resize(bytes.size() + 100, 0xEE);
    auto back = parseReportTexts(bytes);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(back->size(), 1u);
}

TEST(ReportTexts, DamagedFilesAreRefused)
{
    const auto two = encoded(
        {sample("P0", 1, "a", ReportTextPosition::Page, 0, 0), sample("P1", 2, "b", ReportTextPosition::Title, 0, 0)});
    auto badPosition = two;
    badPosition[2 + kReportTextRecordSize + 205] = 3;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* inMessage;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "zkrácený"},
        {"half a count", {1}, "zkrácený"},
        {"one record short of its last byte", std::vector<std::uint8_t>(two.begin(), two.end() - 1), "zkrácený"},
        {"count two, one record", std::vector<std::uint8_t>(two.begin(), two.begin() + 2 + kReportTextRecordSize),
         "zkrácený"},
        {"count 65535, no records", {0xFF, 0xFF}, "65535"},
        {"unknown position", badPosition, "neznámá pozice 3"},
    };
    for (const Case& c : cases) {
        auto texts = parseReportTexts(c.bytes);
        ASSERT_FALSE(texts.ok()) << c.name;
        EXPECT_NE(texts.error().find(c.inMessage), std::string::npos) << c.name << ": " << texts.error();
    }
}

TEST(ReportTexts, TooManyTextsAreRefused)
{
    const std::vector<ReportText> texts(kMaxReportTexts + 1);
    EXPECT_FALSE(encodeReportTexts(texts).ok());
}

TEST(ReportTexts, CellChecks)
{
    struct Case {
        ReportTextColumn column;
        const char* cell;
        bool ok;
    };
    const std::vector<Case> cases = {
        {ReportTextColumn::Value, "0", true},
        {ReportTextColumn::Value, "255", true},
        {ReportTextColumn::Value, " 12 ", true},
        {ReportTextColumn::Value, "256", false},
        {ReportTextColumn::Value, "300", false},
        {ReportTextColumn::Value, "-1", false},
        {ReportTextColumn::Value, "abc", false},
        {ReportTextColumn::Value, "", false},
        {ReportTextColumn::Value, "1.5", false},
        {ReportTextColumn::X, "65535", true},
        {ReportTextColumn::X, "65536", false},
        {ReportTextColumn::Y, "0", true},
        {ReportTextColumn::Y, "12a", false},
        {ReportTextColumn::Position, "Stránka", true},
        {ReportTextColumn::Position, "Nadpis", true},
        {ReportTextColumn::Position, "Poznámka", true},
        {ReportTextColumn::Position, "Strana", false},
        {ReportTextColumn::Position, "", false},
        {ReportTextColumn::Variable, "anything", true},
        {ReportTextColumn::Text, "", true},
    };
    for (const Case& c : cases) {
        const Status st = checkReportTextCell(c.column, c.cell);
        EXPECT_EQ(st.ok(), c.ok) << static_cast<int>(c.column) << " \"" << c.cell << "\"";
        if (!c.ok) {
            EXPECT_FALSE(st.error().empty());
        }
    }
}

TEST(ReportTexts, CellsBothWays)
{
    const ReportText t = sample("P2", 9, "Poznámka k testu", ReportTextPosition::Title, 5, 6);
    const ReportTextCells cells = reportTextCells(t);
    EXPECT_EQ(cells[3], "Nadpis");
    EXPECT_EQ(cells[1], "9");
    auto back = reportTextFromCells(cells);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(back.value(), t);
    // 300 does not wrap to 44.
    ReportTextCells wide = cells;
    wide[1] = "300";
    EXPECT_FALSE(reportTextFromCells(wide).ok());
}

TEST(ReportTexts, FileReadAndWrite)
{
    test::TempHome home;
    test::FakeClock clock;
    const auto path = reportTextsPath(home.path());
    EXPECT_EQ(path, home.path() / "Postupy" / "Texty.cfg");

    auto missing = readReportTexts(path, clock);
    ASSERT_TRUE(missing.ok());
    EXPECT_TRUE(missing->empty());
    EXPECT_EQ(clock.sleeps(), 0);

    std::filesystem::create_directories(path.parent_path());
    const std::vector<ReportText> texts = {sample("P0", 1, "Zkouška", ReportTextPosition::Note, 3, 4)};
    ASSERT_TRUE(writeReportTexts(path, texts, clock).ok());
    EXPECT_EQ(std::filesystem::file_size(path), 2 + kReportTextRecordSize);
    auto read = readReportTexts(path, clock);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read.value(), texts);
}

TEST(ReportTexts, ShortFileIsRefusedNamingTheFile)
{
    test::TempHome home;
    test::FakeClock clock;
    std::filesystem::create_directories(home.path() / "Postupy");
    home.writeBytes("Postupy/Texty.cfg", {3, 0, 2, 'P', '0'});
    auto read = readReportTexts(reportTextsPath(home.path()), clock);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.error().find("Texty.cfg"), std::string::npos) << read.error();
    EXPECT_EQ(home.readBytes("Postupy/Texty.cfg").size(), 5u);
}

TEST(ReportTexts, RefusedRowsWriteNothing)
{
    test::TempHome home;
    test::FakeClock clock;
    const auto path = reportTextsPath(home.path());
    std::filesystem::create_directories(path.parent_path());
    const std::vector<ReportText> before = {sample("P0", 1, "old", ReportTextPosition::Page, 0, 0)};
    ASSERT_TRUE(writeReportTexts(path, before, clock).ok());
    const auto old = home.readBytes("Postupy/Texty.cfg");

    const std::vector<ReportTextCells> rows = {
        {"P0", "1", "new", "Stránka", "0", "0"},
        {"P1", "abc", "new", "Nadpis", "0", "0"},
        {"P2", "2", "new", "Poznámka", "0", "0"},
    };
    const Status st = saveReportTextRows(path, rows, clock);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().find("Řádek 2"), std::string::npos) << st.error();
    EXPECT_EQ(home.readBytes("Postupy/Texty.cfg"), old);

    EXPECT_FALSE(writeReportTexts(path, std::vector<ReportText>(kMaxReportTexts + 1), clock).ok());
    EXPECT_EQ(home.readBytes("Postupy/Texty.cfg"), old);

    std::vector<ReportTextCells> good = rows;
    good[1][1] = "255";
    ASSERT_TRUE(saveReportTextRows(path, good, clock).ok());
    auto read = readReportTexts(path, clock);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read->size(), 3u);
    EXPECT_EQ((*read)[1].value, 255);
}
