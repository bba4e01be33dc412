#include "core/comm/status_socket.h"

#include <arpa/inet.h>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <random>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace kapsorel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A bare UDP socket on a loopback address, standing in for a module or for a stranger.
class UdpPeer {
  public:
    UdpPeer(const std::string& address, std::uint16_t port)
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        timeval limit{10, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~UdpPeer() { ::close(fd_); }
    UdpPeer(const UdpPeer&) = delete;
    UdpPeer& operator=(const UdpPeer&) = delete;

    bool bound() const { return bound_; }
    std::uint16_t port() const { return port_; }

    // Waits (at most 10 s) for one datagram; returns its sender.
    std::optional<sockaddr_in> receive()
    {
        std::uint8_t buffer[256];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        if (::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len) < 0)
            return std::nullopt;
        return from;
    }
    void send(const sockaddr_in& to, const Bytes& bytes)
    {
        ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

  private:
    int fd_ = -1;
    bool bound_ = false;
    std::uint16_t port_ = 0;
};

// A status answer that tells which poll it belongs to by its parameter byte.
Bytes statusAnswer(std::uint8_t mark)
{
    return {'#', 'M', 'S', mark, 2, 0, mark, mark};
}

std::string randomLoopbackAddress()
{
    std::random_device rd;
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(rd)) + "." + std::to_string(part(rd)) + "." + std::to_string(part(rd));
}

class StatusSocketTest : public ::testing::Test {
  protected:
    struct Result {
        PollOutcome outcome;
        std::size_t received;
    };

    // Starts one poll of the module in the background.
    std::future<Result> startPoll(int limitMs) { return startPoll(socket, limitMs); }
    std::future<Result> startPoll(StatusSocket& poller, int limitMs)
    {
        return std::async(std::launch::async, [this, &poller, limitMs] {
            std::size_t received = 0;
            const auto outcome =
                poller.poll(moduleAddress, module.port(), request.data(), request.size(), buffer, received, limitMs);
            return Result{outcome, received};
        });
    }
    Bytes bufferStart(std::size_t n) const { return Bytes(buffer.begin(), buffer.begin() + static_cast<long>(n)); }

    const std::string moduleAddress = "127.0.0.1";
    UdpPeer module{moduleAddress, 0};
    StatusSocket socket;
    const Bytes request{'#', 'M', 'S', 0, 0, 0};
    std::array<std::uint8_t, kStatusBufferSize> buffer{};
};

TEST_F(StatusSocketTest, DatagramsFromAnyoneButThePolledModuleAreIgnored)
{
    struct StrangerCase {
        const char* name;
        std::string address;
        bool modulesPort;
    };
    const StrangerCase cases[] = {
        {"same address, another port", moduleAddress, false},
        {"another address, the module's port", randomLoopbackAddress(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UdpPeer stranger(c.address, c.modulesPort ? module.port() : 0);
        ASSERT_TRUE(stranger.bound());
        buffer.fill(0xEE);
        StatusSocket fresh;
        auto poll = startPoll(fresh, 10000);
        const auto poller = module.receive();
        ASSERT_TRUE(poller);
        stranger.send(*poller, statusAnswer(0x66));
        module.send(*poller, statusAnswer(1));
        const Result r = poll.get();
        EXPECT_EQ(r.outcome, PollOutcome::Answered);
        EXPECT_EQ(r.received, statusAnswer(1).size());
        EXPECT_EQ(bufferStart(9), (Bytes{'#', 'M', 'S', 1, 2, 0, 1, 1, 0xEE}));
    }
}

TEST_F(StatusSocketTest, AStrangersDatagramAloneIsNoAnswerAndLeavesTheBufferAlone)
{
    UdpPeer stranger(moduleAddress, 0);
    buffer.fill(0xEE);
    auto poll = startPoll(500);
    const auto poller = module.receive();
    ASSERT_TRUE(poller);
    stranger.send(*poller, statusAnswer(0x66));
    const Result r = poll.get();
    EXPECT_EQ(r.outcome, PollOutcome::TimedOut);
    EXPECT_EQ(r.received, 0u);
    EXPECT_EQ(bufferStart(8), Bytes(8, 0xEE));
}

TEST_F(StatusSocketTest, ALateAnswerToATimedOutPollIsNotTakenForTheNextOne)
{
    auto first = startPoll(200);
    const auto firstFrom = module.receive();
    ASSERT_TRUE(firstFrom);
    EXPECT_EQ(first.get().outcome, PollOutcome::TimedOut);
    module.send(*firstFrom, statusAnswer(1)); // too late: waiting on the socket for the next poll

    auto second = startPoll(10000);
    const auto secondFrom = module.receive();
    ASSERT_TRUE(secondFrom);
    ASSERT_EQ(secondFrom->sin_port, firstFrom->sin_port); // the same socket polls again
    module.send(*secondFrom, statusAnswer(2));
    const Result r = second.get();
    EXPECT_EQ(r.outcome, PollOutcome::Answered);
    EXPECT_EQ(bufferStart(8), statusAnswer(2));
}

} // namespace
} // namespace kapsorel::test
