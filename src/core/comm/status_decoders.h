// Field-by-field decoding of the two modules' status answers from the poller's own
// 128-byte buffer (header included; payload offsets count from byte 6).
#pragma once

#include "core/comm/status_buffer.h"
#include "core/station/limits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel {

struct PowerStatus {
    std::uint8_t swVersion = 0; // parameter byte
    std::uint8_t hardwareKind = 0;
    float current = 0;
    float moduleVoltage = 0;
    float sourceVoltage = 0;
    float batteryTemperature = 0;
    std::uint8_t ledSeconds = 0;
    std::uint8_t sirenSeconds = 0;
    std::uint8_t errorType = 0;
    // Payload bytes 30-31. The module temperature's Single (bytes 31-34) shares byte 31
    // with it; the fault bits are the exact field and the temperature's lowest byte is
    // the faults' high byte (an error below 0.002 % of the reading).
    std::uint16_t faultBits = 0;
    float moduleTemperature = 0;
};

struct MeasurementStatus {
    std::array<float, kCellCount> cells{};
    float batteryVoltage = 0;
    float batteryTemperature = 0;
    std::int16_t headCode = 0; // unsigned byte widened
};

// The status request ('#', 'M', 'S', payload length 0) in the poller's buffer; the
// parameter byte keeps the previous answer's status.
void fillStatusRequest(StatusBuffer& buffer);

// Payload bytes each answer's fields reach (the power module's last field ends at 35, the
// measurement module's head code at 97).
constexpr std::size_t kPowerStatusPayload = 35;
constexpr std::size_t kMeasurementStatusPayload = 97;

// True when the first `received` bytes of `buffer` are a status answer ('#', 'M', 'S')
// whose stated payload length and the bytes actually received both reach `payloadNeeded`.
// Anything else (a stray or short datagram) is no answer: the poll counts as failed.
bool wellFormedStatus(const StatusBuffer& buffer, std::size_t received, std::size_t payloadNeeded);

PowerStatus decodePowerStatus(const StatusBuffer& buffer);
MeasurementStatus decodeMeasurementStatus(const StatusBuffer& buffer);

// Alarm text of a power module error type; empty for types outside 1..11.
const char* errorTypeText(std::uint8_t errorType);

// One line per known fault bit set in `faultBits`, in bit order (the faults window's list).
std::vector<std::string> faultTexts(std::uint16_t faultBits);

} // namespace kapsorel
