// The report texts file "Texty.cfg" (home / "Postupy"): a uint16 count and that many
// 210-byte records, each a text that the chart report prints where an auxiliary variable
// (P0, P1, P2) has a given value. Read and written by the program settings window, read by
// the printed report.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

constexpr std::size_t kReportTextRecordSize = 210;
constexpr std::size_t kReportTextVariableCapacity = 2;
constexpr std::size_t kReportTextCapacity = 200;
constexpr std::size_t kMaxReportTexts = 65535;

// The reference a text's X and Y are measured from.
enum class ReportTextPosition : std::uint8_t { Page = 0, Title = 1, Note = 2 };

struct ReportText {
    std::string variable;                                   // "Proměnná": "P0", "P1", "P2" or any two characters
    std::uint8_t value = 0;                                 // "Hodnota"
    std::string text;                                       // "Text"
    ReportTextPosition position = ReportTextPosition::Page; // "Pozice"
    std::uint16_t x = 0;
    std::uint16_t y = 0;

    bool operator==(const ReportText&) const = default;
};

// "Stránka", "Nadpis", "Poznámka" in code order, as the texts grid offers them.
const std::vector<std::string>& reportTextPositionNames();
std::string reportTextPositionName(ReportTextPosition position);
std::optional<ReportTextPosition> reportTextPositionFromName(std::string_view name);

// Whole file: refused with a message when it is shorter than its count of records says or
// a record names an unknown position; bytes after the last record are ignored.
Result<std::vector<ReportText>> parseReportTexts(std::span<const std::uint8_t> bytes);
// Variable cut to 2 characters, text to 200. More than 65535 texts are refused.
Result<std::vector<std::uint8_t>> encodeReportTexts(const std::vector<ReportText>& texts);

// home / "Postupy" / "Texty.cfg"
std::filesystem::path reportTextsPath(const std::filesystem::path& home);

// A missing file gives no texts. A file that cannot be read or is refused gives the
// message, naming the file.
Result<std::vector<ReportText>> readReportTexts(const std::filesystem::path& file,
                                                Clock& clock = SystemClock::instance());
// Replaces the file atomically; a refusal or a failed write leaves the old file as it was.
Status writeReportTexts(const std::filesystem::path& file, const std::vector<ReportText>& texts,
                        Clock& clock = SystemClock::instance());

// The texts grid's columns, in order.
enum class ReportTextColumn { Variable = 0, Value, Text, Position, X, Y };
constexpr std::size_t kReportTextColumns = 6;
using ReportTextCells = std::array<std::string, kReportTextColumns>;

// A cell's text checked as its column takes it: "Hodnota" a whole number 0-255, "X" and
// "Y" whole numbers 0-65535, "Pozice" one of the three names; "Proměnná" and "Text" take
// anything (they are cut on save). Fails with the message to show.
Status checkReportTextCell(ReportTextColumn column, std::string_view cell);
// One grid row as a text; fails on the first refused cell.
Result<ReportText> reportTextFromCells(const ReportTextCells& cells);
ReportTextCells reportTextCells(const ReportText& text);
// Every row, or the message of the first refused cell with its row number; nothing is
// taken half.
Result<std::vector<ReportText>> reportTextsFromRows(const std::vector<ReportTextCells>& rows);
// Checks every row first and only then replaces the file: a refused cell writes nothing.
Status saveReportTextRows(const std::filesystem::path& file, const std::vector<ReportTextCells>& rows,
                          Clock& clock = SystemClock::instance());

} // namespace kapsorel
