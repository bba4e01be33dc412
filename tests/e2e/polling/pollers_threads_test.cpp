#include "core/app/worker_control.h"
#include "core/comm/measurement_poller.h"
#include "core/comm/power_poller.h"
#include "core/comm/run_commands.h"
#include "support/recording_ui.h"
#include "support/sim_links.h"
#include "support/wait_until.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace kapsorel::test {
namespace {

// Both pollers as the station runs them: threads looping their passes on the real clock.
class PollerThreadsTest : public ::testing::Test {
  protected:
    PollerThreadsTest()
    {
        station.live.reset(0);
        mea.start([this] { measurement.pollOnce(); });
        vyk.start([this] { power.pollOnce(); });
    }
    ~PollerThreadsTest() override
    {
        mea.requestStop();
        vyk.requestStop();
        mea.join();
        vyk.join();
    }

    template <class F> bool within(std::chrono::milliseconds limit, F cond)
    {
        return waitUntil(cond, limit, std::chrono::milliseconds(20));
    }

    SimProcess sim{{"--capacity", "10", "--charge", "0.5"}};
    Station station;
    SimLinks links{sim, station.live};
    RecordingUi ui;
    Worker mea{"Mea_th"};
    Worker vyk{"Vyk_th"};
    PowerPoller power{station, links.powerStatus,       links.powerCommands,
                      ui,      SystemClock::instance(), [this] { return vyk.keepRunning(); }};
    MeasurementPoller measurement{station, links.measureStatus, SystemClock::instance()};
};

TEST_F(PollerThreadsTest, LiveValuesFollowTheSimulator)
{
    ASSERT_TRUE(within(std::chrono::milliseconds(15000), [&] { return station.live.commFault.load() == 0; }));
    sim.value("set measure.head 7");
    sim.value("set cell 3 1.111");
    sim.value("set power.faults 2");
    EXPECT_TRUE(within(std::chrono::milliseconds(10000), [&] {
        return station.live.headCode.load() == 7 && station.live.cellVoltage[2].load() == 1.111f &&
               station.live.faultBits.load() == 2;
    }));
    EXPECT_EQ(ui.calls().back(), "faults 2");
}

TEST_F(PollerThreadsTest, LostPowerModuleSetsItsBitAndAbortsARunOnTheSixthPoll)
{
    ASSERT_TRUE(within(std::chrono::milliseconds(15000), [&] { return station.live.commFault.load() == 0; }));
    station.run.setPhase(RunPhase::StepRunning);
    sim.value("drop power on");
    // A failed poll waits 1000 ms for the answer and 1000 ms more before it counts.
    EXPECT_TRUE(within(std::chrono::milliseconds(15000),
                       [&] { return (station.live.commFault.load() & kCommFaultPower) != 0; }));
    EXPECT_EQ(station.live.commFault.load() & kCommFaultMeasurement, 0);
    EXPECT_EQ(station.run.phase(), RunPhase::StepRunning); // not yet: fewer than six failed polls
    EXPECT_TRUE(within(std::chrono::milliseconds(40000), [&] { return station.run.phase() == RunPhase::Abort; }));
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleLost);
    EXPECT_EQ(ui.calls(), std::vector<std::string>{"stopped"});
}

TEST_F(PollerThreadsTest, ChargeMakesCurrentAndVoltageRiseAsTheModelSays)
{
    ASSERT_TRUE(within(std::chrono::milliseconds(15000), [&] { return station.live.commFault.load() == 0; }));
    const float restVoltage = station.live.batteryVoltage.load();
    EXPECT_NEAR(station.live.current.load(), 0.0f, 0.01f);
    links.powerCommands.charge(31.0f, 2.0f);
    ASSERT_TRUE(within(std::chrono::milliseconds(15000), [&] { return station.live.current.load() > 1.9f; }));
    EXPECT_NEAR(station.live.current.load(), 2.0f, 0.05f);
    // The internal resistance lifts the terminal voltage above its rest value at once,
    // and the charge keeps it climbing.
    ASSERT_TRUE(within(std::chrono::milliseconds(15000),
                       [&] { return station.live.batteryVoltage.load() > restVoltage + 0.05f; }));
    EXPECT_NEAR(station.live.batteryVoltage.load(), sim.number("measure.battery_voltage"), 0.1);
    links.powerCommands.discharge(5.0f);
    EXPECT_TRUE(within(std::chrono::milliseconds(15000), [&] {
        return station.live.current.load() < -4.9f && station.live.batteryVoltage.load() < restVoltage;
    }));
}

} // namespace
} // namespace kapsorel::test
