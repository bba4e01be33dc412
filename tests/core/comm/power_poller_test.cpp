// The power poller's passes in this process: its status answers come from a prepared
// channel and its commands are recorded; no module and no socket.
#include "core/comm/power_poller.h"
#include "support/fake_clock.h"
#include "support/fixture_bytes.h"
#include "support/recording_power.h"
#include "support/recording_ui.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>

namespace kapsorel::test {
namespace {

// Answers each poll with the next prepared status (an empty one: no answer).
class PreparedStatus final : public StatusChannel {
  public:
    PollOutcome poll(StatusBuffer& buffer, std::size_t& received, int) override
    {
        ++polls;
        if (answers.empty() || !answers.front()) {
            if (!answers.empty())
                answers.pop_front();
            return PollOutcome::TimedOut;
        }
        const std::vector<std::uint8_t> bytes = *answers.front();
        answers.pop_front();
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        received = bytes.size();
        return PollOutcome::Answered;
    }
    void release() override { ++releases; }

    std::deque<std::optional<std::vector<std::uint8_t>>> answers;
    int polls = 0;
    int releases = 0;
};

// A power module status answer with the error type and fault bits at their offsets.
std::vector<std::uint8_t> powerStatus(std::uint8_t errorType, std::uint16_t faults = 0, float current = 0)
{
    std::vector<std::uint8_t> b(6 + 35, 0);
    putU8(b, 0, '#');
    putU8(b, 1, 'M');
    putU8(b, 2, 'S');
    putU16(b, 4, 35);
    putF32(b, 6 + 1, current);
    putU8(b, 6 + 29, errorType);
    putU16(b, 6 + 30, faults);
    return b;
}

class PowerPollerTest : public ::testing::Test {
  protected:
    PowerPollerTest()
    {
        station.live.reset(0);
        station.live.commFault = 0;
        station.errorSirenSeconds = 7;
    }
    void runActive() { station.run.setPhase(RunPhase::StepRunning); }

    Station station;
    PreparedStatus channel;
    RecordingPower power;
    FakeClock clock;
    RecordingUi ui;
    PowerPoller poller{station, channel, power, ui, clock, [] { return true; }};
};

TEST_F(PowerPollerTest, SixthFailedPollOfARunAbortsItOnceAsALostModule)
{
    runActive();
    for (int i = 0; i < 5; ++i) {
        poller.pollOnce();
        EXPECT_EQ(station.run.phase(), RunPhase::StepRunning) << i;
    }
    EXPECT_NE(station.live.commFault.load() & kCommFaultPower, 0);
    EXPECT_EQ(channel.releases, 5); // every failed poll drops its socket
    poller.pollOnce();
    EXPECT_EQ(station.run.phase(), RunPhase::Abort);
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleLost);
    poller.pollOnce();
    EXPECT_EQ(ui.calls(), std::vector<std::string>{"stopped"});

    channel.answers.push_back(powerStatus(0));
    poller.pollOnce();
    EXPECT_EQ(station.live.commFault.load() & kCommFaultPower, 0);
    EXPECT_EQ(poller.failedPolls(), 0);
}

TEST_F(PowerPollerTest, ANewModuleErrorDuringARunSignalsAndAbortsOnce)
{
    channel.answers.push_back(powerStatus(3)); // no run: the error is only shown in the values
    poller.pollOnce();
    EXPECT_TRUE(power.lines().empty());
    EXPECT_EQ(station.run.phase(), RunPhase::Idle);

    runActive();
    channel.answers.push_back(powerStatus(3, 0x11));
    channel.answers.push_back(powerStatus(3, 0x11));
    poller.pollOnce();
    poller.pollOnce();
    EXPECT_EQ(power.lines(), std::vector<std::string>{"PA 255 7"});
    EXPECT_EQ(station.run.phase(), RunPhase::Abort);
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleError);
    EXPECT_EQ(station.live.lastAlarmedError.load(), 3);
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"alarm ERR 3 - Ventilátory", "faults 17"}));
}

TEST_F(PowerPollerTest, EachChangeOfTheFaultBitsIsReportedOnceWhateverTheScreenDoes)
{
    // The recording screen takes no note of the bits it is shown; a lost poll in between
    // changes nothing either.
    const std::optional<std::uint16_t> polls[] = {0, 0x11, 0x11, std::nullopt, 0x11, 0x04, 0x04, 0, 0};
    for (const auto& faults : polls) {
        if (faults)
            channel.answers.push_back(powerStatus(0, *faults));
        else
            channel.answers.push_back(std::nullopt);
    }
    for (std::size_t i = 0; i < std::size(polls); ++i)
        poller.pollOnce();
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"faults 17", "faults 4", "faults 0"}));
    EXPECT_EQ(station.live.shownFaultBits.load(), 0);
}

// Only a well-formed status is an answer: a stray or short datagram (from a scanner on the
// LAN, a cut answer) counts as a failed poll and changes no value, and six of them abort a
// run as lost communication.
TEST_F(PowerPollerTest, ADatagramThatIsNoStatusIsAFailedPoll)
{
    struct Malformed {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
    };
    const Malformed cases[] = {
        {"empty", [](auto& b) { b.clear(); }},
        {"header only", [](auto& b) { b.resize(6); }},
        {"cut payload", [](auto& b) { b.resize(6 + 34); }},
        {"wrong start byte", [](auto& b) { b[0] = 'X'; }},
        {"another command", [](auto& b) { b[2] = 'T'; }},
        {"another group", [](auto& b) { b[1] = 'P'; }},
        {"payload length too small", [](auto& b) { putU16(b, 4, 34); }},
    };
    runActive();
    int polls = 0;
    for (const Malformed& c : cases) {
        auto bytes = powerStatus(9, 0x0010, 55.0f);
        c.spoil(bytes);
        channel.answers.push_back(bytes);
        poller.pollOnce();
        ++polls;
        EXPECT_NE(station.live.commFault.load() & kCommFaultPower, 0) << c.name;
        EXPECT_EQ(station.live.current.load(), 0.0f) << c.name;
        EXPECT_EQ(station.live.errorType.load(), 0) << c.name;
        EXPECT_EQ(poller.failedPolls(), std::min(polls, 6) + (polls >= 6 ? 1 : 0)) << c.name;
    }
    EXPECT_EQ(station.run.phase(), RunPhase::Abort);
    EXPECT_EQ(station.run.stopReason(), StopReason::PowerModuleLost);

    channel.answers.push_back(powerStatus(0, 0, 12.5f));
    poller.pollOnce();
    EXPECT_EQ(station.live.commFault.load() & kCommFaultPower, 0);
    EXPECT_EQ(station.live.current.load(), 12.5f);
}

} // namespace
} // namespace kapsorel::test
