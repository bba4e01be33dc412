#include "core/comm/module_link.h"
#include "core/comm/run_commands.h"
#include "support/sim_process.h"
#include "support/wait_until.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kapsorel::test {
namespace {

class ModuleLinkTest : public ::testing::Test {
  protected:
    ModuleLinkTest()
    {
        link.setEndpoint(sim.powerAddress(), sim.tcpPort());
        link.setMessageSink([this](const std::string& m) { messages.push_back(m); });
    }

    // Fills the request with a command and marks the whole payload area with 0xAA.
    void request(char group, char command, std::uint8_t param, std::uint16_t length)
    {
        auto& f = frame;
        std::fill(f.payload().begin(), f.payload().end(), 0xAA);
        f.setCommand(group, command);
        f.setParam(param);
        f.setPayloadLength(length);
    }

    // One exchange of the request; `frame` then holds the link's buffer as the exchange
    // left it, and the exchange's messages have arrived.
    ExchangeOutcome exchange(std::uint8_t disconnectAfter)
    {
        auto ex = link.begin();
        ex.frame() = frame;
        const ExchangeOutcome outcome = ex.exchange(disconnectAfter);
        frame = ex.frame();
        return outcome;
    }

    SimProcess sim;
    ModuleLink link{"vyk"};
    ModuleFrame frame;
    std::vector<std::string> messages;
};

TEST_F(ModuleLinkTest, AnswerReplacesHeaderAndExactlyItsPayload)
{
    request('P', 'S', 0, 0);
    ASSERT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(frame.group(), 'P');
    EXPECT_EQ(frame.command(), 'S');
    EXPECT_EQ(frame.status(), 0);
    EXPECT_EQ(frame.payloadLength(), 0);
    EXPECT_EQ(frame.u8(0), 0xAA); // no payload read

    request('M', 'T', 0, 0);
    ASSERT_EQ(exchange(1), ExchangeOutcome::Answered);
    ASSERT_EQ(frame.payloadLength(), 5);
    EXPECT_NE(frame.u8(4), 0xAA); // the five answer bytes arrived
    EXPECT_EQ(frame.u8(5), 0xAA); // and nothing beyond them
    EXPECT_EQ(link.notConnected(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ModuleLinkTest, UnknownCommandAnswersWithTheModulesErrorStatus)
{
    request('Q', 'q', 0, 0);
    ASSERT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(frame.group(), 'Q');
    EXPECT_EQ(frame.command(), 'q');
    EXPECT_NE(frame.status(), 0);
}

TEST_F(ModuleLinkTest, KeptConnectionIsReusedAndDisconnectAfterOneConnectsAnew)
{
    for (int i = 0; i < 3; ++i) {
        request('P', 'S', 0, 0);
        ASSERT_EQ(exchange(0), ExchangeOutcome::Answered);
    }
    EXPECT_EQ(sim.value("connections power"), "1");
    request('P', 'S', 0, 0);
    ASSERT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_FALSE(link.connected());
    request('P', 'S', 0, 0);
    ASSERT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(sim.value("connections power"), "2");
}

TEST_F(ModuleLinkTest, PortZeroConnectsToTheDefaultPortAndKeepsIt)
{
    ASSERT_EQ(sim.tcpPort(), kDefaultTcpPort);
    link.setEndpoint(sim.powerAddress(), 0);
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(link.tcpPort(), kDefaultTcpPort);
}

TEST_F(ModuleLinkTest, EmptyAddressSaysIpAdrAndLeavesTheBufferAlone)
{
    link.setEndpoint("", kDefaultTcpPort);
    request('P', 'C', 7, 9);
    const auto before = frame.bytes;
    EXPECT_EQ(exchange(1), ExchangeOutcome::NoAddress);
    EXPECT_EQ(frame.bytes, before);
    EXPECT_EQ(link.notConnected(), 0);
    EXPECT_EQ(messages, std::vector<std::string>{"IP adr"});
}

TEST_F(ModuleLinkTest, RefusedConnectionGivesStatusOneAndTheFlagAfterOneMessage)
{
    link.setEndpoint(sim.powerAddress(), static_cast<std::uint16_t>(sim.tcpPort() + 1)); // nobody listens
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(1), ExchangeOutcome::NotConnected);
    EXPECT_EQ(frame.status(), 1);
    EXPECT_EQ(link.notConnected(), 1);
    EXPECT_EQ(messages.size(), 1u);

    link.setEndpoint(sim.powerAddress(), sim.tcpPort());
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(link.notConnected(), 0);
}

TEST_F(ModuleLinkTest, ConnectionThatNeverCompletesGivesUpAfterFiveSeconds)
{
    // A listener that never accepts, with its one-place queue already taken: the next
    // connection attempt gets no answer at all, as with a module that is switched off.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = 0;
    ::inet_pton(AF_INET, sim.powerAddress().c_str(), &addr.sin_addr);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    link.setEndpoint(sim.powerAddress(), ntohs(addr.sin_port));
    request('P', 'S', 0, 0);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(1), ExchangeOutcome::NotConnected);
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_GE(took, std::chrono::milliseconds(4900));
    EXPECT_LT(took, std::chrono::milliseconds(7000));
    EXPECT_EQ(frame.status(), 1);
    EXPECT_EQ(link.notConnected(), 1);
    EXPECT_EQ(messages.size(), 1u);
    ::close(filler);
    ::close(listener);
}

TEST_F(ModuleLinkTest, SilentModuleEndsTheExchangeAtTheReadLimitAndTheLinkRecovers)
{
    link.setReadLimitMs(300);
    sim.value("silent power on");
    request('P', 'S', 0, 0);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(0), ExchangeOutcome::ReadFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
    EXPECT_EQ(frame.status(), 1);
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(messages.size(), 1u);

    sim.value("silent power off");
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(frame.status(), 0);
}

TEST_F(ModuleLinkTest, ModuleGoneFromAKeptConnectionFailsOneExchangeAndTheLinkConnectsAnewWhenItIsBack)
{
    link.setReadLimitMs(1000);
    request('P', 'S', 0, 0);
    ASSERT_EQ(exchange(0), ExchangeOutcome::Answered);
    ASSERT_TRUE(link.connected());

    sim.kill();
    request('P', 'S', 0, 0);
    const auto t0 = std::chrono::steady_clock::now();
    const ExchangeOutcome lost = exchange(0);
    EXPECT_TRUE(lost == ExchangeOutcome::WriteFailed || lost == ExchangeOutcome::ReadFailed) << static_cast<int>(lost);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
    EXPECT_EQ(frame.status(), 1);
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(messages.size(), 1u);

    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(0), ExchangeOutcome::NotConnected);
    EXPECT_EQ(link.notConnected(), 1);

    sim.restart();
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(0), ExchangeOutcome::Answered);
    EXPECT_EQ(frame.status(), 0);
    EXPECT_EQ(link.notConnected(), 0);
}

TEST_F(ModuleLinkTest, OversizedAnswerIsReadToItsEndAndRefusedWithoutOverrun)
{
    sim.value("oversize power on");
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(0), ExchangeOutcome::AnswerTooLong);
    EXPECT_EQ(frame.status(), 1);
    EXPECT_LE(frame.payloadLength(), kFramePayloadCapacity);
    EXPECT_EQ(messages.size(), 1u);

    // The connection stayed in step: the next answer on it is a proper one.
    sim.value("oversize power off");
    request('P', 'S', 0, 0);
    EXPECT_EQ(exchange(1), ExchangeOutcome::Answered);
    EXPECT_EQ(frame.status(), 0);
    EXPECT_EQ(frame.payloadLength(), 0);
}

TEST_F(ModuleLinkTest, ExchangesFromSeveralThreadsNeverMixTheirFrames)
{
    LiveValues live;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i)
                commandDischarge(link, live, static_cast<float>(t * 100 + i));
        });
    for (auto& th : threads)
        th.join();
    const auto frames = sim.frames("power");
    ASSERT_EQ(frames.size(), 40u);
    for (const auto& f : frames) {
        ASSERT_EQ(f.size(), 6u + 5);
        EXPECT_EQ(f[1], 'P');
        EXPECT_EQ(f[2], 'D');
        EXPECT_EQ(f[6], 1);
    }
}

// The GUI thread's end of a synchronous call from a worker: the worker hands over a message
// and waits until the GUI thread has shown it; the GUI thread shows it only when it is free.
class BlockingMessageBox {
  public:
    // Worker side. False when the GUI thread did not show the message within `limit`.
    bool showAndWait(const std::string& message, std::chrono::milliseconds limit)
    {
        std::unique_lock l(mutex_);
        posted_ = message;
        changed_.notify_all();
        return changed_.wait_for(l, limit, [&] { return shown_; });
    }
    // GUI side: waits at most `limit` for a message and shows it.
    std::optional<std::string> serve(std::chrono::milliseconds limit)
    {
        std::unique_lock l(mutex_);
        if (!changed_.wait_for(l, limit, [&] { return posted_.has_value(); }))
            return std::nullopt;
        shown_ = true;
        changed_.notify_all();
        return posted_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<std::string> posted_;
    bool shown_ = false;
};

TEST_F(ModuleLinkTest, FailingWorkerExchangeReportsWithoutHoldingTheLockTheGuiThreadWaitsFor)
{
    BlockingMessageBox box;
    std::atomic<bool> shownInTime{false};
    link.setMessageSink([&](const std::string& m) { shownInTime = box.showAndWait(m, std::chrono::seconds(10)); });
    link.setReadLimitMs(1500);
    sim.value("silent power on");

    // The power poller signals a module error; the module never answers.
    std::thread worker([&] { commandSignal(link, 255, 7); });
    EXPECT_TRUE(waitUntil([&] { return !sim.frames("power").empty(); }, std::chrono::seconds(5)));
    sim.value("silent power off");

    // Meanwhile the operator clicks the alarm banner: the GUI thread needs the same lock
    // before it can get back to the worker's message.
    commandSignalAck(link);
    const auto shown = box.serve(std::chrono::seconds(15));
    worker.join();

    EXPECT_TRUE(shownInTime.load());
    EXPECT_EQ(shown, std::optional<std::string>("Modul vyk neodpověděl"));
    const auto frames = sim.frames("power");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][2], 'A');
    EXPECT_EQ(frames[1][2], 'a');
}

} // namespace
} // namespace kapsorel::test
