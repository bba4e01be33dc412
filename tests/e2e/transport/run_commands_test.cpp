#include "core/comm/run_commands.h"
#include "core/engine/operator_actions.h"
#include "core/station/station.h"
#include "support/sim_links.h"

#include <bit>
#include <functional>
#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes single(float v)
{
    const auto u = std::bit_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
            static_cast<std::uint8_t>(u >> 24)};
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct CommandCase {
    const char* name;
    std::function<void(ModuleLink&, LiveValues&)> send;
    Bytes expected;
};

class RunCommandsTest : public ::testing::Test {
  protected:
    RunCommandsTest() { link.setEndpoint(sim.powerAddress(), sim.tcpPort()); }

    SimProcess sim;
    ModuleLink link{"vyk"};
    LiveValues live;
};

TEST_F(RunCommandsTest, EveryCommandSendsItsExactBytes)
{
    const CommandCase cases[] = {
        {"PC", [](auto& l, auto& v) { commandCharge(l, v, 28.8f, 5.5f); },
         concat({{'#', 'P', 'C', 0, 9, 0, 1}, single(5.5f), single(28.8f)})},
        {"PT", [](auto& l, auto&) { commandChargeSetPoints(l, 30.0f, 2.5f); },
         concat({{'#', 'P', 'T', 0, 8, 0}, single(2.5f), single(30.0f)})},
        {"PD", [](auto& l, auto& v) { commandDischarge(l, v, 12.5f); },
         concat({{'#', 'P', 'D', 0, 5, 0, 1}, single(12.5f)})},
        {"PS", [](auto& l, auto& v) { commandStop(l, v); }, {'#', 'P', 'S', 0, 0, 0}},
        {"PK", [](auto& l, auto&) { commandProcedureEnd(l); }, {'#', 'P', 'K', 0, 0, 0}},
        {"PL 1", [](auto& l, auto&) { commandRunIndicator(l, true); }, {'#', 'P', 'L', 1, 0, 0}},
        {"PL 0", [](auto& l, auto&) { commandRunIndicator(l, false); }, {'#', 'P', 'L', 0, 0, 0}},
        // The parameter byte is not set: it keeps the previous answer's status (0 here).
        {"PA", [](auto& l, auto&) { commandSignal(l, 3, 0); }, {'#', 'P', 'A', 0, 2, 0, 3, 0}},
        {"Pa", [](auto& l, auto&) { commandSignalAck(l); }, {'#', 'P', 'a', 0, 2, 0, 1, 1}},
        {"PE", [](auto& l, auto&) { commandNewTest(l); }, {'#', 'P', 'E', 0, 0, 0}},
        {"MT", [](auto& l, auto&) { commandTemperatureCheck(l); }, {'#', 'M', 'T', 0, 0, 0}},
        {"ZX", [](auto& l, auto&) { commandSourceSetPoints(l, 30.0f, 10.0f); },
         concat({{'#', 'Z', 'X', 0, 8, 0}, single(30.0f), single(10.0f)})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.value("clear frames");
        c.send(link, live);
        const auto frames = sim.frames("power");
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0], c.expected);
    }
}

TEST_F(RunCommandsTest, ParameterByteOfPaKeepsThePreviousStatus)
{
    std::uint8_t status = 0;
    {
        auto exchange = link.begin();
        exchange.frame().setCommand('Q', 'q'); // unknown: the module answers with an error status
        exchange.frame().setPayloadLength(0);
        exchange.exchange(1);
        status = exchange.frame().status();
        ASSERT_NE(status, 0);
    }
    sim.value("clear frames");
    commandSignal(link, 5, 0);
    EXPECT_EQ(sim.frames("power").at(0)[3], status);
}

TEST_F(RunCommandsTest, IndicatorsFollowTheCommandsWhateverTheStatus)
{
    commandCharge(link, live, 28.8f, 5.0f);
    EXPECT_EQ(live.chargingOn.load(), 1);
    EXPECT_EQ(live.driveOn.load(), 1);
    commandStop(link, live);
    EXPECT_EQ(live.chargingOn.load(), 0);
    EXPECT_EQ(live.driveOn.load(), 0);

    link.setEndpoint(sim.powerAddress(), static_cast<std::uint16_t>(sim.tcpPort() + 1)); // unreachable
    commandDischarge(link, live, 10.0f);
    EXPECT_EQ(live.dischargingOn.load(), 1);
    EXPECT_EQ(live.diagramRedraw.load(), 1);
}

TEST_F(RunCommandsTest, TemperatureCheckJudgesTheSensorOnlyFromAnAnswer)
{
    struct LostModuleCase {
        const char* name;
        std::function<void()> lose;
        std::function<void()> restore;
    };
    const auto reachable = [&] { link.setEndpoint(sim.powerAddress(), sim.tcpPort()); };
    const LostModuleCase cases[] = {
        {"refused", [&] { link.setEndpoint(sim.powerAddress(), static_cast<std::uint16_t>(sim.tcpPort() + 1)); },
         reachable},
        {"no address", [&] { link.setEndpoint("", sim.tcpPort()); }, reachable},
        {"silent", [&] { sim.value("silent power on"); }, [&] { sim.value("silent power off"); }},
        {"hung up", [&] { sim.value("hangup power on"); }, [&] { sim.value("hangup power off"); }},
        {"truncated", [&] { sim.value("truncate power on"); }, [&] { sim.value("truncate power off"); }},
    };
    link.setReadLimitMs(300);
    sim.value("set power.temp_sensor_fault 1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A faulty sensor's answer leaves its nonzero byte 4 in the frame buffer.
        ASSERT_TRUE(commandTemperatureCheck(link).sensorFault);
        ASSERT_NE(link.begin().frame().u8(4), 0);
        c.lose();
        const TemperatureCheck lost = commandTemperatureCheck(link);
        EXPECT_FALSE(lost.answered);
        EXPECT_FALSE(lost.sensorFault);
        c.restore();
    }
}

TEST_F(RunCommandsTest, TemperatureSensorFaultGivesTheMessageAndAlarmClickFollowsTheModules)
{
    Station station;
    SimLinks links{sim, station.live};
    EXPECT_EQ(temperatureSensorCheck(links.powerCommands), "");
    sim.value("set power.temp_sensor_fault 1");
    EXPECT_EQ(temperatureSensorCheck(links.powerCommands), "Porucha teplotního čidla");

    station.live.commFault = 0;
    sim.value("clear frames");
    EXPECT_TRUE(alarmBannerClicked(station.live, links.powerCommands));
    EXPECT_EQ(sim.frames("power").size(), 1u);

    station.live.commFault = kCommFaultMeasurement;
    station.live.ledSeconds = 30;
    sim.value("clear frames");
    EXPECT_FALSE(alarmBannerClicked(station.live, links.powerCommands));
    EXPECT_EQ(station.live.ledSeconds.load(), 0);
    EXPECT_TRUE(sim.frames("power").empty());
}

} // namespace
} // namespace kapsorel::test
