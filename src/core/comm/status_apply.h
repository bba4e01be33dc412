// Puts a decoded status answer into the live values, in the order the pollers keep.
#pragma once

#include "core/comm/status_decoders.h"
#include "core/station/battery_family.h"
#include "core/station/live_values.h"

namespace kapsorel {

// Hardware kind, current, the module's voltage readings and temperature; the battery's
// voltage and temperature where the family takes them from the power module; LED and
// siren seconds unless a signalling command latched them (the latch is then cleared);
// error type, software version and fault bits.
void applyPowerStatus(LiveValues& live, const PowerStatus& s, BatteryFamily family);

// Head code, cells, battery voltage and temperature. While no run is active a battery
// without a head, or below 0.5 V, shows the power module's reading instead.
void applyMeasurementStatus(LiveValues& live, const MeasurementStatus& s, bool runActive);

} // namespace kapsorel
