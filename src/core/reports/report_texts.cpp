#include "core/reports/report_texts.h"

#include "core/base/bytes.h"
#include "core/base/files.h"

#include <charconv>
#include <system_error>

namespace kapsorel {

namespace {

constexpr std::size_t kCountSize = 2;

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A whole number 0..max written in decimal digits only, or nothing.
std::optional<unsigned> wholeNumber(std::string_view cell, unsigned max)
{
    const std::string_view s = trimmed(cell);
    if (s.empty())
        return std::nullopt;
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc{} || end != s.data() + s.size() || v > max)
        return std::nullopt;
    return v;
}

std::string columnName(ReportTextColumn column)
{
    switch (column) {
    case ReportTextColumn::Variable:
        return "Proměnná";
    case ReportTextColumn::Value:
        return "Hodnota";
    case ReportTextColumn::Text:
        return "Text";
    case ReportTextColumn::Position:
        return "Pozice";
    case ReportTextColumn::X:
        return "X";
    case ReportTextColumn::Y:
        return "Y";
    }
    return {};
}

} // namespace

const std::vector<std::string>& reportTextPositionNames()
{
    static const std::vector<std::string> names = {"Stránka", "Nadpis", "Poznámka"};
    return names;
}

std::string reportTextPositionName(ReportTextPosition position)
{
    return reportTextPositionNames().at(static_cast<std::size_t>(position));
}

std::optional<ReportTextPosition> reportTextPositionFromName(std::string_view name)
{
    const auto& names = reportTextPositionNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return static_cast<ReportTextPosition>(i);
    return std::nullopt;
}

Result<std::vector<ReportText>> parseReportTexts(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kCountSize)
        return Error{"soubor je zkrácený (" + std::to_string(bytes.size()) + " bajtů, potřeba " +
                     std::to_string(kCountSize) + ")"};
    ByteReader r(bytes);
    const std::size_t count = r.u16();
    const std::size_t need = kCountSize + count * kReportTextRecordSize;
    if (bytes.size() < need)
        return Error{"soubor je zkrácený (" + std::to_string(bytes.size()) + " bajtů, potřeba " + std::to_string(need) +
                     " pro " + std::to_string(count) + " textů)"};
    std::vector<ReportText> texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        r.seek(kCountSize + i * kReportTextRecordSize);
        ReportText t;
        t.variable = r.text(kReportTextVariableCapacity);
        t.value = r.u8();
        t.text = r.text(kReportTextCapacity);
        const std::uint8_t position = r.u8();
        t.x = r.u16();
        t.y = r.u16();
        if (!r.ok())
            return Error{"text " + std::to_string(i + 1) + " je zkrácený"};
        if (position >= reportTextPositionNames().size())
            return Error{"text " + std::to_string(i + 1) + ": neznámá pozice " + std::to_string(position)};
        t.position = static_cast<ReportTextPosition>(position);
        texts.push_back(std::move(t));
    }
    return texts;
}

Result<std::vector<std::uint8_t>> encodeReportTexts(const std::vector<ReportText>& texts)
{
    if (texts.size() > kMaxReportTexts)
        return Error{"textů je " + std::to_string(texts.size()) + ", nejvýše lze uložit " +
                     std::to_string(kMaxReportTexts)};
    ByteWriter w;
    w.u16(static_cast<std::uint16_t>(texts.size()));
    for (const ReportText& t : texts) {
        w.text(t.variable, kReportTextVariableCapacity);
        w.u8(t.value);
        w.text(t.text, kReportTextCapacity);
        w.u8(static_cast<std::uint8_t>(t.position));
        w.u16(t.x);
        w.u16(t.y);
    }
    return w.take();
}

std::filesystem::path reportTextsPath(const std::filesystem::path& home)
{
    return home / "Postupy" / "Texty.cfg";
}

Result<std::vector<ReportText>> readReportTexts(const std::filesystem::path& file, Clock& clock)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) && !ec)
        return std::vector<ReportText>{};
    // At most 65535 texts of 210 bytes.
    constexpr std::uint64_t kMaxTextsBytes = std::uint64_t{16} << 20;
    auto bytes = readFileRetrying(file, clock, kMaxTextsBytes);
    if (!bytes)
        return Error{bytes.error()};
    auto texts = parseReportTexts(bytes.value());
    if (!texts)
        return Error{"Chybný soubor textů " + file.string() + " : " + texts.error()};
    return texts;
}

Status writeReportTexts(const std::filesystem::path& file, const std::vector<ReportText>& texts, Clock& clock)
{
    auto bytes = encodeReportTexts(texts);
    if (!bytes)
        return Error{bytes.error()};
    return writeFileRetrying(file, bytes.value(), clock);
}

Status checkReportTextCell(ReportTextColumn column, std::string_view cell)
{
    switch (column) {
    case ReportTextColumn::Variable:
    case ReportTextColumn::Text:
        return {};
    case ReportTextColumn::Value:
        if (!wholeNumber(cell, 255))
            return Error{"Hodnota musí být celé číslo 0 až 255, ne \"" + std::string(cell) + "\""};
        return {};
    case ReportTextColumn::X:
    case ReportTextColumn::Y:
        if (!wholeNumber(cell, 65535))
            return Error{columnName(column) + " musí být celé číslo 0 až 65535, ne \"" + std::string(cell) + "\""};
        return {};
    case ReportTextColumn::Position:
        if (!reportTextPositionFromName(cell))
            return Error{"Pozice musí být Stránka, Nadpis nebo Poznámka, ne \"" + std::string(cell) + "\""};
        return {};
    }
    return {};
}

Result<ReportText> reportTextFromCells(const ReportTextCells& cells)
{
    for (std::size_t c = 0; c < kReportTextColumns; ++c) {
        Status st = checkReportTextCell(static_cast<ReportTextColumn>(c), cells[c]);
        if (!st)
            return Error{st.error()};
    }
    ReportText t;
    t.variable = cells[0];
    t.value = static_cast<std::uint8_t>(*wholeNumber(cells[1], 255));
    t.text = cells[2];
    t.position = *reportTextPositionFromName(cells[3]);
    t.x = static_cast<std::uint16_t>(*wholeNumber(cells[4], 65535));
    t.y = static_cast<std::uint16_t>(*wholeNumber(cells[5], 65535));
    return t;
}

ReportTextCells reportTextCells(const ReportText& text)
{
    return {text.variable,          std::to_string(text.value), text.text, reportTextPositionName(text.position),
            std::to_string(text.x), std::to_string(text.y)};
}

Result<std::vector<ReportText>> reportTextsFromRows(const std::vector<ReportTextCells>& rows)
{
    std::vector<ReportText> texts;
    texts.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto t = reportTextFromCells(rows[i]);
        if (!t)
            return Error{"Řádek " + std::to_string(i + 1) + ": " + t.error()};
        texts.push_back(std::move(t.value()));
    }
    return texts;
}

Status saveReportTextRows(const std::filesystem::path& file, const std::vector<ReportTextCells>& rows, Clock& clock)
{
    auto texts = reportTextsFromRows(rows);
    if (!texts)
        return Error{texts.error()};
    return writeReportTexts(file, texts.value(), clock);
}

} // namespace kapsorel
