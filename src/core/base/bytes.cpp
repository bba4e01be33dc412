#include "core/base/bytes.h"

#include "core/base/cp1250.h"

#include <bit>
#include <cstring>

namespace kapsorel {

ByteReader::ByteReader(std::span<const std::uint8_t> data, std::size_t offset) : data_(data)
{
    if (offset > data_.size()) {
        pos_ = data_.size();
        ok_ = false;
    } else {
        pos_ = offset;
    }
}

void ByteReader::fail()
{
    ok_ = false;
    pos_ = data_.size();
}

std::uint16_t ByteReader::u16()
{
    const auto* p = take(2);
    return p ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : 0;
}

std::int16_t ByteReader::i16()
{
    return static_cast<std::int16_t>(u16());
}

std::int32_t ByteReader::i32()
{
    return static_cast<std::int32_t>(u32());
}

std::string ByteReader::text(std::size_t capacity)
{
    const std::uint8_t len = u8();
    const auto* p = take(capacity);
    if (!p)
        return {};
    const std::size_t n = len < capacity ? len : capacity;
    return cp1250ToUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
}

void ByteReader::bytes(std::span<std::uint8_t> out)
{
    const auto* p = take(out.size());
    if (p)
        std::memcpy(out.data(), p, out.size());
    else
        std::memset(out.data(), 0, out.size());
}

void ByteReader::skip(std::size_t n)
{
    take(n);
}

void ByteReader::seek(std::size_t offset)
{
    if (offset > data_.size()) {
        ok_ = false;
        pos_ = data_.size();
    } else {
        pos_ = offset;
    }
}

void ByteWriter::u8(std::uint8_t v)
{
    out_.push_back(v);
}

void ByteWriter::u16(std::uint16_t v)
{
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::i16(std::int16_t v)
{
    u16(static_cast<std::uint16_t>(v));
}

void ByteWriter::u32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void ByteWriter::i32(std::int32_t v)
{
    u32(static_cast<std::uint32_t>(v));
}

void ByteWriter::single(float v)
{
    u32(std::bit_cast<std::uint32_t>(v));
}

void ByteWriter::f64(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
}

void ByteWriter::text(std::string_view utf8, std::size_t capacity)
{
    std::string raw = utf8ToCp1250(utf8);
    if (raw.size() > capacity)
        raw.resize(capacity);
    if (raw.size() > 255)
        raw.resize(255);
    u8(static_cast<std::uint8_t>(raw.size()));
    out_.insert(out_.end(), raw.begin(), raw.end());
    zeros(capacity - raw.size());
}

void ByteWriter::bytes(std::span<const std::uint8_t> data)
{
    out_.insert(out_.end(), data.begin(), data.end());
}

void ByteWriter::zeros(std::size_t n)
{
    out_.insert(out_.end(), n, 0);
}

namespace le {

namespace {
bool fits(std::size_t size, std::size_t off, std::size_t n)
{
    return off <= size && n <= size - off;
}
} // namespace

bool putU8(std::span<std::uint8_t> buf, std::size_t off, std::uint8_t v)
{
    if (!fits(buf.size(), off, 1))
        return false;
    buf[off] = v;
    return true;
}

bool putU16(std::span<std::uint8_t> buf, std::size_t off, std::uint16_t v)
{
    if (!fits(buf.size(), off, 2))
        return false;
    buf[off] = static_cast<std::uint8_t>(v);
    buf[off + 1] = static_cast<std::uint8_t>(v >> 8);
    return true;
}

bool putU32(std::span<std::uint8_t> buf, std::size_t off, std::uint32_t v)
{
    if (!fits(buf.size(), off, 4))
        return false;
    for (std::size_t i = 0; i < 4; ++i)
        buf[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
    return true;
}

bool putSingle(std::span<std::uint8_t> buf, std::size_t off, float v)
{
    return putU32(buf, off, std::bit_cast<std::uint32_t>(v));
}

std::uint8_t getU8(std::span<const std::uint8_t> buf, std::size_t off)
{
    return fits(buf.size(), off, 1) ? buf[off] : 0;
}

std::uint16_t getU16(std::span<const std::uint8_t> buf, std::size_t off)
{
    return fits(buf.size(), off, 2) ? static_cast<std::uint16_t>(buf[off] | (buf[off + 1] << 8)) : 0;
}

std::int16_t getI16(std::span<const std::uint8_t> buf, std::size_t off)
{
    return static_cast<std::int16_t>(getU16(buf, off));
}

std::uint32_t getU32(std::span<const std::uint8_t> buf, std::size_t off)
{
    if (!fits(buf.size(), off, 4))
        return 0;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(buf[off + i]) << (8 * i);
    return v;
}

float getSingle(std::span<const std::uint8_t> buf, std::size_t off)
{
    return std::bit_cast<float>(getU32(buf, off));
}

} // namespace le
} // namespace kapsorel
