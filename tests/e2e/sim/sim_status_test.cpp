// kapsorel-sim's UDP status answers, decoded byte for byte, and the dropped-status control.
#include "core/base/bytes.h"
#include "sim_client.h"
#include "support/sim_process.h"

#include <cstring>
#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

std::array<std::uint8_t, 4> singleBytes(float v)
{
    std::array<std::uint8_t, 4> out{};
    le::putSingle(out, 0, v);
    return out;
}

TEST(SimStatus, PowerModuleStatusCarriesItsStateAtTheDocumentedOffsets)
{
    SimProcess sim;
    for (const char* line :
         {"set power.version 23", "set power.hwkind 1", "set power.error 9", "set power.faults 0x8014",
          "set power.module_temperature 41.5", "set battery.temperature 31.25"})
        ASSERT_EQ(sim.command(line), "OK") << line;
    TcpClient c(sim.powerAddress(), sim.tcpPort());
    c.exchange(makeFrame('P', 'A', 0, {200, 100}));

    UdpClient udp;
    auto d = udp.status(sim.powerAddress(), sim.udpPort());
    ASSERT_TRUE(d);
    ASSERT_EQ(d->size(), 6u + 35) << "header plus 35 payload bytes";
    const std::span<const std::uint8_t> p(d->data() + 6, 35);
    EXPECT_EQ((*d)[0], '#');
    EXPECT_EQ((*d)[1], 'M');
    EXPECT_EQ((*d)[2], 'S');
    EXPECT_EQ((*d)[3], 23) << "parameter byte is the software version";
    EXPECT_EQ(le::getU16(*d, 4), 35);
    EXPECT_EQ(p[0], 1) << "hardware kind";
    EXPECT_FLOAT_EQ(le::getSingle(p, 1), 0.0f) << "no current while off";
    EXPECT_NEAR(le::getSingle(p, 5), sim.number("power.voltage"), 1e-3);
    EXPECT_GT(le::getSingle(p, 5), 20.0f) << "20 NiCd cells at half charge";
    EXPECT_FLOAT_EQ(le::getSingle(p, 9), 36.0f) << "source voltage";
    for (int i = 13; i < 21; ++i)
        EXPECT_EQ(p[i], 0) << "unused byte " << i;
    EXPECT_NEAR(le::getSingle(p, 21), 31.25f, 0.01f) << "battery temperature";
    EXPECT_GE(p[25], 199) << "LED seconds";
    EXPECT_LE(p[25], 200);
    EXPECT_GE(p[26], 99) << "siren seconds";
    EXPECT_LE(p[26], 100);
    EXPECT_EQ(p[27], 0);
    EXPECT_EQ(p[28], 0);
    EXPECT_EQ(p[29], 9) << "error type";
    EXPECT_EQ(le::getU16(p, 30), 0x8014) << "fault bits are exact";
    const auto temp = singleBytes(41.5f);
    EXPECT_EQ(p[32], temp[1]);
    EXPECT_EQ(p[33], temp[2]);
    EXPECT_EQ(p[34], temp[3]) << "module temperature's upper bytes follow the fault bits";
    EXPECT_EQ(sim.value("status_requests power"), "1");
}

TEST(SimStatus, MeasurementModuleStatusCarriesCellsBatteryTemperatureAndHead)
{
    SimProcess sim({"--cells", "18"});
    ASSERT_EQ(sim.command("set cell 4 0.875"), "OK");
    ASSERT_EQ(sim.command("set measure.head 7"), "OK");
    ASSERT_EQ(sim.command("set battery.temperature 18.5"), "OK");

    UdpClient udp;
    auto d = udp.status(sim.measureAddress(), sim.udpPort());
    ASSERT_TRUE(d);
    ASSERT_EQ(d->size(), 6u + 97);
    EXPECT_EQ(le::getU16(*d, 4), 97);
    EXPECT_EQ((*d)[1], 'M');
    EXPECT_EQ((*d)[2], 'S');
    const std::span<const std::uint8_t> p(d->data() + 6, 97);
    float sum = 0;
    for (int k = 1; k <= 20; ++k) {
        const float cell = le::getSingle(p, 4 * (k - 1));
        sum += cell;
        if (k == 4) {
            EXPECT_FLOAT_EQ(cell, 0.875f) << "fixed cell";
        } else if (k > 18) {
            EXPECT_EQ(cell, 0.0f) << "cell " << k << " is not in an 18-cell battery";
        } else {
            EXPECT_NEAR(cell, 1.25, 0.05) << "cell " << k;
        }
        EXPECT_NEAR(cell, sim.number("cell " + std::to_string(k)), 1e-4);
    }
    EXPECT_NEAR(le::getSingle(p, 80), sum, 1e-3) << "battery voltage is the sum of the cells";
    for (int i = 84; i < 92; ++i)
        EXPECT_EQ(p[i], 0);
    EXPECT_NEAR(le::getSingle(p, 92), 18.5f, 0.01f);
    EXPECT_EQ(p[96], 7);

    // "MS" over TCP gives the same layout.
    TcpClient c(sim.measureAddress(), sim.tcpPort());
    const Bytes tcp = c.exchange(makeFrame('M', 'S', 0));
    ASSERT_EQ(tcp.size(), d->size());
    EXPECT_EQ(tcp[6 + 96], 7);

    ASSERT_EQ(sim.command("set cell 4 model"), "OK");
    auto after = udp.status(sim.measureAddress(), sim.udpPort());
    ASSERT_TRUE(after);
    EXPECT_NEAR(le::getSingle(*after, 6 + 12), 1.25, 0.05) << "cell back to the model";
}

TEST(SimStatus, MeasurementModulesBatteryVoltageCanBeFixedApartFromThePowerModules)
{
    SimProcess sim;
    ASSERT_EQ(sim.command("set measure.battery_voltage 0.49"), "OK");
    EXPECT_EQ(sim.command("set measure.battery_voltage lots").rfind("ERR", 0), 0u);
    UdpClient udp;
    auto measure = udp.status(sim.measureAddress(), sim.udpPort());
    auto power = udp.status(sim.powerAddress(), sim.udpPort());
    ASSERT_TRUE(measure && power);
    EXPECT_FLOAT_EQ(le::getSingle(*measure, 6 + 80), 0.49f);
    EXPECT_FLOAT_EQ(static_cast<float>(sim.number("measure.battery_voltage")), 0.49f);
    EXPECT_NEAR(le::getSingle(*power, 6 + 5), sim.number("battery.voltage"), 1e-3) << "the power module's stays";
    TcpClient c(sim.measureAddress(), sim.tcpPort());
    EXPECT_FLOAT_EQ(le::getSingle(c.exchange(makeFrame('M', 'N', 0, {20})), 6), 0.49f) << "channel 20 agrees";

    ASSERT_EQ(sim.command("set measure.battery_voltage model"), "OK");
    measure = udp.status(sim.measureAddress(), sim.udpPort());
    ASSERT_TRUE(measure);
    EXPECT_NEAR(le::getSingle(*measure, 6 + 80), sim.number("battery.voltage"), 1e-3);
}

TEST(SimStatus, DroppedStatusRequestsAreCountedButNotAnsweredPerModule)
{
    SimProcess sim;
    UdpClient udp;
    ASSERT_EQ(sim.command("drop power on"), "OK");
    EXPECT_FALSE(udp.status(sim.powerAddress(), sim.udpPort(), 700ms)) << "power module should stay quiet";
    EXPECT_TRUE(udp.status(sim.measureAddress(), sim.udpPort())) << "measurement module still answers";
    ASSERT_EQ(sim.command("drop power off"), "OK");
    EXPECT_TRUE(udp.status(sim.powerAddress(), sim.udpPort()));
    EXPECT_EQ(sim.value("status_requests power"), "2");
    EXPECT_EQ(sim.value("status_requests measure"), "1");

    // Datagrams that are not status requests get nothing and are not counted.
    udp.send(sim.powerAddress(), sim.udpPort(), makeFrame('M', 'S', 0, {1}));
    udp.send(sim.powerAddress(), sim.udpPort(), {'#', 'M'});
    EXPECT_FALSE(udp.receive(300ms));
    EXPECT_EQ(sim.value("status_requests power"), "2");
}

} // namespace
} // namespace kapsorel::test
