// The layouts window's editing of a report layout: the grid's columns, cell texts and
// their conversion, adding, removing and the wrap-around moves, and the modified flag.
#pragma once

#include "core/base/result.h"
#include "core/reports/layout_file.h"

#include <cstddef>
#include <string>

namespace kapsorel {

enum class LayoutColumn { Text, X, Y, Width, Height, Font, Frame, InsetX, InsetY, Fill, FrameColour, Count };

namespace layout_messages {
inline constexpr const char* kFull = "Sestava může mít nejvýše 255 položek";
inline constexpr const char* kSaveQuestion = "Provedeny změny v sestavě.  Uložit?  ";
inline constexpr const char* kUntitledName = "Untitled.ses";
} // namespace layout_messages

// The header of a grid column.
const char* layoutColumnTitle(LayoutColumn column);
// What a cell shows (colour cells and the font show their value as a text too).
std::string layoutCellText(const LayoutItem& item, LayoutColumn column);

class LayoutEditing {
  public:
    const ReportLayout& layout() const { return layout_; }
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    // Replaces the whole layout (opened, or a new one) and clears the modified flag.
    void reset(ReportLayout layout);

    // Appends a default item; refused at 255 items (the file counts them in one byte).
    Status add();
    // Removes the item of `row`; nothing when there is none.
    void remove(std::size_t row);
    // Swaps with the row below; the last row becomes the first. Returns the item's new row.
    std::size_t moveDown(std::size_t row);
    // Swaps with the row above; the first row becomes the last. Returns the item's new row.
    std::size_t moveUp(std::size_t row);
    void setOrientation(PageOrientation orientation);

    // A typed cell: the text keeps its first 30 characters; numbers must be whole and fit
    // their field (0 to 65535, "Ram" 0 to 255), otherwise nothing is stored and the
    // conversion error is returned.
    Status setCell(std::size_t row, LayoutColumn column, const std::string& text);
    // The font dialog's choice (the name cut to 20 characters).
    void setFont(std::size_t row, const std::string& name, std::int32_t size, std::uint32_t colour, std::uint8_t style);
    void setColour(std::size_t row, LayoutColumn column, std::uint32_t colour);

  private:
    ReportLayout layout_;
    bool modified_ = false;
};

} // namespace kapsorel
