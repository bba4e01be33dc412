// kapsorel-sim's firmware upload server: RFC 1350 write transfers on the power module's
// address and the injectable refusal, silence and acknowledgement faults.
#include "sim_client.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

constexpr std::uint16_t kTftpPort = 6969;

Bytes writeRequest()
{
    return {0, 2, '#', 0, '#', 0};
}

Bytes dataPacket(std::uint16_t block, const Bytes& data, std::size_t from, std::size_t size)
{
    Bytes p{0, 3, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)};
    p.insert(p.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
             data.begin() + static_cast<std::ptrdiff_t>(from + size));
    return p;
}

Bytes ack(std::uint16_t block)
{
    return {0, 4, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)};
}

std::string hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// A TFTP sender that follows the transfer port the server answers from.
class Sender {
  public:
    Sender(SimProcess& sim) : sim_(sim) {}

    // Sends the write request; returns the first answer.
    std::optional<Bytes> request()
    {
        udp_.send(sim_.powerAddress(), kTftpPort, writeRequest());
        return receive();
    }

    std::optional<Bytes> receive(std::chrono::milliseconds limit = 1000ms)
    {
        sockaddr_in from{};
        auto packet = udp_.receive(limit, &from);
        if (packet)
            transferPort_ = ntohs(from.sin_port);
        return packet;
    }

    void sendBlock(std::uint16_t block, const Bytes& image)
    {
        const std::size_t from = (block - 1) * 512u;
        const std::size_t size = std::min<std::size_t>(512, image.size() - from);
        udp_.send(sim_.powerAddress(), transferPort_, dataPacket(block, image, from, size));
    }

    std::uint16_t transferPort() const { return transferPort_; }

  private:
    SimProcess& sim_;
    UdpClient udp_;
    std::uint16_t transferPort_ = 0;
};

Bytes image(std::size_t size)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
    return b;
}

TEST(SimTftp, WriteTransfersKeepTheImageWhateverItsLength)
{
    SimProcess sim({"--tftp-port", std::to_string(kTftpPort)});
    EXPECT_EQ(sim.tftpPort(), kTftpPort);
    for (std::size_t size : {std::size_t{0}, std::size_t{300}, std::size_t{1024}, std::size_t{1500}}) {
        SCOPED_TRACE(size);
        const Bytes firmware = image(size);
        Sender sender(sim);
        auto first = sender.request();
        ASSERT_TRUE(first);
        EXPECT_EQ(*first, ack(0));
        EXPECT_NE(sender.transferPort(), kTftpPort) << "the transfer runs on its own port";
        const std::uint16_t blocks = static_cast<std::uint16_t>(size / 512 + 1); // the last one is short
        for (std::uint16_t block = 1; block <= blocks; ++block) {
            sender.sendBlock(block, firmware);
            auto answer = sender.receive();
            ASSERT_TRUE(answer) << "block " << block;
            EXPECT_EQ(*answer, ack(block));
        }
        EXPECT_EQ(sim.number("tftp.size"), static_cast<double>(size));
        EXPECT_EQ(sim.value("tftp image"), hex(firmware));
    }
    EXPECT_EQ(sim.number("tftp.transfers"), 4);
    EXPECT_EQ(sim.number("tftp.requests"), 4);
}

TEST(SimTftp, RefusalSilenceAndForeignRequests)
{
    SimProcess sim({"--tftp-port", std::to_string(kTftpPort)});
    ASSERT_EQ(sim.command("tftp refuse on"), "OK");
    Sender sender(sim);
    auto refused = sender.request();
    ASSERT_TRUE(refused);
    ASSERT_GE(refused->size(), 5u);
    EXPECT_EQ((*refused)[1], 5) << "error packet";
    EXPECT_EQ((*refused)[3], 7) << "code 7: the module refuses";

    ASSERT_EQ(sim.command("tftp refuse off"), "OK");
    ASSERT_EQ(sim.command("tftp silent on"), "OK");
    EXPECT_FALSE(sender.request()) << "no answer at all";
    ASSERT_EQ(sim.command("tftp silent off"), "OK");

    UdpClient udp;
    udp.send(sim.powerAddress(), kTftpPort, {0, 1, 'x', 0, 'o', 'c', 't', 'e', 't', 0}); // read request
    auto foreign = udp.receive();
    ASSERT_TRUE(foreign);
    EXPECT_EQ((*foreign)[1], 5);
    EXPECT_EQ((*foreign)[3], 4) << "illegal operation";
    EXPECT_EQ(sim.number("tftp.requests"), 2);
    EXPECT_EQ(sim.number("tftp.transfers"), 0);
}

TEST(SimTftp, LostAndDoubledAcknowledgements)
{
    SimProcess sim({"--tftp-port", std::to_string(kTftpPort)});
    const Bytes firmware = image(1100);
    ASSERT_EQ(sim.command("tftp duplicate_acks on"), "OK");
    ASSERT_EQ(sim.command("tftp drop_ack 2"), "OK");
    Sender sender(sim);
    ASSERT_EQ(sender.request(), ack(0));
    sender.sendBlock(1, firmware);
    EXPECT_EQ(sender.receive(), ack(0)) << "the previous block's acknowledgement comes first";
    EXPECT_EQ(sender.receive(), ack(1));
    sender.sendBlock(2, firmware);
    EXPECT_EQ(sender.receive(), ack(1)) << "only the doubled one";
    EXPECT_FALSE(sender.receive(300ms)) << "the acknowledgement of block 2 is lost";
    sender.sendBlock(2, firmware);
    EXPECT_EQ(sender.receive(), ack(2)) << "a repeated block is acknowledged again";
    ASSERT_EQ(sim.command("tftp duplicate_acks off"), "OK");
    sender.sendBlock(3, firmware);
    EXPECT_EQ(sender.receive(), ack(3));
    EXPECT_EQ(sim.number("tftp.size"), 1100);
}

TEST(SimTftp, WithoutTftpPortZeroThereIsNoServer)
{
    SimProcess sim({"--tftp-port", "0"});
    EXPECT_EQ(sim.tftpPort(), 0);
}

} // namespace
} // namespace kapsorel::test
