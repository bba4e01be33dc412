// kapsorel-sim's battery model driven through the power module's run commands over TCP.
#include "core/base/bytes.h"
#include "sim_client.h"
#include "support/sim_process.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>
#include <thread>

namespace kapsorel::test {
namespace {

Bytes charge(float currentA, float voltageV)
{
    Bytes p{1};
    appendSingle(p, currentA);
    appendSingle(p, voltageV);
    return makeFrame('P', 'C', 0, p);
}

Bytes discharge(float currentA)
{
    Bytes p{1};
    appendSingle(p, currentA);
    return makeFrame('P', 'D', 0, p);
}

Bytes setPoints(float currentA, float voltageV)
{
    Bytes p;
    appendSingle(p, currentA);
    appendSingle(p, voltageV);
    return makeFrame('P', 'T', 0, p);
}

// Polls `read` until `done` holds or the limit passes; returns the last value.
template <class Read, class Done> double readUntil(Read read, Done done, std::chrono::milliseconds limit = 8000ms)
{
    double v = 0;
    waitUntil(
        [&] {
            v = read();
            return done(v);
        },
        limit, 50ms);
    return v;
}

float statusCurrent(SimProcess& sim, UdpClient& udp)
{
    auto d = udp.status(sim.powerAddress(), sim.udpPort());
    return d ? le::getSingle(*d, 6 + 1) : -999.0f;
}

TEST(SimBattery, ChargeDischargeAndStopDriveTheCurrentAndTheStateOfCharge)
{
    SimProcess sim({"--capacity", "1", "--charge", "0.5", "--time-scale", "200"});
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    UdpClient udp;
    const double restVoltage = sim.number("power.voltage");

    ASSERT_EQ(power.exchange(charge(0.5f, 40.0f))[3], 0);
    EXPECT_EQ(sim.value("get power.charging"), "1");
    EXPECT_FLOAT_EQ(statusCurrent(sim, udp), 0.5f) << "constant current, positive while charging";
    EXPECT_GT(sim.number("power.voltage"), restVoltage);
    const double soc0 = sim.number("battery.charge");
    const double soc1 =
        readUntil([&] { return sim.number("battery.charge"); }, [&](double v) { return v > soc0 + 0.05; });
    EXPECT_GT(soc1, soc0 + 0.05) << "charging fills the battery";

    ASSERT_EQ(power.exchange(setPoints(0.25f, 40.0f))[3], 0);
    EXPECT_FLOAT_EQ(statusCurrent(sim, udp), 0.25f) << "new set points while charging";

    ASSERT_EQ(power.exchange(discharge(0.8f))[3], 0);
    EXPECT_EQ(sim.value("get power.mode"), "discharge");
    EXPECT_FLOAT_EQ(statusCurrent(sim, udp), -0.8f) << "negative while discharging";
    const double soc2 = sim.number("battery.charge");
    const double soc3 =
        readUntil([&] { return sim.number("battery.charge"); }, [&](double v) { return v < soc2 - 0.05; });
    EXPECT_LT(soc3, soc2 - 0.05);

    ASSERT_EQ(power.exchange(makeFrame('P', 'S', 0))[3], 0);
    EXPECT_FLOAT_EQ(statusCurrent(sim, udp), 0.0f);
    const double socStopped = sim.number("battery.charge");
    EXPECT_FALSE(waitUntil([&] { return sim.number("battery.charge") != socStopped; }, 300ms, 50ms))
        << "nothing moves while off";
}

TEST(SimBattery, VoltageSetPointHoldsTheChargeCurrentBack)
{
    SimProcess sim({"--charge", "0.5"});
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    const double rest = sim.number("power.voltage");
    power.exchange(charge(5.0f, static_cast<float>(rest + 1.0)));
    const double i = sim.number("power.current");
    EXPECT_GT(i, 0.0);
    EXPECT_LT(i, 5.0) << "limited by the voltage set point";
    EXPECT_NEAR(sim.number("power.voltage"), rest + 1.0, 0.01);
    power.exchange(charge(5.0f, static_cast<float>(rest - 2.0)));
    EXPECT_DOUBLE_EQ(sim.number("power.current"), 0.0) << "a set point below the battery gives no current";
}

TEST(SimBattery, DischargeRunsDownToZeroVoltsAndTheWeakCellGoesFirst)
{
    SimProcess sim({"--capacity", "0.5", "--charge", "0.1", "--weak-cell", "5", "--time-scale", "500"});
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    power.exchange(discharge(0.5f));
    const double weak = readUntil([&] { return sim.number("cell 5"); }, [](double v) { return v < 0.5; });
    EXPECT_LT(weak, 0.5) << "the weak cell empties first";
    EXPECT_GT(sim.number("cell 6"), 0.9);
    const double end =
        readUntil([&] { return sim.number("power.voltage"); }, [](double v) { return v < 0.5; }, 20000ms);
    EXPECT_LT(end, 0.5) << "discharge goes down to 0 V";
    EXPECT_GE(end, -1e-6) << "never driven below 0 V (beyond rounding)";
    const double tail = readUntil([&] { return sim.number("power.current"); }, [](double v) { return v > -0.1; });
    EXPECT_GT(tail, -0.1) << "the current falls away at the end";
    EXPECT_LE(tail, 0.0);
}

TEST(SimBattery, NiCdFullChargeShowsTheEndRiseThenMinusDeltaVAndWarms)
{
    SimProcess sim({"--capacity", "1", "--charge", "0.8", "--time-scale", "300"});
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    const double t0 = sim.number("battery.temperature");
    power.exchange(charge(1.0f, 40.0f));
    const double start = sim.number("power.voltage");
    double peak = start;
    double last = start;
    waitUntil(
        [&] {
            last = sim.number("power.voltage");
            peak = std::max(peak, last);
            return peak - last > 0.15;
        },
        15s, 50ms);
    EXPECT_GT(peak, start + 1.5) << "end-of-charge rise (20 cells)";
    EXPECT_GT(peak - last, 0.15) << "-dV after full charge";
    EXPECT_DOUBLE_EQ(sim.number("battery.charge"), 1.0);
    EXPECT_GT(sim.number("battery.temperature"), t0 + 0.5) << "overcharge warms the battery";
}

TEST(SimBattery, SignallingCountsDownOnceASecondAndAcknowledgementClearsIt)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    UdpClient udp;
    power.exchange(makeFrame('P', 'A', 0, {3, 2}));
    auto d = udp.status(sim.powerAddress(), sim.udpPort());
    ASSERT_TRUE(d);
    EXPECT_GE((*d)[6 + 25], 2);
    const double led = readUntil([&] { return sim.number("power.led"); }, [](double v) { return v == 0; }, 5000ms);
    EXPECT_EQ(led, 0) << "3 LED seconds run out";
    EXPECT_EQ(sim.number("power.siren"), 0);

    power.exchange(makeFrame('P', 'A', 0, {255, 60}));
    power.exchange(makeFrame('P', 'a', 0, {1, 1}));
    EXPECT_EQ(sim.number("power.led"), 0);
    EXPECT_EQ(sim.number("power.siren"), 0);
    EXPECT_EQ(sim.number("power.acknowledgements"), 1);
}

TEST(SimBattery, TemperatureCheckReportsTheReadingAndTheInjectedSensorFault)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    ASSERT_EQ(sim.command("set battery.temperature 27.5"), "OK");
    Bytes answer = power.exchange(makeFrame('M', 'T', 0));
    ASSERT_EQ(answer.size(), 11u);
    EXPECT_NEAR(le::getSingle(answer, 6), 27.5f, 0.01f);
    EXPECT_EQ(answer[6 + 4], 0);
    ASSERT_EQ(sim.command("set power.temp_sensor_fault 1"), "OK");
    answer = power.exchange(makeFrame('M', 'T', 0));
    EXPECT_EQ(answer[6 + 4], 1);
}

TEST(SimBattery, RunIndicatorNewTestEndAndSourceSetPointsAreRecorded)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    UdpClient udp;
    power.exchange(makeFrame('P', 'L', 1));
    EXPECT_EQ(sim.number("power.run_indicator"), 1);
    power.exchange(makeFrame('P', 'L', 0));
    EXPECT_EQ(sim.number("power.run_indicator"), 0);
    power.exchange(makeFrame('P', 'E', 0));
    power.exchange(makeFrame('P', 'K', 0));
    EXPECT_EQ(sim.number("power.new_tests"), 1);
    EXPECT_EQ(sim.number("power.procedure_ends"), 1);
    Bytes zx;
    appendSingle(zx, 28.5f);
    appendSingle(zx, 12.0f);
    EXPECT_EQ(power.exchange(makeFrame('Z', 'X', 0, zx))[3], 0);
    auto d = udp.status(sim.powerAddress(), sim.udpPort());
    ASSERT_TRUE(d);
    EXPECT_FLOAT_EQ(le::getSingle(*d, 6 + 9), 28.5f) << "source voltage in the status";
    EXPECT_DOUBLE_EQ(sim.number("power.source_current"), 12.0);
}

TEST(SimBattery, ShortedCellReadsZeroAndLowersTheBatteryVoltage)
{
    SimProcess sim;
    const double before = sim.number("power.voltage");
    const double cell = sim.number("cell 3");
    ASSERT_EQ(sim.command("set shorted_cell 3"), "OK");
    EXPECT_EQ(sim.number("cell 3"), 0.0);
    EXPECT_NEAR(sim.number("power.voltage"), before - cell, 1e-6);
    ASSERT_EQ(sim.command("set shorted_cell 0"), "OK");
    EXPECT_NEAR(sim.number("power.voltage"), before, 1e-6);
}

} // namespace
} // namespace kapsorel::test
