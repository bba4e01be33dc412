// A simulator with the two module links pointed at it, the run state and the write guard of
// a settings window, and the request frames the settings sequences are expected to send.
#pragma once

#include "core/comm/module_link.h"
#include "core/service/write_guard.h"
#include "core/station/run_state.h"
#include "support/sim_process.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kapsorel::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes frame(char group, char command, std::uint8_t param, const Bytes& payload = {})
{
    Bytes f(6 + payload.size());
    f[0] = '#';
    f[1] = static_cast<std::uint8_t>(group);
    f[2] = static_cast<std::uint8_t>(command);
    f[3] = param;
    f[4] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    f[5] = static_cast<std::uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), f.begin() + 6);
    return f;
}

inline Bytes sr(std::uint16_t address, std::uint8_t length)
{
    return frame('S', 'R', 0,
                 {static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8), length});
}

inline Bytes sw(std::uint16_t address, std::uint8_t param, const Bytes& data)
{
    Bytes payload{static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8),
                  static_cast<std::uint8_t>(data.size())};
    payload.insert(payload.end(), data.begin(), data.end());
    return frame('S', 'W', param, payload);
}

class ServiceTest : public ::testing::Test {
  public:
    ServiceTest()
    {
        power.setEndpoint(sim.powerAddress(), sim.tcpPort());
        measure.setEndpoint(sim.measureAddress(), sim.tcpPort());
        power.setReadLimitMs(500);
        measure.setReadLimitMs(500);
    }

    // Forgets the frames received so far and notes the connections made so far.
    void startLog()
    {
        sim.command("clear frames");
        powerConnections = connections("power");
        measureConnections = connections("measure");
    }
    std::size_t connections(const std::string& module)
    {
        return static_cast<std::size_t>(std::stoul(sim.value("connections " + module)));
    }
    std::size_t newConnections(const std::string& module)
    {
        return connections(module) - (module == "power" ? powerConnections : measureConnections);
    }

    SimProcess sim;
    ModuleLink power{"vyk"};
    ModuleLink measure{"mer"};
    SharedRunState run;
    WriteGuard guard;
    WriteGate gate{run, guard};
    std::size_t powerConnections = 0;
    std::size_t measureConnections = 0;
};

} // namespace kapsorel::test
