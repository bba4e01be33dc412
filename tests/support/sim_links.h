// The two module links of a station pointed at a simulator, with the commands and status
// channels the station builds on them, for end-to-end tests of the pollers and commands.
#pragma once

#include "core/comm/link_power_commands.h"
#include "core/comm/module_link.h"
#include "core/comm/status_channel.h"
#include "core/station/live_values.h"
#include "support/sim_process.h"

namespace kapsorel::test {

struct SimLinks {
    SimLinks(SimProcess& sim, LiveValues& live) : powerCommands(power, live)
    {
        power.setEndpoint(sim.powerAddress(), sim.tcpPort());
        power.setUdpPort(sim.udpPort());
        measure.setEndpoint(sim.measureAddress(), sim.tcpPort());
        measure.setUdpPort(sim.udpPort());
    }

    ModuleLink power{"vyk"};
    ModuleLink measure{"mer"};
    LinkPowerCommands powerCommands;
    UdpStatusChannel powerStatus{power};
    UdpStatusChannel measureStatus{measure};
};

} // namespace kapsorel::test
