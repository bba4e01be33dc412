// The status answers of the two modules, as sent in answer to the UDP status request
// ('#', 'M', 'S', payload length 0) and to "MS" over TCP.
#pragma once

#include "core/comm/module_frame.h"
#include "core/comm/status_decoders.h"

#include <array>
#include <cstdint>

namespace kapsorel::sim {

constexpr std::uint16_t kPowerStatusPayload = 35;
constexpr std::uint16_t kMeasureStatusPayload = 97;

// The fields of both answers are the ones the station decodes.
using PowerStatus = kapsorel::PowerStatus;
using MeasureStatus = kapsorel::MeasurementStatus;

// The fault bits (payload 30-31) and the module temperature (31-34) share byte 31: the fault
// bits are kept exact, so the temperature's lowest byte carries the faults' high byte.
ModuleFrame encodePowerStatus(const PowerStatus& s);
ModuleFrame encodeMeasureStatus(const MeasureStatus& s);

} // namespace kapsorel::sim
