#include "core/comm/module_frame.h"

#include "core/base/bytes.h"

namespace kapsorel {

void ModuleFrame::setCommand(char group, char command)
{
    bytes[0] = kFrameStart;
    bytes[1] = static_cast<std::uint8_t>(group);
    bytes[2] = static_cast<std::uint8_t>(command);
}

void ModuleFrame::setPayloadLength(std::uint16_t n)
{
    bytes[4] = static_cast<std::uint8_t>(n);
    bytes[5] = static_cast<std::uint8_t>(n >> 8);
}

bool ModuleFrame::putU8(std::size_t off, std::uint8_t v)
{
    return le::putU8(payload(), off, v);
}
bool ModuleFrame::putU16(std::size_t off, std::uint16_t v)
{
    return le::putU16(payload(), off, v);
}
bool ModuleFrame::putU32(std::size_t off, std::uint32_t v)
{
    return le::putU32(payload(), off, v);
}
bool ModuleFrame::putSingle(std::size_t off, float v)
{
    return le::putSingle(payload(), off, v);
}
std::uint8_t ModuleFrame::u8(std::size_t off) const
{
    return le::getU8(payload(), off);
}
std::uint16_t ModuleFrame::u16(std::size_t off) const
{
    return le::getU16(payload(), off);
}
std::uint32_t ModuleFrame::u32(std::size_t off) const
{
    return le::getU32(payload(), off);
}
float ModuleFrame::single(std::size_t off) const
{
    return le::getSingle(payload(), off);
}

std::size_t ModuleFrame::wireSize() const
{
    const std::size_t n = payloadLength();
    return kFrameHeaderSize + (n < kFramePayloadCapacity ? n : kFramePayloadCapacity);
}

FrameHeader parseFrameHeader(std::span<const std::uint8_t, kFrameHeaderSize> header)
{
    FrameHeader h;
    h.start = header[0];
    h.group = static_cast<char>(header[1]);
    h.command = static_cast<char>(header[2]);
    h.param = header[3];
    h.payloadLength = le::getU16(header, 4);
    return h;
}

std::optional<std::size_t> completeFrameSize(std::span<const std::uint8_t> stream)
{
    if (stream.size() < kFrameHeaderSize)
        return std::nullopt;
    const std::size_t total = kFrameHeaderSize + le::getU16(stream, 4);
    if (stream.size() < total)
        return std::nullopt;
    return total;
}

} // namespace kapsorel
