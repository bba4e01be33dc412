// Bounds-checked little-endian reading and writing of packed binary records.
// Every file and frame layout of the station goes through these, field by field.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

// Reads fields in sequence from a byte span. A read past the end sets the failed
// state, returns zero and leaves the position at the end; check ok() after a record.
class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> data, std::size_t offset = 0);

    // The fixed-width reads are inline: decoders of long files call them per field.
    std::uint8_t u8()
    {
        const auto* p = take(1);
        return p ? p[0] : 0;
    }
    std::uint16_t u16();
    std::int16_t i16();
    std::uint32_t u32()
    {
        const auto* p = take(4);
        return p ? littleU32(p) : 0;
    }
    std::int32_t i32();
    float single() { return std::bit_cast<float>(u32()); }
    double f64()
    {
        const auto* p = take(8);
        return p ? std::bit_cast<double>(std::uint64_t{littleU32(p)} | (std::uint64_t{littleU32(p + 4)} << 32)) : 0.0;
    }
    // Length byte followed by `capacity` Windows-1250 bytes; returns UTF-8. A length
    // above the capacity is cut to the capacity.
    std::string text(std::size_t capacity);
    void bytes(std::span<std::uint8_t> out);
    void skip(std::size_t n);
    void seek(std::size_t offset);

    bool ok() const { return ok_; }
    std::size_t offset() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    std::size_t size() const { return data_.size(); }

  private:
    const std::uint8_t* take(std::size_t n)
    {
        if (!ok_ || n > data_.size() - pos_) {
            fail();
            return nullptr;
        }
        const std::uint8_t* p = data_.data() + pos_;
        pos_ += n;
        return p;
    }
    void fail();
    static std::uint32_t littleU32(const std::uint8_t* p)
    {
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Appends fields to a growing byte vector.
class ByteWriter {
  public:
    ByteWriter() = default;

    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void i16(std::int16_t v);
    void u32(std::uint32_t v);
    void i32(std::int32_t v);
    void single(float v);
    void f64(double v);
    // UTF-8 in, Windows-1250 out: a length byte and exactly `capacity` bytes
    // (the text cut to the capacity, the rest zero).
    void text(std::string_view utf8, std::size_t capacity);
    void bytes(std::span<const std::uint8_t> data);
    void zeros(std::size_t n);

    const std::vector<std::uint8_t>& data() const { return out_; }
    std::vector<std::uint8_t> take() { return std::move(out_); }
    std::size_t size() const { return out_.size(); }

  private:
    std::vector<std::uint8_t> out_;
};

// Fixed-offset access into a buffer, for frames filled field by field in place.
// The put functions return false (and write nothing) when the field does not fit.
namespace le {
bool putU8(std::span<std::uint8_t> buf, std::size_t off, std::uint8_t v);
bool putU16(std::span<std::uint8_t> buf, std::size_t off, std::uint16_t v);
bool putU32(std::span<std::uint8_t> buf, std::size_t off, std::uint32_t v);
bool putSingle(std::span<std::uint8_t> buf, std::size_t off, float v);
std::uint8_t getU8(std::span<const std::uint8_t> buf, std::size_t off);
std::uint16_t getU16(std::span<const std::uint8_t> buf, std::size_t off);
std::int16_t getI16(std::span<const std::uint8_t> buf, std::size_t off);
std::uint32_t getU32(std::span<const std::uint8_t> buf, std::size_t off);
float getSingle(std::span<const std::uint8_t> buf, std::size_t off);
} // namespace le

} // namespace kapsorel
