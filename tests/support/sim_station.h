// The configuration of a station named "Zkušebna" whose modules are a running simulator and
// whose data folder is the home's "Data".
#pragma once

#include "support/sim_process.h"
#include "support/temp_home.h"

#include <string>

namespace kapsorel::test {

// Writes the home's "Kapsorel.ini" for `sim`.
inline void writeSimStation(const TempHome& home, const SimProcess& sim)
{
    const std::string port = std::to_string(sim.tcpPort());
    home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=" + sim.powerAddress() + "\nIP_adr_mer=" +
                                       sim.measureAddress() + "\nTCP_Port_vyk=" + port + "\nTCP_Port_mer=" + port +
                                       "\nStanice=Zkušebna\nData_adr=" + (home / "Data").string() + "\n");
}

} // namespace kapsorel::test
