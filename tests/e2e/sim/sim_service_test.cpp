// kapsorel-sim's service commands: raw readings agree with the calibration records in the
// settings memory, head type and source commands keep what they are told.
#include "core/base/bytes.h"
#include "sim_client.h"
#include "support/sim_process.h"

#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

struct Channel {
    bool measure;
    std::uint8_t channel;
    double tolerance; // one raw step of the factory constant, with room
};

TEST(SimService, RawReadingsTurnIntoTheMeasuredValueThroughTheStoredCalibration)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    TcpClient measure(sim.measureAddress(), sim.tcpPort());
    for (const Channel& c : {Channel{true, 0, 1e-4}, Channel{true, 19, 1e-4}, Channel{true, 20, 2e-3},
                             Channel{false, 0, 5e-3}, Channel{false, 1, 5e-3}}) {
        SCOPED_TRACE((c.measure ? "measure channel " : "power channel ") + std::to_string(c.channel));
        TcpClient& client = c.measure ? measure : power;
        const Bytes value = client.exchange(makeFrame('M', 'N', 0, {c.channel}));
        const Bytes raw = client.exchange(makeFrame('M', 'n', 0, {c.channel}));
        Bytes at;
        appendU16(at, static_cast<std::uint16_t>(200 + 8 * c.channel));
        at.push_back(8);
        const Bytes record = client.exchange(makeFrame('S', 'R', 0, at));
        ASSERT_EQ(value.size(), 10u);
        ASSERT_EQ(raw.size(), 8u);
        ASSERT_EQ(record.size(), 14u);
        const double calibrated = (le::getI16(raw, 6) + le::getI16(record, 6 + 2)) * le::getSingle(record, 6 + 4);
        EXPECT_NEAR(calibrated, le::getSingle(value, 6), c.tolerance);
        EXPECT_GT(le::getSingle(value, 6), 0.0f);
    }
    // A channel the module does not have is refused.
    EXPECT_NE(measure.exchange(makeFrame('M', 'N', 0, {23}))[3], 0);
    EXPECT_NE(power.exchange(makeFrame('M', 'n', 0, {9}))[3], 0);
}

TEST(SimService, HeadTypeTemperatureAndSourceCommandsKeepTheirValues)
{
    SimProcess sim;
    TcpClient measure(sim.measureAddress(), sim.tcpPort());
    EXPECT_EQ(measure.exchange(makeFrame('T', 'H', 0, {42}))[3], 0);
    const Bytes head = measure.exchange(makeFrame('T', 'h', 0));
    ASSERT_EQ(head.size(), 7u);
    EXPECT_EQ(head[6], 42);
    EXPECT_EQ(sim.number("measure.head"), 42);
    ASSERT_EQ(sim.command("set battery.temperature 19.75"), "OK");
    EXPECT_NEAR(le::getSingle(measure.exchange(makeFrame('T', 'T', 0)), 6), 19.75f, 1e-3);

    TcpClient power(sim.powerAddress(), sim.tcpPort());
    Bytes v;
    appendSingle(v, 31.5f);
    power.exchange(makeFrame('Z', 'N', 0, v));
    EXPECT_FLOAT_EQ(le::getSingle(power.exchange(makeFrame('Z', 'n', 0)), 6), 31.5f);
    const Bytes reg = power.exchange(makeFrame('Z', 'r', 2, {112}));
    EXPECT_EQ(le::getI16(reg, 6), 3150) << "set voltage in hundredths";
    power.exchange(makeFrame('R', 'O', 0, {0x05, 0x00, 0x80, 0xFF}));
    EXPECT_EQ(sim.number("power.switch_mask"), 0x800005) << "only the 24 element bits";
    const Bytes image = power.exchange(makeFrame('X', 'C', 0));
    ASSERT_EQ(image.size(), 6u + 58);
    Bytes at;
    appendU16(at, 200);
    at.push_back(58);
    const Bytes read = power.exchange(makeFrame('S', 'R', 0, at));
    EXPECT_EQ(Bytes(image.begin() + 6, image.end()), Bytes(read.begin() + 6, read.end()));
}

TEST(SimService, CalibratedReadingsFollowTheRecordWrittenAndTheHardwareSetByControl)
{
    SimProcess sim;
    TcpClient measure(sim.measureAddress(), sim.tcpPort());
    ASSERT_EQ(sim.command("set cell 1 1.25"), "OK");
    // A hardware whose gain differs from the factory record: raw = v / 0.0001 - 100.
    ASSERT_EQ(sim.command("adc measure 0 100 0.0001"), "OK");
    const Bytes raw = measure.exchange(makeFrame('M', 'n', 0, {0}));
    EXPECT_EQ(le::getI16(raw, 6), 12400);
    // The factory record (offset 0, constant 0.0000625) now reads the cell wrong ...
    EXPECT_NEAR(le::getSingle(measure.exchange(makeFrame('M', 'N', 0, {0})), 6), 12400 * 0.0000625, 1e-5);
    // ... and a record matching the hardware reads it right.
    Bytes write;
    appendU16(write, 200);
    write.push_back(8);
    for (std::uint8_t b : Bytes{208, 0x98, 100, 0})
        write.push_back(b);
    appendSingle(write, 0.0001f);
    EXPECT_EQ(measure.exchange(makeFrame('S', 'W', 1, write))[3], 0);
    EXPECT_NEAR(le::getSingle(measure.exchange(makeFrame('M', 'N', 0, {0})), 6), 1.25, 1e-5);
    EXPECT_EQ(sim.command("adc measure 23 0 1").rfind("ERR", 0), 0u);
    EXPECT_EQ(sim.command("adc power 0 0 0").rfind("ERR", 0), 0u);
}

TEST(SimService, ForcedAnswerStatusKeepsThePayloadAndClearsWithZero)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    Bytes at;
    appendU16(at, 300);
    at.push_back(41);
    ASSERT_EQ(sim.command("status power SR 4"), "OK");
    ASSERT_EQ(sim.command("status power FG 7"), "OK");
    const Bytes refused = power.exchange(makeFrame('S', 'R', 0, at));
    ASSERT_EQ(refused.size(), 6u + 41);
    EXPECT_EQ(refused[3], 4);
    EXPECT_EQ(power.exchange(makeFrame('F', 'G', 0, {1, 5}))[3], 7);
    EXPECT_EQ(power.exchange(makeFrame('S', 'W', 1, {44, 1, 1, 0}))[3], 0) << "other commands keep their status";
    ASSERT_EQ(sim.command("status power SR 0"), "OK");
    EXPECT_EQ(power.exchange(makeFrame('S', 'R', 0, at))[3], 0);
    EXPECT_EQ(sim.command("status power SRX 1").rfind("ERR", 0), 0u);
}

TEST(SimService, AForcedStatusCanComeWithoutPayload)
{
    SimProcess sim;
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    ASSERT_EQ(sim.command("status power FG 3 empty"), "OK");
    const Bytes empty = power.exchange(makeFrame('F', 'G', 0, {1, 5}));
    ASSERT_EQ(empty.size(), 6u);
    EXPECT_EQ(empty[3], 3);
    EXPECT_EQ(le::getU16(empty, 4), 0);
    ASSERT_EQ(sim.command("status power FG 0"), "OK");
    EXPECT_EQ(power.exchange(makeFrame('F', 'G', 0, {1, 5})).size(), 7u);
    EXPECT_EQ(sim.command("status power FG 3 full").rfind("ERR", 0), 0u);
}

// The bytes the program carries without interpreting them are preset, never zero, so a
// write that zero-fills them shows; the control interface reads and writes the memory.
TEST(SimService, TheSettingsMemoryPresetsTheCarriedBytesAndIsReachableByControl)
{
    SimProcess sim;
    const struct {
        const char* module;
        int address;
        int length;
        std::size_t unit; // bytes of one value: none of them is zero
        const char* what;
    } carried[] = {{"power", 53 + 28, 7, 1, "network 28-34"},
                   {"power", 120 + 15, 8, 1, "ports 15-22"},
                   {"power", 200 + 48, 10, 1, "record 6 and the spare bytes"},
                   {"power", 1000 + 2 + 9 * 4, 4, 4, "resistor 10"},
                   {"power", 1000 + 42 + 4 * 4, 16, 4, "banks 5-8"},
                   {"measure", 53 + 28, 7, 1, "network 28-34"},
                   {"measure", 120 + 15, 8, 1, "ports 15-22"},
                   {"measure", 384, 2, 1, "the spare bytes"}};
    for (const auto& c : carried) {
        const std::string hex = sim.value("memory " + std::string(c.module) + " " + std::to_string(c.address) + " " +
                                          std::to_string(c.length));
        ASSERT_EQ(hex.size(), static_cast<std::size_t>(c.length) * 2) << c.what;
        for (std::size_t i = 0; i < hex.size(); i += 2 * c.unit)
            EXPECT_NE(hex.substr(i, 2 * c.unit), std::string(2 * c.unit, '0'))
                << c.module << " " << c.what << ": " << hex;
    }
    ASSERT_EQ(sim.command("memory power 300 = 6666863f"), "OK");
    EXPECT_EQ(sim.value("memory power 300 4"), "6666863f");
    TcpClient power(sim.powerAddress(), sim.tcpPort());
    Bytes at;
    appendU16(at, 300);
    at.push_back(4);
    EXPECT_FLOAT_EQ(le::getSingle(power.exchange(makeFrame('S', 'R', 0, at)), 6), 1.05f);
    for (const char* bad : {"memory power 2047 2", "memory power 0 = 1", "memory power 2047 = 0102", "memory lamp 0 1",
                            "memory power 0 = zz"})
        EXPECT_EQ(sim.command(bad).rfind("ERR", 0), 0u) << bad;
}

} // namespace
} // namespace kapsorel::test
