#include "module_handler.h"

#include "core/base/bytes.h"
#include "settings_memory.h"

#include <algorithm>

namespace kapsorel::sim {

ModuleFrame answerFrame(const FrameHeader& request, std::uint8_t status)
{
    ModuleFrame f;
    f.setCommand(request.group, request.command);
    f.setParam(status);
    f.setPayloadLength(0);
    return f;
}

std::optional<ModuleFrame> answerSettingsCommand(SettingsMemory& memory, const FrameHeader& request,
                                                 std::span<const std::uint8_t> payload)
{
    if (request.group != 'S' || (request.command != 'R' && request.command != 'W'))
        return std::nullopt;
    ByteReader r(payload);
    const std::size_t address = r.u16();
    const std::size_t length = r.u8();
    if (!r.ok())
        return answerFrame(request, answer_status::kBadPayload);
    if (request.command == 'R') {
        if (length > kFramePayloadCapacity)
            return answerFrame(request, answer_status::kBadPayload);
        const auto bytes = memory.read(address, length);
        if (!bytes)
            return answerFrame(request, answer_status::kBadAddress);
        ModuleFrame f = answerFrame(request);
        std::copy(bytes->begin(), bytes->end(), f.payload().begin());
        f.setPayloadLength(static_cast<std::uint16_t>(bytes->size()));
        return f;
    }
    if (r.remaining() < length)
        return answerFrame(request, answer_status::kBadPayload);
    if (!memory.write(address, payload.subspan(3, length)))
        return answerFrame(request, answer_status::kBadAddress);
    return answerFrame(request);
}

} // namespace kapsorel::sim
