// The power module commands that drive a test. Each takes the module's lock, fills the
// frame, exchanges it with disconnectAfter 1 and sets the live indicators afterwards,
// whatever the answer's status (a lost module is noticed by the poller instead).
#pragma once

#include "core/comm/module_link.h"
#include "core/station/live_values.h"
#include "core/station/power_commands.h"

#include <cstdint>

namespace kapsorel {

// "PC": charge with current (A) limited by voltage (V).
void commandCharge(ModuleLink& power, LiveValues& live, float voltage, float current);
// "PT": new charging set points during a charge.
void commandChargeSetPoints(ModuleLink& power, float voltage, float current);
// "PD": discharge with current (A).
void commandDischarge(ModuleLink& power, LiveValues& live, float current);
// "PS": stop charging or discharging.
void commandStop(ModuleLink& power, LiveValues& live);
// "PK": end of procedure.
void commandProcedureEnd(ModuleLink& power);
// "PL": run indicator, 1 while a test runs.
void commandRunIndicator(ModuleLink& power, bool running);
// "PA": LED and siren signalling for the given seconds; the parameter byte keeps the
// previous answer's status.
void commandSignal(ModuleLink& power, std::uint8_t ledSeconds, std::uint8_t sirenSeconds);
// "Pa": alarm acknowledged.
void commandSignalAck(ModuleLink& power);
// "PE": a new test begins.
void commandNewTest(ModuleLink& power);
// "MT": temperature sensor check; payload byte 4 nonzero = sensor fault. Judged only when
// the module answered (with that byte); a failed exchange reports no fault.
TemperatureCheck commandTemperatureCheck(ModuleLink& power);
// "ZX": source set points; returns the answer's status.
std::uint8_t commandSourceSetPoints(ModuleLink& power, float voltage, float current);

} // namespace kapsorel
