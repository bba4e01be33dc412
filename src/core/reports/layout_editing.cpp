#include "core/reports/layout_editing.h"

#include "core/definitions/text_cut.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace kapsorel {

namespace {

std::uint16_t* numberField(LayoutItem& item, LayoutColumn column)
{
    switch (column) {
    case LayoutColumn::X:
        return &item.x;
    case LayoutColumn::Y:
        return &item.y;
    case LayoutColumn::Width:
        return &item.width;
    case LayoutColumn::Height:
        return &item.height;
    case LayoutColumn::InsetX:
        return &item.insetX;
    case LayoutColumn::InsetY:
        return &item.insetY;
    default:
        return nullptr;
    }
}

Result<long> wholeNumber(const std::string& text, long maximum)
{
    std::string_view t = text;
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    long value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc{} || end != t.data() + t.size())
        return Error{"'" + text + "' není platné celé číslo"};
    if (value < 0 || value > maximum)
        return Error{"Hodnota " + text + " musí být v rozsahu 0 až " + std::to_string(maximum)};
    return value;
}

std::string hexColour(std::uint32_t c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", c);
    return buf;
}

} // namespace

const char* layoutColumnTitle(LayoutColumn column)
{
    static constexpr const char* kTitles[] = {"Text / Proměnná", "Pos X [mm]", "Pos Y [mm]", "Šířka [mm]",
                                              "Výška [mm]",      "Font",       "Ram",        "TX [mm]",
                                              "TY [mm]",         "BV",         "BR"};
    return kTitles[static_cast<int>(column)];
}

std::string layoutCellText(const LayoutItem& item, LayoutColumn column)
{
    switch (column) {
    case LayoutColumn::Text:
        return item.text;
    case LayoutColumn::Font:
        return item.fontName;
    case LayoutColumn::Frame:
        return std::to_string(item.frame);
    case LayoutColumn::Fill:
        return hexColour(item.fillColour);
    case LayoutColumn::FrameColour:
        return hexColour(item.frameColour);
    default: {
        LayoutItem copy = item;
        const std::uint16_t* field = numberField(copy, column);
        return field ? std::to_string(*field) : std::string();
    }
    }
}

void LayoutEditing::reset(ReportLayout layout)
{
    layout_ = std::move(layout);
    modified_ = false;
}

Status LayoutEditing::add()
{
    if (layout_.items.size() >= layout_format::kMaxItems)
        return Error{layout_messages::kFull};
    layout_.items.emplace_back();
    modified_ = true;
    return {};
}

void LayoutEditing::remove(std::size_t row)
{
    if (row >= layout_.items.size())
        return;
    layout_.items.erase(layout_.items.begin() + static_cast<std::ptrdiff_t>(row));
    modified_ = true;
}

std::size_t LayoutEditing::moveDown(std::size_t row)
{
    auto& items = layout_.items;
    if (row >= items.size())
        return row;
    modified_ = true;
    if (row + 1 == items.size()) {
        std::rotate(items.rbegin(), items.rbegin() + 1, items.rend());
        return 0;
    }
    std::swap(items[row], items[row + 1]);
    return row + 1;
}

std::size_t LayoutEditing::moveUp(std::size_t row)
{
    auto& items = layout_.items;
    if (row >= items.size())
        return row;
    modified_ = true;
    if (row == 0) {
        std::rotate(items.begin(), items.begin() + 1, items.end());
        return items.size() - 1;
    }
    std::swap(items[row], items[row - 1]);
    return row - 1;
}

void LayoutEditing::setOrientation(PageOrientation orientation)
{
    if (layout_.orientation == orientation)
        return;
    layout_.orientation = orientation;
    modified_ = true;
}

Status LayoutEditing::setCell(std::size_t row, LayoutColumn column, const std::string& text)
{
    if (row >= layout_.items.size())
        return {};
    LayoutItem& item = layout_.items[row];
    if (column == LayoutColumn::Text) {
        item.text = cutChars(text, layout_format::kTextChars);
    } else if (column == LayoutColumn::Frame) {
        auto v = wholeNumber(text, 255);
        if (!v)
            return v.status();
        item.frame = static_cast<std::uint8_t>(*v);
    } else if (auto* field = numberField(item, column)) {
        auto v = wholeNumber(text, 65535);
        if (!v)
            return v.status();
        *field = static_cast<std::uint16_t>(*v);
    } else {
        return {};
    }
    modified_ = true;
    return {};
}

void LayoutEditing::setFont(std::size_t row, const std::string& name, std::int32_t size, std::uint32_t colour,
                            std::uint8_t style)
{
    if (row >= layout_.items.size())
        return;
    LayoutItem& item = layout_.items[row];
    item.fontName = cutChars(name, layout_format::kFontChars);
    item.fontSize = size;
    item.fontColour = colour;
    item.fontStyle = style;
    modified_ = true;
}

void LayoutEditing::setColour(std::size_t row, LayoutColumn column, std::uint32_t colour)
{
    if (row >= layout_.items.size())
        return;
    (column == LayoutColumn::Fill ? layout_.items[row].fillColour : layout_.items[row].frameColour) = colour;
    modified_ = true;
}

} // namespace kapsorel
