// The TFTP client against kapsorel-sim's firmware upload server over loopback: blocks and
// their numbers, the log lines, the write request attempts, error packets in both phases,
// duplicate and foreign acknowledgements, datagrams from elsewhere, blocks sent again after a
// quiet slice, and cancelling.
#include "recording_events.h"
#include "support/sim_process.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace kapsorel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint16_t kSimTftpPort = 6969;

Bytes pattern(std::size_t size)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return b;
}

Bytes unhex(const std::string& text)
{
    Bytes out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

class TftpSendTest : public testing::Test {
  protected:
    TftpSendTest() : sim_({"--tftp-port", std::to_string(kSimTftpPort)})
    {
        client_.targetHost = sim_.powerAddress();
        client_.targetPort = kSimTftpPort;
        client_.timings = quickTimings();
    }

    bool send(const Bytes& data)
    {
        client_.data = data;
        return client_.sendFile("#", "#", events_, events_.cancel);
    }

    Bytes received() { return unhex(sim_.value("tftp image")); }

    SimProcess sim_;
    TTFTPSend client_;
    RecordingEvents events_;
};

struct SizeCase {
    std::size_t size;
    double blocks;             // data packets, the last one short or empty
    std::vector<int> percents; // progress bar positions shown
};

class TftpSizes : public TftpSendTest, public testing::WithParamInterface<SizeCase> {};

TEST_P(TftpSizes, SendsFullBlocksThenTheShortOrEmptyLast)
{
    const auto& c = GetParam();
    const Bytes data = pattern(c.size);
    ASSERT_TRUE(send(data)) << client_.errorCode() << " " << client_.errorText();
    EXPECT_EQ(received(), data);
    EXPECT_EQ(sim_.number("tftp.blocks"), c.blocks);
    EXPECT_EQ(events_.percents, c.percents);
    EXPECT_EQ(events_.lines, (std::vector<std::string>{"- - -", "Požadavek na zápis - 0", "Posílám data"}));
    EXPECT_EQ(events_.shownChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(client_.errorCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Blocks, TftpSizes,
                         testing::Values(SizeCase{1024, 3, {50, 100}}, SizeCase{100, 1, {}}, SizeCase{0, 1, {}},
                                         SizeCase{511, 1, {}}, SizeCase{512, 2, {100}},
                                         SizeCase{1537, 4, {33, 66, 100}}));

TEST_F(TftpSendTest, NoAnswerMakesTwentyOneRequestsAndFailsWithCodeZero)
{
    sim_.value("tftp silent on");
    EXPECT_FALSE(send(pattern(10)));
    std::vector<std::string> expected{"- - -"};
    for (int i = 0; i <= 20; ++i)
        expected.push_back("Požadavek na zápis - " + std::to_string(i));
    EXPECT_EQ(events_.lines, expected);
    EXPECT_EQ(client_.errorCode(), 0);
    EXPECT_EQ(client_.errorText(), "");
    EXPECT_EQ(sim_.number("tftp.requests"), 21);
    EXPECT_FALSE(client_.cancelled());
}

TEST_F(TftpSendTest, RefusalCodeSevenEndsAtTheFirstRequest)
{
    sim_.value("tftp refuse on");
    EXPECT_FALSE(send(pattern(10)));
    EXPECT_EQ(client_.errorCode(), 7);
    EXPECT_EQ(client_.errorText(), "Access refused");
    EXPECT_EQ(events_.count("Požadavek na zápis - "), 1u);
    EXPECT_EQ(sim_.number("tftp.requests"), 1);
}

TEST_F(TftpSendTest, OtherRequestErrorIsRetriedAndKeepsItsCode)
{
    sim_.value("tftp request_error 2");
    EXPECT_FALSE(send(pattern(10)));
    EXPECT_EQ(client_.errorCode(), 2);
    EXPECT_EQ(client_.errorText(), "Request failed");
    EXPECT_EQ(events_.count("Požadavek na zápis - "), 21u);
    EXPECT_EQ(sim_.number("tftp.requests"), 21);
}

TEST_F(TftpSendTest, ErrorInTheDataPhaseFailsWithItsCode)
{
    sim_.value("tftp data_error 2 3");
    EXPECT_FALSE(send(pattern(2000)));
    EXPECT_EQ(client_.errorCode(), 3);
    EXPECT_EQ(client_.errorText(), "Write failed");
    EXPECT_EQ(sim_.number("tftp.transfers"), 0);
    EXPECT_EQ(events_.shownChanges, (std::vector<bool>{true, false}));
}

// What the upload gets over, and what it costs in data packets sent: a duplicate of the
// previous acknowledgement is ignored, not answered by sending again; a lost acknowledgement
// costs one quiet slice and the block once more; an acknowledgement from the server's
// request port instead of the transfer's is passed over the same way; datagrams from
// anywhere but the transfer port (a look-alike acknowledgement and junk, twenty before each
// real one) neither use up the wait nor end the upload.
struct SurvivedFault {
    const char* name;
    const char* fault;
    std::size_t size;
    double blocks;
    double dataPackets;
};

void PrintTo(const SurvivedFault& c, std::ostream* os)
{
    *os << c.name;
}

class TftpSurvives : public TftpSendTest, public testing::WithParamInterface<SurvivedFault> {};

TEST_P(TftpSurvives, TheUploadCompletesWithTheBlocksItHadToSendAgain)
{
    const auto& c = GetParam();
    // Slices long enough that only a lost acknowledgement, never a slow one, sends a block again.
    client_.timings.dataReceiveMs = 500;
    sim_.value(c.fault);
    const Bytes data = pattern(c.size);
    ASSERT_TRUE(send(data)) << client_.errorCode() << " " << client_.errorText();
    EXPECT_EQ(received(), data);
    EXPECT_EQ(sim_.number("tftp.blocks"), c.blocks);
    EXPECT_EQ(sim_.number("tftp.data_packets"), c.dataPackets);
}

INSTANTIATE_TEST_SUITE_P(Faults, TftpSurvives,
                         testing::Values(SurvivedFault{"duplicate_acks", "tftp duplicate_acks on", 3000, 6, 6},
                                         SurvivedFault{"lost_ack", "tftp drop_ack 2", 2000, 4, 5},
                                         SurvivedFault{"ack_from_request_port", "tftp stray_ack 1", 700, 2, 3},
                                         SurvivedFault{"foreign_datagrams", "tftp foreign 20", 5 * 512 + 100, 6, 6}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// A module that stops acknowledging: the block is sent again after each quiet slice, and the
// transfer fails with code 0 once eleven slices have passed.
TEST_F(TftpSendTest, AModuleThatStaysQuietFailsAfterElevenSlices)
{
    sim_.value("tftp silent_data on");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(send(pattern(2000)));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(client_.errorCode(), 0);
    EXPECT_GE(took, std::chrono::milliseconds(11 * 60));
    // Sent once per slice: again and again, never more often.
    EXPECT_GE(sim_.number("tftp.data_packets"), 2);
    EXPECT_LE(sim_.number("tftp.data_packets"), 11);
}

TEST_F(TftpSendTest, CancelStopsTheDataPhase)
{
    events_.cancelAtPercent = 10;
    EXPECT_FALSE(send(pattern(100 * 512)));
    EXPECT_TRUE(client_.cancelled());
    EXPECT_EQ(sim_.number("tftp.transfers"), 0);
    ASSERT_FALSE(events_.percents.empty());
    EXPECT_LE(events_.percents.back(), 11);
    EXPECT_EQ(events_.shownChanges, (std::vector<bool>{true, false}));
}

TEST_F(TftpSendTest, CancelStopsTheRequestPhaseAtOnce)
{
    sim_.value("tftp silent on");
    client_.timings = TftpTimings{}; // 21 x (500 + 500) ms if nothing stopped it
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        events_.cancel.store(true);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(send(pattern(10)));
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_TRUE(client_.cancelled());
    EXPECT_LT(took, std::chrono::seconds(3));
}

TEST_F(TftpSendTest, NoTargetAddressFailsWithoutRequests)
{
    client_.targetHost = "not an address";
    EXPECT_FALSE(send(pattern(10)));
    EXPECT_EQ(events_.lines, (std::vector<std::string>{"- - -"}));
}

} // namespace
} // namespace kapsorel::test
