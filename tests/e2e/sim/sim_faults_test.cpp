// kapsorel-sim's injectable TCP faults: silent module, oversized answers, hang-up, slow answers;
// and the process helper's kill and restart.
#include "core/base/bytes.h"
#include "core/comm/module_frame.h"
#include "sim_client.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

TEST(SimFaults, SilentModuleAcceptsAndReadsButNeverAnswers)
{
    SimProcess sim;
    ASSERT_EQ(sim.command("silent power on"), "OK");
    TcpClient client(sim.powerAddress(), sim.tcpPort());
    client.send(makeFrame('P', 'E', 0));
    client.send(makeFrame('P', 'S', 0));
    EXPECT_TRUE(client.quietFor(600ms));
    EXPECT_EQ(sim.frames("power").size(), 2u) << "requests are still read and recorded";
    EXPECT_EQ(sim.value("get power.new_tests"), "0") << "and not acted on";

    // The measurement module is not affected; switching back answers the next request.
    TcpClient measure(sim.measureAddress(), sim.tcpPort());
    EXPECT_EQ(measure.exchange(makeFrame('T', 'h', 0)).size(), 7u);
    ASSERT_EQ(sim.command("silent power off"), "OK");
    const Bytes answer = client.exchange(makeFrame('M', 'T', 0));
    EXPECT_EQ(answer[2], 'T');
}

TEST(SimFaults, OversizeAnswersAnnounceAndCarryMoreThanTheFrameHolds)
{
    SimProcess sim;
    ASSERT_EQ(sim.command("oversize power on"), "OK");
    TcpClient client(sim.powerAddress(), sim.tcpPort());
    client.send(makeFrame('M', 'T', 0));
    auto header = client.read(6);
    ASSERT_TRUE(header);
    const std::size_t announced = le::getU16(*header, 4);
    EXPECT_GT(announced, kFramePayloadCapacity);
    EXPECT_TRUE(client.read(announced)) << "all announced bytes arrive";
    EXPECT_TRUE(client.quietFor(100ms)) << "and not one more";

    client.send(makeFrame('P', 'E', 0));
    auto second = client.readFrame();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->size(), 6 + announced) << "every answer while the switch is on";

    ASSERT_EQ(sim.command("oversize power off"), "OK");
    EXPECT_EQ(client.exchange(makeFrame('P', 'E', 0)).size(), 6u);
}

TEST(SimFaults, HangUpClosesTheConnectionOnARequest)
{
    SimProcess sim;
    ASSERT_EQ(sim.command("hangup measure on"), "OK");
    TcpClient client(sim.measureAddress(), sim.tcpPort());
    client.send(makeFrame('T', 'T', 0));
    EXPECT_TRUE(client.closedByPeer(2000ms));
    EXPECT_EQ(sim.frames("measure").size(), 1u);
}

TEST(SimFaults, TruncatedAnswersStopHalfWayAndTheConnectionCloses)
{
    SimProcess sim;
    ASSERT_EQ(sim.command("truncate power on"), "OK");
    for (const Bytes& request : {makeFrame('M', 'T', 0), makeFrame('P', 'E', 0)}) {
        TcpClient client(sim.powerAddress(), sim.tcpPort());
        client.send(request);
        auto header = client.read(6);
        ASSERT_TRUE(header);
        EXPECT_EQ((*header)[2], request[2]);
        const std::size_t announced = le::getU16(*header, 4);
        EXPECT_GE(announced, 4u);
        EXPECT_TRUE(client.read(announced / 2)) << "half the payload arrives";
        EXPECT_TRUE(client.closedByPeer(2000ms)) << "then the module closes";
    }
    ASSERT_EQ(sim.command("truncate power off"), "OK");
    TcpClient client(sim.powerAddress(), sim.tcpPort());
    EXPECT_EQ(client.exchange(makeFrame('M', 'T', 0)).size(), 11u);
}

TEST(SimFaults, DelayedAnswersArriveLateButComplete)
{
    SimProcess sim;
    ASSERT_EQ(sim.command("delay power 400"), "OK");
    TcpClient client(sim.powerAddress(), sim.tcpPort());
    client.send(makeFrame('M', 'T', 0));
    EXPECT_TRUE(client.quietFor(200ms));
    auto answer = client.readFrame(3000ms);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), 11u);
}

TEST(SimFaults, ControlRefusesMalformedCommandsWithErr)
{
    SimProcess sim;
    for (const char* line : {"", "frobnicate", "drop heater on", "silent power maybe", "set power.error 256",
                             "set power.faults 70000", "set cell 21 1.0", "set cell 0 1.0", "set battery.charge 1.5",
                             "set battery.capacity -3", "get nothing", "frames", "set weak_cell 99"}) {
        const std::string reply = sim.command(line);
        EXPECT_EQ(reply.rfind("ERR ", 0), 0u) << "\"" << line << "\" gave " << reply;
    }
    EXPECT_THROW(sim.value("get nothing"), std::runtime_error);
    EXPECT_EQ(sim.command("get power.error"), "OK 0") << "refused settings changed nothing";
}

TEST(SimProcessHelper, KillRemovesTheModulesAndRestartBringsThemBackOnTheSameAddresses)
{
    SimProcess sim;
    const std::string power = sim.powerAddress();
    ASSERT_NE(power.rfind("127.", 0), std::string::npos);
    EXPECT_NE(power, "127.0.0.2") << "default is a fresh random pair";
    sim.kill();
    EXPECT_FALSE(sim.running());
    EXPECT_THROW(TcpClient(power, sim.tcpPort()), std::runtime_error);
    UdpClient udp;
    EXPECT_FALSE(udp.status(power, sim.udpPort(), 300ms));
    sim.restart();
    EXPECT_TRUE(sim.running());
    EXPECT_EQ(sim.powerAddress(), power);
    TcpClient client(power, sim.tcpPort());
    EXPECT_EQ(client.exchange(makeFrame('P', 'E', 0)).size(), 6u);
    EXPECT_TRUE(udp.status(power, sim.udpPort()));
}

TEST(SimProcessHelper, TwoSimulatorsRunSideBySide)
{
    SimProcess a;
    SimProcess b({"--chemistry", "pb"});
    EXPECT_NE(a.powerAddress(), b.powerAddress());
    EXPECT_EQ(a.value("get battery.chemistry"), "nicd");
    EXPECT_EQ(b.value("get battery.chemistry"), "pb");
    EXPECT_EQ(b.number("battery.cells"), 12);
}

} // namespace
} // namespace kapsorel::test
