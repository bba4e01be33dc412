#include "core/comm/status_decoders.h"

#include "core/base/bytes.h"
#include "core/comm/module_frame.h"

#include <span>

namespace kapsorel {

namespace {
constexpr std::size_t kPayload = kFrameHeaderSize; // payload offset within the buffer
}

void fillStatusRequest(StatusBuffer& buffer)
{
    buffer[0] = kFrameStart;
    buffer[1] = 'M';
    buffer[2] = 'S';
    buffer[4] = 0;
    buffer[5] = 0;
}

bool wellFormedStatus(const StatusBuffer& buffer, std::size_t received, std::size_t payloadNeeded)
{
    if (received < kFrameHeaderSize || received > buffer.size())
        return false;
    const FrameHeader h =
        parseFrameHeader(std::span<const std::uint8_t, kFrameHeaderSize>(buffer.data(), kFrameHeaderSize));
    return h.start == kFrameStart && h.group == 'M' && h.command == 'S' && h.payloadLength >= payloadNeeded &&
           received >= kFrameHeaderSize + payloadNeeded;
}

PowerStatus decodePowerStatus(const StatusBuffer& buffer)
{
    const std::span<const std::uint8_t> b(buffer);
    PowerStatus s;
    s.swVersion = b[3];
    s.hardwareKind = le::getU8(b, kPayload + 0);
    s.current = le::getSingle(b, kPayload + 1);
    s.moduleVoltage = le::getSingle(b, kPayload + 5);
    s.sourceVoltage = le::getSingle(b, kPayload + 9);
    s.batteryTemperature = le::getSingle(b, kPayload + 21);
    s.ledSeconds = le::getU8(b, kPayload + 25);
    s.sirenSeconds = le::getU8(b, kPayload + 26);
    s.errorType = le::getU8(b, kPayload + 29);
    s.faultBits = le::getU16(b, kPayload + 30);
    s.moduleTemperature = le::getSingle(b, kPayload + 31);
    return s;
}

MeasurementStatus decodeMeasurementStatus(const StatusBuffer& buffer)
{
    const std::span<const std::uint8_t> b(buffer);
    MeasurementStatus s;
    for (int i = 0; i < kCellCount; ++i)
        s.cells[static_cast<std::size_t>(i)] = le::getSingle(b, kPayload + 4 * static_cast<std::size_t>(i));
    s.batteryVoltage = le::getSingle(b, kPayload + 80);
    s.batteryTemperature = le::getSingle(b, kPayload + 92);
    s.headCode = le::getU8(b, kPayload + 96);
    return s;
}

const char* errorTypeText(std::uint8_t errorType)
{
    static const char* const texts[] = {
        "",
        "ERR 1 - Nízké napětí",
        "ERR 2 - Proud FETy",
        "ERR 3 - Ventilátory",
        "ERR 4 - Zdroj komunikace",
        "ERR 5 - Zdroj komunikace",
        "ERR 6 - Chyba regulace",
        "ERR 7 - Chyba regulace",
        "ERR 8 - Chyba regulace",
        "ERR 9 - Vysoká teplota",
        "ERR 10 - Porucha nabíjení",
        "ERR 11 - Porucha regulace",
    };
    return errorType <= 11 ? texts[errorType] : "";
}

std::vector<std::string> faultTexts(std::uint16_t faultBits)
{
    static const std::pair<int, const char*> known[] = {
        {0, "Porucha AD izolace"},         {1, "Porucha izolace"},         {2, "Porucha teplotního čidla 1"},
        {3, "Porucha teplotního čidla 2"}, {4, "Překročeny meze teploty"}, {15, "Porucha čtení konfig"},
    };
    std::vector<std::string> lines;
    for (const auto& [bit, text] : known)
        if (faultBits & (1u << bit))
            lines.emplace_back(text);
    return lines;
}

} // namespace kapsorel
