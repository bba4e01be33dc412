// The "SR" and "SW" frames byte for byte, and which answers a read or a write accepts.
#include "core/service/settings_requests.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes wire(const ModuleFrame& f)
{
    return Bytes(f.bytes.begin(), f.bytes.begin() + static_cast<std::ptrdiff_t>(f.wireSize()));
}

TEST(SettingsRequests, ReadAndWriteFramesCarryAddressLengthAndParameter)
{
    ModuleFrame f;
    f.setParam(7); // a previous answer's status must not leak into the request
    fillReadRequest(f, 1000, 74);
    EXPECT_EQ(wire(f), (Bytes{'#', 'S', 'R', 0, 3, 0, 0xE8, 0x03, 74}));
    ASSERT_TRUE(fillWriteRequest(f, 120, 0, Bytes{1, 2, 3}));
    EXPECT_EQ(wire(f), (Bytes{'#', 'S', 'W', 0, 6, 0, 120, 0, 3, 1, 2, 3}));
    ASSERT_TRUE(fillWriteRequest(f, 200, 73, Bytes(58, 0xAB)));
    Bytes expected{'#', 'S', 'W', 73, 61, 0, 200, 0, 58};
    expected.insert(expected.end(), 58, 0xAB);
    EXPECT_EQ(wire(f), expected);
    EXPECT_FALSE(fillWriteRequest(f, 0, 0, Bytes(200)));
}

ModuleFrame answer(std::uint8_t status, std::size_t payload)
{
    ModuleFrame f;
    f.setCommand('S', 'R');
    f.setParam(status);
    f.setPayloadLength(static_cast<std::uint16_t>(payload));
    for (std::size_t i = 0; i < payload; ++i)
        f.putU8(i, static_cast<std::uint8_t>(i + 1));
    return f;
}

TEST(SettingsRequests, AReadIsTakenOnlyWhenAnsweredWithStatus0AndExactlyTheLengthAsked)
{
    const struct {
        const char* name;
        ExchangeOutcome outcome;
        std::uint8_t status;
        std::size_t payload;
        bool accepted;
    } cases[] = {
        {"good", ExchangeOutcome::Answered, 0, 58, true},
        {"error status", ExchangeOutcome::Answered, 4, 58, false},
        {"short", ExchangeOutcome::Answered, 0, 57, false},
        {"long", ExchangeOutcome::Answered, 0, 59, false},
        {"empty", ExchangeOutcome::Answered, 0, 0, false},
        {"silent", ExchangeOutcome::ReadFailed, 0, 58, false},
        {"not connected", ExchangeOutcome::NotConnected, 0, 58, false},
        {"no address", ExchangeOutcome::NoAddress, 0, 58, false},
        {"too long", ExchangeOutcome::AnswerTooLong, 0, 58, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto read = checkReadAnswer(c.outcome, answer(c.status, c.payload), 58, "kalibrace");
        EXPECT_EQ(read.ok(), c.accepted);
        if (read.ok()) {
            ASSERT_EQ(read->size(), 58u);
            EXPECT_EQ((*read)[57], 58);
        } else {
            EXPECT_EQ(read.error().rfind("Nenačteno: kalibrace – ", 0), 0u) << read.error();
        }
    }
}

TEST(SettingsRequests, AWriteCountsOnlyWhenAnsweredWithStatus0)
{
    EXPECT_TRUE(checkWriteAnswer(ExchangeOutcome::Answered, answer(0, 0), "síť").ok());
    const auto refused = checkWriteAnswer(ExchangeOutcome::Answered, answer(3, 0), "síť");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), "Nezapsáno: síť – modul hlásí chybu 3");
    EXPECT_FALSE(checkWriteAnswer(ExchangeOutcome::ReadFailed, answer(0, 0), "síť").ok());
}

} // namespace
} // namespace kapsorel
