// The power module's service requests against the simulator: every request byte for byte as
// the module received it, connections kept or closed as each button does, drive commands
// refused while a test runs, and the simulated battery following the load and the source.
#include "core/base/bytes.h"
#include "core/service/power_service_jobs.h"
#include "service_fixture.h"

namespace kapsorel::test {
namespace {

Bytes singles(std::initializer_list<float> values)
{
    ByteWriter w;
    for (float v : values)
        w.single(v);
    return w.take();
}

Bytes withFirst(std::uint8_t first, Bytes rest)
{
    rest.insert(rest.begin(), first);
    return rest;
}

struct WireCase {
    const char* name;
    ModuleCommand command;
    Bytes frame;
};

TEST_F(ServiceTest, EveryServiceRequestReachesTheModuleByteForByte)
{
    const WireCase cases[] = {
        {"RO", switchMaskRequest(0x00800003u), frame('R', 'O', 0, {0x03, 0x00, 0x80, 0x00})},
        {"RR relay 5 on", relayRequest(relay::kMeasure, true), frame('R', 'R', 0, {5, 1})},
        {"RR relay 1 off", relayRequest(relay::kLoad, false), frame('R', 'R', 0, {1, 0})},
        {"ZX", sourceSetRequest(36.0f, 22.0f), frame('Z', 'X', 0, singles({36.0f, 22.0f}))},
        {"ZD", dacWriteRequest(13), frame('Z', 'D', 0, {13, 0})},
        {"Zd", dacReadRequest(), frame('Z', 'd', 0)},
        {"Zr 112", sourceRegisterRequest(112), frame('Z', 'r', 2, {112})},
        {"Zr 86", sourceRegisterRequest(86), frame('Z', 'r', 2, {86})},
        {"Zz on", sourceSwitchRequest(true), frame('Z', 'z', 1)},
        {"Zz off", sourceSwitchRequest(false), frame('Z', 'z', 0)},
        {"ZZ on", sourcePowerRequest(true), frame('Z', 'Z', 1)},
        {"ZZ off", sourcePowerRequest(false), frame('Z', 'Z', 0)},
        {"Zn", sourceVoltageRequest(), frame('Z', 'n', 0)},
        {"ZN", sourceVoltageSetRequest(24.5f), frame('Z', 'N', 0, singles({24.5f}))},
        {"Zi", sourceCurrentRequest(), frame('Z', 'i', 0)},
        {"ZI", sourceCurrentSetRequest(3.25f), frame('Z', 'I', 0, singles({3.25f}))},
        {"ZS", sourceByteRequest('S'), frame('Z', 'S', 0)},
        {"Zs", sourceByteRequest('s'), frame('Z', 's', 0)},
        {"Zc", sourceByteRequest('c'), frame('Z', 'c', 0)},
        {"Zt", sourceByteRequest('t'), frame('Z', 't', 0)},
        {"ZW 1B", sourceRegisterWriteRequest(124, {133}), frame('Z', 'W', 1, {124, 133})},
        {"ZW 2B", sourceRegisterWriteRequest(124, {133, 133}), frame('Z', 'W', 2, {124, 133, 133})},
        {"ZR", sourceRegisterReadRequest(124), frame('Z', 'R', 0, {124})},
        {"ZF", reflexRequest(0, 1000, 1000), frame('Z', 'F', 0, {0, 0xE8, 0x03, 0xE8, 0x03})},
        {"FZ", fanSwitchRequest(2, true), frame('F', 'Z', 2)},
        {"FV", fanSwitchRequest(4, false), frame('F', 'V', 4)},
        {"FG", fanRegisterRequest(2, 5), frame('F', 'G', 0, {2, 5})},
        {"Iw", i2cByteRequest(232, 1 << 3), frame('I', 'w', 0, {232, 8})},
        {"IW", i2cRegisterRequest(54, 4, 10), frame('I', 'W', 0, {54, 4, 10})},
        {"Iw reset DAC", i2cByteRequest(0, 6), frame('I', 'w', 0, {0, 6})},
        {"MN", channelVoltageRequest(), frame('M', 'N', 0, {0})},
        {"MC", channelCurrentRequest(), frame('M', 'C', 0)},
        {"PQ 255", dacStepRequest(dac_step::kSet0, 1.0f, 13.5f),
         frame('P', 'Q', 0, withFirst(255, singles({1.0f, 13.5f})))},
        {"PQ 253", dacStepRequest(dac_step::kStep, 1.0f, 13.5f),
         frame('P', 'Q', 0, withFirst(253, singles({1.0f, 13.5f})))},
        {"PQ 0", dacStepRequest(dac_step::kStop, 1.0f, 13.5f),
         frame('P', 'Q', 0, withFirst(0, singles({1.0f, 13.5f})))},
        {"PQ 254", dacStepRequest(dac_step::kSet1, 0.0f, 12.0f),
         frame('P', 'Q', 0, withFirst(254, singles({0.0f, 12.0f})))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startLog();
        const auto answers = runServiceSeries(power, run, {{c.command, kClose}});
        ASSERT_TRUE(answers.ok()) << answers.error();
        ASSERT_EQ(answers->size(), 1u);
        EXPECT_TRUE(answers->front().good()) << int(answers->front().status) << answers->front().failure;
        EXPECT_EQ(sim.frames("power"), std::vector<Bytes>{c.frame});
        EXPECT_FALSE(power.connected());
    }
}

TEST_F(ServiceTest, AnswersCarryTheValuesTheModuleHolds)
{
    auto one = [this](const ModuleCommand& c) {
        auto a = runServiceSeries(power, run, {{c, kClose}});
        EXPECT_TRUE(a.ok() && a->size() == 1 && a->front().good());
        return a->front();
    };
    one(sourceSetRequest(30.5f, 12.25f));
    EXPECT_EQ(one(sourceRegisterRequest(112)).i16(), 3050);
    EXPECT_EQ(one(sourceRegisterRequest(114)).i16(), 1225);
    EXPECT_EQ(one(sourceVoltageRequest()).single(), 30.5f);
    one(dacWriteRequest(40000));
    EXPECT_EQ(one(dacReadRequest()).u16(), 40000);
    EXPECT_EQ(one(dacReadRequest()).i16(), static_cast<std::int16_t>(40000 - 65536));
    one(sourceRegisterWriteRequest(124, {133, 7}));
    EXPECT_EQ(one(sourceRegisterReadRequest(125)).byte(), 7);
    one(fanSwitchRequest(3, true));
    EXPECT_EQ(one(fanRegisterRequest(3, 0)).byte(), 60); // x 50 = 3000 RPM
    EXPECT_EQ(one(fanRegisterRequest(1, 0)).byte(), 0);
    EXPECT_EQ(sim.number("power.fans"), 4);
}

TEST_F(ServiceTest, TheFanStatusKeepsTheConnectionOpenOverItsSixRequests)
{
    startLog();
    std::vector<ModuleCommand> requests;
    for (std::uint8_t reg : {5, 0, 1, 2, 3, 4})
        requests.push_back(fanRegisterRequest(1, reg));
    const auto answers = runServiceSeries(power, run, keptSeries(requests, /*closeAtEnd=*/false));
    ASSERT_TRUE(answers.ok());
    EXPECT_EQ(answers->size(), 6u);
    EXPECT_TRUE(power.connected());
    EXPECT_EQ(newConnections("power"), 1u);
    EXPECT_EQ(sim.frames("power").size(), 6u);
    power.disconnect();
}

TEST_F(ServiceTest, DriveCommandsAreRefusedWhileATestRunsAndReadsAreNot)
{
    run.setPhase(RunPhase::StepRunning);
    startLog();
    for (const ModuleCommand& drive : {switchMaskRequest(1), relayRequest(0, true), sourceSwitchRequest(true),
                                       fanSwitchRequest(1, true), dacStepRequest(0, 0, 0), i2cByteRequest(0, 6)}) {
        const auto refused = runServiceSeries(power, run, {{sourceVoltageRequest(), kKeepOpen}, {drive, kClose}});
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error(), kDriveDuringTestText);
    }
    EXPECT_TRUE(sim.frames("power").empty());
    const auto read = runServiceSeries(power, run, {{sourceVoltageRequest(), kClose}});
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(sim.frames("power"), std::vector<Bytes>{frame('Z', 'n', 0)});
    run.setPhase(RunPhase::Idle);
}

TEST_F(ServiceTest, AFailedExchangeStopsTheSeriesAndLeavesNoConnection)
{
    ASSERT_EQ(sim.command("silent power on"), "OK");
    startLog();
    const auto answers =
        runServiceSeries(power, run, keptSeries({sourceRegisterRequest(84), sourceRegisterRequest(86)}));
    ASSERT_EQ(sim.command("silent power off"), "OK");
    ASSERT_TRUE(answers.ok());
    ASSERT_EQ(answers->size(), 1u);
    EXPECT_FALSE(answers->front().answered);
    EXPECT_FALSE(answers->front().i16().has_value());
    EXPECT_FALSE(answers->front().failure.empty());
    EXPECT_FALSE(power.connected());
}

TEST_F(ServiceTest, TheBatteryFollowsTheLoadElementsAndTheSource)
{
    auto send = [this](const ModuleCommand& c) { ASSERT_TRUE(runServiceSeries(power, run, {{c, kClose}}).ok()); };
    send(switchMaskRequest(1u << 0)); // resistor 1
    EXPECT_EQ(sim.number("power.discharging"), 1);
    const double oneResistor = sim.number("power.set_current");
    EXPECT_GT(oneResistor, 0.0);
    send(switchMaskRequest(0b11)); // resistors 1 and 2 draw more
    EXPECT_GT(sim.number("power.set_current"), oneResistor);
    send(switchMaskRequest(0));
    EXPECT_EQ(sim.number("power.discharging"), 0);

    send(sourceSetRequest(30.0f, 4.0f));
    send(sourceSwitchRequest(true));
    EXPECT_EQ(sim.number("power.charging"), 1);
    EXPECT_EQ(sim.number("power.set_current"), 4.0);
    send(sourceSwitchRequest(false));
    EXPECT_EQ(sim.number("power.charging"), 0);
}

TEST_F(ServiceTest, SectionCountsBeyondTheGridsAreRefusedOnReadAndOnWrite)
{
    guard.markKnown(blocks::kPowerSections);
    auto read = readPowerSections(power);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read->resistorCount, 9);
    const struct {
        const char* counts; // bytes 0 and 1 in hexadecimal
        int resistors;
        int banks;
        const char* named;
    } cases[] = {{"0a00", 10, 0, "„Počet odporů“ = 10"},
                 {"0008", 0, 8, "„Počet odporníků“ = 8"},
                 {"c8c8", 200, 200, "„Počet odporů“ = 200"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.counts);
        ASSERT_EQ(sim.command(std::string("memory power 1000 = ") + c.counts), "OK");
        const auto refused = readPowerSections(power);
        ASSERT_FALSE(refused.ok());
        EXPECT_NE(refused.error().find(c.named), std::string::npos) << refused.error();
        SectionsBlock wrong = *read;
        wrong.resistorCount = static_cast<std::uint8_t>(c.resistors);
        wrong.bankCount = static_cast<std::uint8_t>(c.banks);
        startLog();
        const Status write = writePowerSections(power, gate, wrong);
        ASSERT_FALSE(write.ok());
        EXPECT_EQ(write.error().rfind("Nezapsáno: sekce výkonového modulu", 0), 0u) << write.error();
        EXPECT_TRUE(sim.frames("power").empty());
    }
    ASSERT_TRUE(writePowerSections(power, gate, *read).ok());
    EXPECT_EQ(*readPowerSections(power), *read);
}

} // namespace
} // namespace kapsorel::test
