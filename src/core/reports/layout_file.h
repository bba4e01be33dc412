// Report layouts (".ses"): a page orientation and up to 255 boxes with optional texts,
// and their byte-exact file format (a 259-byte header, then 92-byte items).
#pragma once

#include "core/base/result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

namespace layout_format {
constexpr std::size_t kHeaderSize = 259;
constexpr std::size_t kItemSize = 92;
constexpr std::size_t kCountOffset = 257;
constexpr std::size_t kMaxItems = 255;
constexpr std::size_t kTextCapacity = 31;
constexpr std::size_t kFontCapacity = 23;
// Offsets in an item of the text's and the font name's length bytes.
constexpr std::size_t kTextOffset = 0;
constexpr std::size_t kFontOffset = 40;
// What the layouts window stores of an edited text and of a chosen font name.
constexpr std::size_t kTextChars = 30;
constexpr std::size_t kFontChars = 20;
// Report units per millimetre of the printed page.
constexpr double kUnitsPerMm = 3.78;
} // namespace layout_format

enum class PageOrientation : std::uint8_t { Portrait = 0, Landscape = 1 };

// Font style bits of an item.
namespace font_style {
constexpr std::uint8_t kBold = 1;
constexpr std::uint8_t kItalic = 2;
constexpr std::uint8_t kUnderline = 4;
constexpr std::uint8_t kStrikeOut = 8;
} // namespace font_style

// One box of a layout; positions and sizes in report units, colours 0x00BBGGRR.
struct LayoutItem {
    std::string text;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::string fontName = "Arial";
    std::int32_t fontSize = 10;
    std::uint32_t fontColour = 0;
    std::uint8_t fontStyle = 0;
    std::uint8_t frame = 0; // "Ram": bits 0-4 pen width + 1, bit 5 right, bit 6 left
    std::uint16_t insetX = 0;
    std::uint16_t insetY = 0;
    std::uint32_t fillColour = 0;
    std::uint32_t frameColour = 0;

    bool operator==(const LayoutItem&) const = default;

    // Pen width of the frame, or -1 when no box is drawn.
    int framePenWidth() const { return (frame & 0x1F) - 1; }
    bool hasBox() const { return (frame & 0x1F) != 0; }
};

enum class TextAlignment { Left, Centre, Right };
TextAlignment alignmentOf(std::uint8_t frame);

struct ReportLayout {
    PageOrientation orientation = PageOrientation::Portrait;
    std::vector<LayoutItem> items;

    bool operator==(const ReportLayout&) const = default;
};

// The whole file of a layout. At most 255 items are written (the count is one byte).
std::vector<std::uint8_t> encodeLayout(const ReportLayout& layout);
// Reads the header and exactly as many items as it counts; bytes after them are ignored.
// A file shorter than that is refused with a message naming what is missing; so is an
// orientation other than 0 or 1 and a text or font name longer than its field, naming the
// item. A font size is taken as it is (fontPoints() makes it a size to draw).
Result<ReportLayout> decodeLayout(std::span<const std::uint8_t> data);

Result<ReportLayout> loadLayoutFile(const std::string& path);
Status saveLayoutFile(const std::string& path, const ReportLayout& layout);

// Largest font a report draws, in points: more than an A4 page's height.
constexpr std::int32_t kMostFontPoints = 1000;
// Points of a stored font size, 1 ... kMostFontPoints: a negative size stands for its
// magnitude, 0 for the smallest font. Any 32-bit value from a file is taken.
int fontPoints(std::int32_t stored);

// Millimetres to report units, rounded.
long millimetresToUnits(double mm);

} // namespace kapsorel
