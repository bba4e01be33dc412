// kapsorel-sim over its TCP command ports: one answer frame per request, the echoed letters,
// the settings memory and the record of received frames.
#include "core/base/bytes.h"
#include "sim_client.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

struct RunCommand {
    const char* name;
    Bytes request;
    std::size_t answerPayload;
};

std::vector<RunCommand> runCommands()
{
    Bytes pc{1};
    appendSingle(pc, 2.0f);
    appendSingle(pc, 30.0f);
    Bytes pt;
    appendSingle(pt, 1.5f);
    appendSingle(pt, 29.0f);
    Bytes pd{1};
    appendSingle(pd, 3.0f);
    Bytes zx;
    appendSingle(zx, 30.0f);
    appendSingle(zx, 10.0f);
    return {
        {"PC", makeFrame('P', 'C', 0, pc), 0},     {"PT", makeFrame('P', 'T', 0, pt), 0},
        {"PD", makeFrame('P', 'D', 0, pd), 0},     {"PS", makeFrame('P', 'S', 0), 0},
        {"PK", makeFrame('P', 'K', 0), 0},         {"PL", makeFrame('P', 'L', 1), 0},
        {"PA", makeFrame('P', 'A', 7, {5, 3}), 0}, {"Pa", makeFrame('P', 'a', 0, {1, 1}), 0},
        {"PE", makeFrame('P', 'E', 0), 0},         {"MT", makeFrame('M', 'T', 0), 5},
        {"ZX", makeFrame('Z', 'X', 0, zx), 0},
    };
}

TEST(SimFrames, EveryRunCommandGetsOneAnswerEchoingItsLettersOnFreshAndKeptConnections)
{
    SimProcess sim;
    const auto commands = runCommands();
    TcpClient kept(sim.powerAddress(), sim.tcpPort());
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        for (bool fresh : {true, false}) {
            Bytes answer;
            if (fresh) {
                TcpClient once(sim.powerAddress(), sim.tcpPort());
                answer = once.exchange(c.request);
                EXPECT_TRUE(once.quietFor(50ms)) << "more than one answer";
            } else {
                answer = kept.exchange(c.request);
            }
            ASSERT_EQ(answer.size(), 6 + c.answerPayload);
            EXPECT_EQ(answer[0], '#');
            EXPECT_EQ(answer[1], c.request[1]);
            EXPECT_EQ(answer[2], c.request[2]);
            EXPECT_EQ(answer[3], 0) << "status";
            EXPECT_EQ(le::getU16(answer, 4), c.answerPayload);
        }
    }
    EXPECT_TRUE(kept.quietFor(50ms));

    // The record holds every request byte for byte, in order.
    const auto frames = sim.frames("power");
    ASSERT_EQ(frames.size(), 2 * commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(frames[2 * i], commands[i].request) << commands[i].name;
        EXPECT_EQ(frames[2 * i + 1], commands[i].request) << commands[i].name;
    }
    EXPECT_EQ(sim.value("connections power"), std::to_string(commands.size() + 1));
}

TEST(SimFrames, ConnectionsAndClearAreCountedPerModule)
{
    SimProcess sim;
    {
        TcpClient a(sim.powerAddress(), sim.tcpPort());
        a.exchange(makeFrame('P', 'E', 0));
    }
    {
        TcpClient b(sim.powerAddress(), sim.tcpPort());
        b.exchange(makeFrame('P', 'E', 0));
    }
    {
        TcpClient c(sim.measureAddress(), sim.tcpPort());
        c.exchange(makeFrame('T', 'h', 0));
    }
    EXPECT_EQ(sim.value("connections power"), "2");
    EXPECT_EQ(sim.value("connections measure"), "1");
    EXPECT_EQ(sim.frames("measure"), std::vector<Bytes>{makeFrame('T', 'h', 0)});
    EXPECT_EQ(sim.number("power.new_tests"), 2);
    EXPECT_EQ(sim.command("clear frames"), "OK");
    EXPECT_TRUE(sim.frames("power").empty());
    EXPECT_EQ(sim.command("frames power"), "OK");
}

TEST(SimFrames, UnknownCommandsAndShortPayloadsAreRefusedWithEmptyAnswers)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    TcpClient measure(sim.measureAddress(), sim.tcpPort());
    const std::vector<std::pair<TcpClient*, Bytes>> cases = {
        {&power, makeFrame('Q', 'q', 0)},         {&power, makeFrame('P', 'c', 0)}, // letter case counts
        {&power, makeFrame('P', 'C', 0, {1, 0})},                                   // payload too short
        {&power, makeFrame('P', 'A', 0, {9})},                                      // one byte of two
        {&power, makeFrame('S', 'R', 0, {1})},                                      // no length byte
        {&measure, makeFrame('P', 'C', 0)}, // the measurement module takes no run commands
    };
    for (const auto& [client, request] : cases) {
        SCOPED_TRACE(std::string(request.begin() + 1, request.begin() + 3));
        const Bytes answer = client->exchange(request);
        ASSERT_EQ(answer.size(), 6u);
        EXPECT_EQ(answer[1], request[1]);
        EXPECT_EQ(answer[2], request[2]);
        EXPECT_NE(answer[3], 0);
        EXPECT_EQ(le::getU16(answer, 4), 0);
    }
    EXPECT_EQ(sim.value("get power.mode"), "off") << "a refused PC must not start charging";
}

TEST(SimFrames, FramesSplitAcrossWritesOrSentTogetherAreAnsweredInOrder)
{
    SimProcess sim;
    TcpClient client(sim.powerAddress(), sim.tcpPort());
    const Bytes a = makeFrame('P', 'E', 0);
    const Bytes b = makeFrame('M', 'T', 0);
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    client.send(both);
    auto first = client.readFrame();
    auto second = client.readFrame();
    ASSERT_TRUE(first && second);
    EXPECT_EQ((*first)[2], 'E');
    EXPECT_EQ((*second)[2], 'T');

    for (std::uint8_t byte : b) {
        client.send({byte});
        if (byte != b.back()) {
            EXPECT_TRUE(client.quietFor(10ms));
        }
    }
    auto third = client.readFrame();
    ASSERT_TRUE(third);
    EXPECT_EQ((*third)[2], 'T');
    EXPECT_EQ(third->size(), 11u);
}

TEST(SimFrames, SettingsMemoryHoldsFactoryBlocksAndKeepsWrites)
{
    SimProcess sim;
    auto read = [](TcpClient& c, std::uint16_t address, std::uint8_t length) {
        Bytes p;
        appendU16(p, address);
        p.push_back(length);
        return c.exchange(makeFrame('S', 'R', 0, p));
    };
    for (const auto& [address, port] :
         {std::pair{sim.powerAddress(), sim.tcpPort()}, std::pair{sim.measureAddress(), sim.tcpPort()}}) {
        SCOPED_TRACE(address);
        TcpClient c(address, port);
        const Bytes net = read(c, 53, 35);
        ASSERT_EQ(net.size(), 6u + 35);
        EXPECT_EQ(net[3], 0);
        const std::string own = std::to_string(net[6]) + "." + std::to_string(net[7]) + "." + std::to_string(net[8]) +
                                "." + std::to_string(net[9]);
        EXPECT_EQ(own, address) << "network block carries the module's own address";
        EXPECT_EQ(Bytes(net.begin() + 6, net.begin() + 10), Bytes(net.begin() + 26, net.begin() + 30));
        const Bytes ports = read(c, 120, 23);
        ASSERT_EQ(ports.size(), 6u + 23);
        EXPECT_EQ(le::getU16(ports, 6 + 9), 9761);
        EXPECT_EQ(le::getU16(ports, 6 + 11), sim.udpPort());
        EXPECT_EQ(le::getU16(ports, 6 + 13), 30306);

        // A write of the first 13 bytes of the ports block, read back, leaves the rest as it was.
        Bytes w;
        appendU16(w, 120);
        w.push_back(13);
        for (char ch : std::string("kontrola\0", 9))
            w.push_back(static_cast<std::uint8_t>(ch));
        appendU16(w, 1234);
        appendU16(w, 4321);
        const Bytes wrote = c.exchange(makeFrame('S', 'W', 0, w));
        EXPECT_EQ(wrote.size(), 6u);
        EXPECT_EQ(wrote[3], 0);
        const Bytes again = read(c, 120, 23);
        EXPECT_EQ(Bytes(again.begin() + 6, again.begin() + 19), Bytes(w.begin() + 3, w.end()));
        EXPECT_EQ(le::getU16(again, 6 + 13), 30306);

        // Ranges outside the memory and reads above the frame's capacity are refused.
        for (const auto& [at, len] : {std::pair<std::uint16_t, std::uint8_t>{65535, 8}, {0, 250}}) {
            const Bytes refused = read(c, at, len);
            EXPECT_EQ(refused.size(), 6u);
            EXPECT_NE(refused[3], 0);
        }
    }

    TcpClient power(sim.powerAddress(), sim.tcpPort());
    const Bytes settings = read(power, 300, 41);
    ASSERT_EQ(settings.size(), 6u + 41);
    EXPECT_EQ(le::getU16(settings, 6 + 10), 120);
    EXPECT_FLOAT_EQ(le::getSingle(settings, 6 + 20), 80.0f);
    EXPECT_FLOAT_EQ(le::getSingle(settings, 6 + 28), 149.5f);
    const Bytes block336 = read(power, 336, 5);
    EXPECT_EQ(block336[6], settings[6 + 36]) << "the 5 bytes at 336 are the tail of the settings block";
    const Bytes adc = read(power, 200, 58);
    ASSERT_EQ(adc.size(), 6u + 58);
    EXPECT_EQ(adc[6], 208);
    EXPECT_EQ(adc[6 + 1] & 0x90, 0x90);
    const Bytes sections = read(power, 1000, 74);
    EXPECT_EQ(sections[6], 9);
    EXPECT_EQ(sections[7], 4);
}

} // namespace
} // namespace kapsorel::test
