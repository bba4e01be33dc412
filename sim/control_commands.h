// The commands of the control interface, applied to the simulator: fault injection,
// state overrides, read-out of the model and of the frames the modules received.
//
// One command per line, one reply line: "OK", "OK <value>" or "ERR <message>". Integers may be
// given in decimal or as 0x... hexadecimal.
//   set power.error N | power.faults N | power.hwkind N | power.version N | power.led N |
//       power.siren N | power.temp_sensor_fault 0|1 | power.module_temperature C|model |
//       measure.head N | measure.battery_voltage V|model | cell K V|model | battery.capacity AH |
//       battery.charge FRACTION | battery.temperature C | weak_cell K | shorted_cell K  (K = 0: none)
//   drop power|measure on|off       status datagrams are counted but not answered
//   silent power|measure on|off     TCP requests are read and recorded, never answered
//   oversize power|measure on|off   TCP answers announce and carry a 300-byte payload
//   hangup power|measure on|off     the connection is closed on a request
//   truncate power|measure on|off   answers announce a payload (at least 4 bytes), carry only half
//                                   of it, and the connection closes
//   delay power|measure MS          each TCP answer is held back MS milliseconds (0 = off)
//   status power|measure XY N [empty]   answers to command XY (e.g. SR, FG) carry status N,
//                                   their payload unchanged or, with "empty", none (0 = their
//                                   own status again)
//   memory power|measure ADDRESS LENGTH   OK <hex> of the settings memory's bytes there
//   memory power|measure ADDRESS = HEX    those bytes written into the settings memory
//   adc power|measure K OFFSET CONSTANT   the ADC hardware of channel K: raw = value / CONSTANT -
//                                   OFFSET (power K 0-4 voltages, 5 current; measure K 0-22).
//                                   The calibrated readings ("MN", "MC") are (raw + offset) x
//                                   constant of the channel's record in the settings memory.
//   frames power|measure            OK <hex>;<hex>;... every request frame since "clear frames"
//   clear frames
//   connections power|measure       TCP connections accepted so far
//   status_requests power|measure   status requests received so far
//   get power.current | power.voltage | power.source_voltage | power.source_current |
//       power.module_temperature | power.mode (off|charge|discharge) | power.charging |
//       power.discharging | power.set_current | power.set_voltage | power.led | power.siren |
//       power.error | power.faults | power.hwkind | power.version | power.temp_sensor_fault |
//       power.run_indicator | power.new_tests | power.procedure_ends | power.acknowledgements |
//       power.switch_mask | power.relays | power.source_on | power.dac | measure.head |
//       measure.battery_voltage | measure.temperature | battery.voltage | battery.charge |
//       battery.capacity | battery.temperature | battery.cells | battery.chemistry | cell K
//       | tftp.port | tftp.requests | tftp.transfers | tftp.size | tftp.blocks
//   tftp refuse|silent|duplicate_acks on|off   firmware upload faults (refuse = error packet 7)
//   tftp drop_ack BLOCK             the acknowledgement of that data block is left out, once
//   tftp stray_ack BLOCK            that block's acknowledgement comes from the request port, not
//                                   the transfer's port (0 = off)
//   tftp request_error CODE         write requests get an error packet CODE (0 = off)
//   tftp data_error BLOCK CODE      that data block gets an error packet CODE, the transfer ends
//                                   (BLOCK 0 = off)
//   tftp image                      OK <hex> of the last firmware image received
//   quit
#pragma once

#include "control_server.h"

#include <string>

namespace kapsorel::sim {

class Simulator;

ControlReply executeControl(Simulator& sim, const std::string& line);

} // namespace kapsorel::sim
