// The module protocol's frame: '#', group letter, command letter, parameter byte
// (status in answers), 16-bit payload length, payload. One buffer per module holds
// the request and, after the exchange, the answer in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kapsorel {

constexpr std::size_t kFrameHeaderSize = 6;
constexpr std::size_t kFramePayloadCapacity = 202;
constexpr std::size_t kFrameSize = kFrameHeaderSize + kFramePayloadCapacity;
constexpr std::uint8_t kFrameStart = '#';

struct ModuleFrame {
    std::array<std::uint8_t, kFrameSize> bytes{};

    std::uint8_t start() const { return bytes[0]; }
    char group() const { return static_cast<char>(bytes[1]); }
    char command() const { return static_cast<char>(bytes[2]); }
    std::uint8_t param() const { return bytes[3]; }
    std::uint8_t status() const { return bytes[3]; }
    std::uint16_t payloadLength() const { return static_cast<std::uint16_t>(bytes[4] | (bytes[5] << 8)); }

    // Start byte, group and command letter; the parameter byte and payload stay.
    void setCommand(char group, char command);
    void setParam(std::uint8_t p) { bytes[3] = p; }
    void setPayloadLength(std::uint16_t n);

    std::span<std::uint8_t> payload() { return std::span(bytes).subspan(kFrameHeaderSize); }
    std::span<const std::uint8_t> payload() const { return std::span(bytes).subspan(kFrameHeaderSize); }
    std::span<std::uint8_t> header() { return std::span(bytes).first(kFrameHeaderSize); }

    // Payload field access; offsets count from the first payload byte. Writes that
    // would not fit the payload area are refused (return false).
    bool putU8(std::size_t off, std::uint8_t v);
    bool putU16(std::size_t off, std::uint16_t v);
    bool putU32(std::size_t off, std::uint32_t v);
    bool putSingle(std::size_t off, float v);
    std::uint8_t u8(std::size_t off) const;
    std::uint16_t u16(std::size_t off) const;
    std::uint32_t u32(std::size_t off) const;
    float single(std::size_t off) const;

    // Bytes a request occupies on the wire: header plus its payload (the payload
    // length is cut to the buffer's capacity).
    std::size_t wireSize() const;
};

// Header fields of a frame read from the wire.
struct FrameHeader {
    std::uint8_t start = 0;
    char group = 0;
    char command = 0;
    std::uint8_t param = 0;
    std::uint16_t payloadLength = 0;

    bool fitsBuffer() const { return payloadLength <= kFramePayloadCapacity; }
};

FrameHeader parseFrameHeader(std::span<const std::uint8_t, kFrameHeaderSize> header);

// Splits one frame off the front of a byte stream: returns the frame's total size when
// the whole frame is present, nothing when more bytes are needed.
std::optional<std::size_t> completeFrameSize(std::span<const std::uint8_t> stream);

} // namespace kapsorel
