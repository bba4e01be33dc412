#include "core/comm/measurement_poller.h"
#include "core/comm/power_poller.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/sim_links.h"

#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

class PollerPassTest : public ::testing::Test {
  protected:
    PollerPassTest()
    {
        station.live.reset(0);
        station.live.commFault = 0;
        station.errorSirenSeconds = 7;
        power.setReceiveLimitMs(200);
        measurement.setReceiveLimitMs(200);
    }

    void runActive() { station.run.setPhase(RunPhase::StepRunning); }
    void pollPower(int times)
    {
        for (int i = 0; i < times; ++i)
            power.pollOnce();
    }

    SimProcess sim;
    Station station;
    SimLinks links{sim, station.live};
    FakeClock clock;
    RecordingUi ui;
    PowerPoller power{station, links.powerStatus, links.powerCommands, ui, clock, [] { return true; }};
    MeasurementPoller measurement{station, links.measureStatus, clock};
};

TEST_F(PollerPassTest, GoodPollCopiesThePowerModuleAndSleepsASecond)
{
    sim.value("set power.hwkind 1");
    sim.value("set power.version 12");
    station.live.settleCountdown = 3;
    station.live.commFault = kCommFaultPower;
    power.pollOnce();
    EXPECT_EQ(station.live.hardwareKind.load(), 1);
    EXPECT_EQ(station.live.powerSwVersion.load(), 12);
    EXPECT_NEAR(station.live.powerModuleVoltage.load(), sim.number("power.voltage"), 0.05);
    EXPECT_EQ(station.live.settleCountdown.load(), 2);
    EXPECT_EQ(station.live.commFault.load(), 0);
    EXPECT_EQ(clock.sleptMs(), 1000);
}

TEST_F(PollerPassTest, FiveFailedPollsThenAGoodOneKeepTheRunSixAbortItOnce)
{
    runActive();
    sim.value("drop power on");
    pollPower(5);
    EXPECT_EQ(power.failedPolls(), 5);
    EXPECT_EQ(station.live.commFault.load() & kCommFaultPower, kCommFaultPower);
    sim.value("drop power off");
    power.pollOnce();
    EXPECT_EQ(power.failedPolls(), 0);
    EXPECT_EQ(station.run.phase(), RunPhase::StepRunning);

    sim.value("drop power on");
    pollPower(6);
    EXPECT_EQ(station.run.phase(), RunPhase::Abort);
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleLost);
    pollPower(2);
    EXPECT_EQ(ui.calls(), std::vector<std::string>{"stopped"});
}

TEST_F(PollerPassTest, FailedPollsWhileIdleNeitherCountNorReset)
{
    sim.value("drop power on");
    runActive();
    pollPower(2);
    station.run.setPhase(RunPhase::Idle);
    pollPower(3);
    EXPECT_EQ(power.failedPolls(), 2);
    runActive();
    pollPower(3);
    EXPECT_EQ(station.run.phase(), RunPhase::StepRunning);
    power.pollOnce();
    EXPECT_EQ(station.run.phase(), RunPhase::Abort);
}

TEST_F(PollerPassTest, AnAbortAlreadySetIsKeptWithItsReason)
{
    runActive();
    station.run.abort(StopReason::OperatorStop);
    sim.value("drop power on");
    pollPower(6);
    EXPECT_EQ(station.run.stopReason(), StopReason::OperatorStop);
    EXPECT_TRUE(ui.calls().empty());
}

TEST_F(PollerPassTest, ModuleErrorAlarmsOncePerTypePerTestAndAbortsTheRun)
{
    runActive();
    sim.value("set power.error 3");
    sim.value("clear frames");
    power.pollOnce();
    EXPECT_EQ(ui.calls(), std::vector<std::string>{"alarm ERR 3 - Ventilátory"});
    EXPECT_EQ(station.run.phase(), RunPhase::Abort);
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleError);
    EXPECT_EQ(station.live.ledSeconds.load(), 255);
    EXPECT_EQ(station.live.sirenSeconds.load(), 7);
    const auto frames = sim.frames("power");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], (std::vector<std::uint8_t>{'#', 'P', 'A', frames[0][3], 2, 0, 255, 7}));

    runActive();
    pollPower(2);
    EXPECT_EQ(ui.calls().size(), 1u);
    EXPECT_EQ(station.run.phase(), RunPhase::StepRunning);

    station.live.lastAlarmedError = 0; // a new test was created
    power.pollOnce();
    EXPECT_EQ(ui.calls().size(), 2u);
}

TEST_F(PollerPassTest, ErrorWhileIdleIsOnlyStored)
{
    sim.value("set power.error 12");
    sim.value("clear frames");
    power.pollOnce();
    EXPECT_EQ(station.live.errorType.load(), 12);
    EXPECT_TRUE(ui.calls().empty());
    EXPECT_TRUE(sim.frames("power").empty());
}

TEST_F(PollerPassTest, NoSignallingCommandWhileAModuleIsLost)
{
    runActive();
    station.live.commFault = kCommFaultMeasurement;
    sim.value("set power.error 1");
    sim.value("clear frames");
    power.pollOnce();
    EXPECT_EQ(ui.calls(), std::vector<std::string>{"alarm ERR 1 - Nízké napětí"});
    EXPECT_TRUE(sim.frames("power").empty());
}

TEST_F(PollerPassTest, AnAddressThatCannotBeUsedCountsAsALostModuleAndTheLoopGoesOn)
{
    runActive();
    links.power.setEndpoint("not-an-address", sim.tcpPort());
    pollPower(6);
    EXPECT_EQ(station.live.commFault.load() & kCommFaultPower, kCommFaultPower);
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleLost);
    links.power.setEndpoint(sim.powerAddress(), sim.tcpPort());
    power.pollOnce();
    EXPECT_EQ(station.live.commFault.load() & kCommFaultPower, 0);
}

TEST_F(PollerPassTest, SignalLatchKeepsTheCommandedSecondsForOnePoll)
{
    station.live.signalLatch = 1;
    station.live.ledSeconds = 9;
    station.live.sirenSeconds = 4;
    power.pollOnce();
    EXPECT_EQ(station.live.ledSeconds.load(), 9);
    EXPECT_EQ(station.live.sirenSeconds.load(), 4);
    EXPECT_EQ(station.live.signalLatch.load(), 0);
    power.pollOnce();
    EXPECT_EQ(station.live.ledSeconds.load(), 0);
}

TEST_F(PollerPassTest, FaultBitsShowAndHideTheFaults)
{
    power.pollOnce();
    sim.value("set power.faults 4");
    power.pollOnce();
    power.pollOnce();
    sim.value("set power.faults 0");
    power.pollOnce();
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"faults 4", "faults 0"}));
    EXPECT_EQ(station.live.faultBits.load(), 0);
}

TEST_F(PollerPassTest, PbFamilyTakesBatteryValuesFromThePowerModuleAndSkipsTheMeasurementModule)
{
    station.setBatteryFamily(BatteryFamily::Pb);
    power.pollOnce();
    EXPECT_EQ(station.live.headCode.load(), 0);
    EXPECT_EQ(station.live.batteryVoltage.load(), station.live.powerModuleVoltage.load());
    sim.value("drop power on");
    power.pollOnce();
    EXPECT_EQ(station.live.headCode.load(), -1);

    const std::string before = sim.value("status_requests measure");
    station.live.commFault = kCommFaultMeasurement;
    measurement.pollOnce();
    EXPECT_EQ(sim.value("status_requests measure"), before);
    EXPECT_EQ(station.live.commFault.load() & kCommFaultMeasurement, 0);
}

TEST_F(PollerPassTest, NiCdIdleFallsBackToThePowerModulesVoltageWithoutHeadOrBelowHalfAVolt)
{
    struct FallbackCase {
        const char* name;
        bool running;
        int head;
        const char* measured; // the measurement module's battery voltage
        bool powerModules;    // true: BatteryVoltage shows the power module's reading
    };
    const FallbackCase cases[] = {
        {"idle, head, 20 V", false, 1, "20.0", false},
        {"idle, no head", false, 0, "20.0", true},
        {"idle, head, just below 0.5 V", false, 1, "0.49", true},
        {"idle, head, exactly 0.5 V", false, 1, "0.5", false},
        {"running, no head, 0.2 V", true, 0, "0.2", false},
    };
    power.pollOnce();
    const float moduleVoltage = station.live.powerModuleVoltage.load();
    ASSERT_GT(moduleVoltage, 20.5f); // far from every measured value below
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        station.run.setPhase(c.running ? RunPhase::StepRunning : RunPhase::Idle);
        sim.value("set measure.head " + std::to_string(c.head));
        sim.value(std::string("set measure.battery_voltage ") + c.measured);
        measurement.pollOnce();
        EXPECT_EQ(station.live.headCode.load(), c.head);
        EXPECT_EQ(station.live.batteryVoltage.load(), c.powerModules ? moduleVoltage : std::stof(c.measured));
    }
}

TEST_F(PollerPassTest, MeasurementPollTakesCellsAndHeadAndALostModuleLosesTheHead)
{
    sim.value("set measure.head 1");
    measurement.pollOnce();
    EXPECT_EQ(station.live.headCode.load(), 1);
    EXPECT_NEAR(station.live.batteryVoltage.load(), sim.number("measure.battery_voltage"), 0.05);
    EXPECT_NEAR(station.live.cellVoltage[4].load(), sim.number("cell 5"), 0.01);

    sim.value("drop measure on");
    measurement.pollOnce();
    EXPECT_EQ(station.live.headCode.load(), -1);
    EXPECT_EQ(station.live.commFault.load() & kCommFaultMeasurement, kCommFaultMeasurement);
}

} // namespace
} // namespace kapsorel::test
