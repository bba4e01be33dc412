// The status answers of the two modules, as sent in answer to the UDP status request
// ('#', 'M', 'S', payload length 0) and to "MS" over TCP.
#pragma once

#include "core/comm/module_frame.h"

#include <array>
#include <cstdint>

namespace kapsorel::sim {

constexpr std::uint16_t kPowerStatusPayload = 35;
constexpr std::uint16_t kMeasureStatusPayload = 97;

struct PowerStatus {
    std::uint8_t version = 0; // goes into the parameter byte
    std::uint8_t hardwareKind = 0;
    float current = 0;
    float voltage = 0;
    float sourceVoltage = 0;
    float batteryTemperature = 0;
    std::uint8_t ledSeconds = 0;
    std::uint8_t sirenSeconds = 0;
    std::uint8_t errorType = 0;
    std::uint16_t faultBits = 0;
    float moduleTemperature = 0;
};

struct MeasureStatus {
    std::array<float, 20> cells{};
    float batteryVoltage = 0;
    float batteryTemperature = 0;
    std::uint8_t headCode = 0;
};

// The fault bits (payload 30-31) and the module temperature (31-34) share byte 31: the fault
// bits are kept exact, so the temperature's lowest byte carries the faults' high byte.
ModuleFrame encodePowerStatus(const PowerStatus& s);
ModuleFrame encodeMeasureStatus(const MeasureStatus& s);

} // namespace kapsorel::sim
