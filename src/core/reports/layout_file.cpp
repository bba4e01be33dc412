#include "core/reports/layout_file.h"

#include "core/base/bytes.h"
#include "core/base/files.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kapsorel {

using namespace layout_format;

TextAlignment alignmentOf(std::uint8_t frame)
{
    if ((frame & 0x40) != 0)
        return TextAlignment::Left;
    if ((frame & 0x20) != 0)
        return TextAlignment::Right;
    return TextAlignment::Centre;
}

namespace {

void writeItem(ByteWriter& w, const LayoutItem& item)
{
    w.text(item.text, kTextCapacity);     // 0
    w.u16(item.x);                        // 32
    w.u16(item.y);                        // 34
    w.u16(item.width);                    // 36
    w.u16(item.height);                   // 38
    w.text(item.fontName, kFontCapacity); // 40
    w.i32(item.fontSize);                 // 64
    w.u32(item.fontColour);               // 68
    w.u8(item.fontStyle);                 // 72
    w.zeros(3);                           // 73
    w.u8(item.frame);                     // 76
    w.zeros(1);                           // 77
    w.u16(item.insetX);                   // 78
    w.u16(item.insetY);                   // 80
    w.zeros(2);                           // 82
    w.u32(item.fillColour);               // 84
    w.u32(item.frameColour);              // 88
}

LayoutItem readItem(ByteReader& r)
{
    LayoutItem item;
    item.text = r.text(kTextCapacity);
    item.x = r.u16();
    item.y = r.u16();
    item.width = r.u16();
    item.height = r.u16();
    item.fontName = r.text(kFontCapacity);
    item.fontSize = r.i32();
    item.fontColour = r.u32();
    item.fontStyle = r.u8();
    r.skip(3);
    item.frame = r.u8();
    r.skip(1);
    item.insetX = r.u16();
    item.insetY = r.u16();
    r.skip(2);
    item.fillColour = r.u32();
    item.frameColour = r.u32();
    return item;
}

} // namespace

std::vector<std::uint8_t> encodeLayout(const ReportLayout& layout)
{
    const std::size_t count = std::min(layout.items.size(), kMaxItems);
    ByteWriter w;
    w.u8(1);
    w.u8(static_cast<std::uint8_t>(layout.orientation));
    w.zeros(kCountOffset - 2);
    w.u8(static_cast<std::uint8_t>(count));
    w.zeros(1);
    for (std::size_t i = 0; i < count; ++i)
        writeItem(w, layout.items[i]);
    return w.take();
}

Result<ReportLayout> decodeLayout(std::span<const std::uint8_t> data)
{
    if (data.size() < kHeaderSize)
        return Error{"Soubor sestavy je zkrácený: chybí hlavička (" + std::to_string(data.size()) + " z " +
                     std::to_string(kHeaderSize) + " bajtů)"};
    ByteReader r(data);
    r.u8();
    const std::uint8_t orientation = r.u8();
    r.seek(kCountOffset);
    const std::size_t count = r.u8();
    r.seek(kHeaderSize);
    if (r.remaining() < count * kItemSize)
        return Error{"Soubor sestavy je zkrácený: obsahuje " + std::to_string(r.remaining() / kItemSize) + " z " +
                     std::to_string(count) + " položek"};
    const std::string damaged = "Soubor sestavy je poškozený: ";
    if (orientation > static_cast<std::uint8_t>(PageOrientation::Landscape))
        return Error{damaged + "orientace stránky " + std::to_string(orientation) + " není 0 ani 1"};
    // Every text's length byte within its field, so no text takes the next field's bytes.
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + i * kItemSize;
        const auto tooLong = [&](std::size_t offset, std::size_t capacity, const char* field) -> std::optional<Error> {
            if (data[at + offset] <= capacity)
                return std::nullopt;
            return Error{damaged + "položka " + std::to_string(i + 1) + ": " + field + " má délku " +
                         std::to_string(data[at + offset]) + ", pole pojme " + std::to_string(capacity) + " znaků"};
        };
        if (auto e = tooLong(kTextOffset, kTextCapacity, "text"))
            return *e;
        if (auto e = tooLong(kFontOffset, kFontCapacity, "název písma"))
            return *e;
    }
    ReportLayout layout;
    layout.orientation = static_cast<PageOrientation>(orientation);
    layout.items.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        layout.items.push_back(readItem(r));
    if (!r.ok())
        return Error{"Soubor sestavy je poškozený"};
    return layout;
}

Result<ReportLayout> loadLayoutFile(const std::string& path)
{
    // One page of report items.
    constexpr std::uint64_t kMaxLayoutBytes = std::uint64_t{1} << 20;
    auto bytes = readFileRetrying(path, SystemClock::instance(), kMaxLayoutBytes);
    if (!bytes)
        return Error{bytes.error()};
    auto layout = decodeLayout(*bytes);
    if (!layout)
        return Error{path + ": " + layout.error()};
    return layout;
}

Status saveLayoutFile(const std::string& path, const ReportLayout& layout)
{
    return writeFileRetrying(path, encodeLayout(layout));
}

int fontPoints(std::int32_t stored)
{
    // Clamped first: the magnitude of the most negative 32-bit value does not fit in 32 bits.
    const std::int32_t size = std::clamp(stored, -kMostFontPoints, kMostFontPoints);
    return std::max(1, size < 0 ? -size : size);
}

long millimetresToUnits(double mm)
{
    return std::lround(mm * kUnitsPerMm);
}

} // namespace kapsorel
