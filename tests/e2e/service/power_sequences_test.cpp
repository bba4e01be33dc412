// The power module's settings sequences against the simulator: every request byte for byte
// from the simulator's frame log, and the connections each sequence opens.
#include "core/service/power_service_requests.h"
#include "core/service/power_settings_jobs.h"
#include "service_fixture.h"

#include <functional>

namespace kapsorel::test {
namespace {

Bytes cut(Bytes bytes, std::size_t n)
{
    bytes.resize(n);
    return bytes;
}

class PowerSequences : public ServiceTest {
  public:
    PowerImages readAll()
    {
        const auto images = readPowerModule(power);
        EXPECT_TRUE(images.ok()) << images.error();
        guard.markKnown(blocks::kPowerModule);
        return images.ok() ? *images : PowerImages{};
    }
};

TEST_F(PowerSequences, WholeModuleReadIsFiveReadsOnOneConnection)
{
    startLog();
    std::vector<std::size_t> progress;
    const auto images = readPowerModule(power, [&](std::size_t done, std::size_t total) {
        progress.push_back(done);
        EXPECT_EQ(total, 5u);
    });
    ASSERT_TRUE(images.ok()) << images.error();
    EXPECT_EQ(sim.frames("power"),
              (std::vector<Bytes>{sr(53, 35), sr(120, 23), sr(300, 41), sr(200, 58), sr(1000, 74)}));
    EXPECT_EQ(newConnections("power"), 1u);
    EXPECT_FALSE(power.connected()) << "the last read closes";
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(images->settings.maxTemperature, 80.0f);
    EXPECT_EQ(images->sections.resistorCount, 9);
}

TEST_F(PowerSequences, WholeModuleWriteSendsEveryBlockOnTwoConnectionsAndReadsBackTheSame)
{
    PowerImages images = readAll();
    images.settings.maxTemperature = 75.5f;
    images.adc.records[6].config0 = 0x5A; // the spare record is carried as it is
    NetworkFields network = networkFields(images.network);
    network.gateway = "127.0.0.9";
    PortsFields ports = portsFields(images.ports);
    ports.udpPort2 = 40000; // shown, never written
    startLog();
    const auto written = writePowerModule(power, gate, network, ports, images);
    ASSERT_TRUE(written.ok()) << written.error();
    EXPECT_EQ(written->network.gateway, (Octets{127, 0, 0, 9}));
    EXPECT_EQ(sim.frames("power"),
              (std::vector<Bytes>{sw(53, 2, written->network.encode()), sw(120, 0, cut(written->ports.encode(), 13)),
                                  sw(300, 1, images.settings.encode()), sw(200, 73, images.adc.encode()),
                                  sw(1000, 0, images.sections.encode())}));
    EXPECT_EQ(newConnections("power"), 2u);
    const auto back = readPowerModule(power);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->settings, images.settings);
    EXPECT_EQ(back->adc, images.adc);
    EXPECT_EQ(back->network, written->network);
    EXPECT_NE(back->ports.udpPort2, 40000) << "the second UDP port is never written";
}

struct SequenceCase {
    const char* name;
    std::function<bool(PowerSequences&, const PowerImages&)> run;
    std::vector<Bytes> frames;
    std::size_t connections;
};

TEST_F(PowerSequences, EveryButtonSendsItsExactRequestsAndConnections)
{
    const PowerImages images = readAll();
    AdcRecord record{0x94, 0x12, -7, 0.0025f};
    const Bytes rec = record.encode();
    const SequenceCase cases[] = {
        {"network Načti", [](auto& t, auto&) { return readPowerNetwork(t.power).ok(); }, {sr(53, 35), sr(120, 23)}, 1},
        {"network Ulož",
         [](auto& t, auto& i) {
             return writePowerNetwork(t.power, t.gate, networkFields(i.network), portsFields(i.ports),
                                      {i.network, i.ports})
                 .ok();
         },
         {sw(53, 2, images.network.encode()), sw(120, 0, cut(images.ports.encode(), 13))},
         1},
        {"Nastavení Načti", [](auto& t, auto&) { return readPowerSettings(t.power).ok(); }, {sr(300, 41)}, 1},
        {"Nastavení Ulož",
         [](auto& t, auto& i) { return writePowerSettings(t.power, t.gate, i.settings).ok(); },
         {sw(300, 1, images.settings.encode())},
         1},
        {"DAC Kalibrace", [](auto& t, auto&) { return calibrateDac(t.power, t.run).ok(); }, {frame('Z', 'K', 0)}, 1},
        {"Napětí 2 Načti", [](auto& t, auto&) { return readPowerAdcRecord(t.power, 1).ok(); }, {sr(208, 8)}, 1},
        {"Proud Načti", [](auto& t, auto&) { return readPowerAdcRecord(t.power, 5).ok(); }, {sr(240, 8)}, 1},
        {"Izolace Načti",
         [](auto& t, auto&) { return readPowerInsulation(t.power).ok(); },
         {sr(224, 8), sr(232, 8)},
         1},
        {"Napětí 1 Ulož",
         [&](auto& t, auto&) { return writePowerAdcRecord(t.power, t.gate, 0, record).ok(); },
         {sw(200, 11, rec)},
         1},
        {"Napětí 3 Ulož",
         [&](auto& t, auto&) { return writePowerAdcRecord(t.power, t.gate, 2, record).ok(); },
         {sw(216, 14, rec)},
         1},
        {"Proud Ulož",
         [&](auto& t, auto&) { return writePowerAdcRecord(t.power, t.gate, 5, record).ok(); },
         {sw(240, 42, rec)},
         1},
        {"Izolace Ulož",
         [&](auto& t, auto&) { return writePowerInsulation(t.power, t.gate, record, record).ok(); },
         {sw(224, 18, rec), sw(232, 26, rec)},
         1},
        {"Proud Min",
         [](auto& t, auto&) { return readPowerRaw(t.power, PowerChannel::Current).ok(); },
         {frame('M', 'c', 0)},
         1},
        {"Napětí 3 Max",
         [](auto& t, auto&) { return readPowerRaw(t.power, PowerChannel::Voltage3).ok(); },
         {frame('M', 'n', 0, {2})},
         1},
        {"Proud Změř",
         [](auto& t, auto&) { return measurePowerChannel(t.power, PowerChannel::Current).ok(); },
         {frame('M', 'C', 0)},
         1},
        {"AD2 Změř",
         [](auto& t, auto&) { return measurePowerChannel(t.power, PowerChannel::Insulation2).ok(); },
         {frame('M', 'N', 0, {4})},
         1},
        {"Izolační odpor",
         [](auto& t, auto&) { return measureInsulationResistance(t.power).ok(); },
         {frame('M', 'I', 0)},
         1},
        {"Read SPI reg",
         [](auto& t, auto&) { return readSpiRegister(t.power, 3).ok(); },
         {frame('S', 'r', 0, {3, 1})},
         1},
        {"Write SPI reg",
         [](auto& t, auto&) { return writeSpiRegister(t.power, t.gate, 3, 200).ok(); },
         {frame('S', 'w', 0, {3, 200})},
         1},
        {"Konfig", [](auto& t, auto&) { return readAdcImageConfig(t.power).ok(); }, {frame('X', 'C', 0)}, 1},
        {"Read SPI reg 256 refused", [](auto& t, auto&) { return !readSpiRegister(t.power, 256).ok(); }, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startLog();
        EXPECT_TRUE(c.run(*this, images));
        EXPECT_EQ(sim.frames("power"), c.frames);
        EXPECT_EQ(newConnections("power"), c.connections);
        EXPECT_FALSE(power.connected());
    }
}

TEST_F(PowerSequences, WritesNeedTheBlocksReadAndNoTestRunning)
{
    startLog();
    const auto unread = writePowerSettings(power, gate, PowerSettingsBlock{});
    ASSERT_FALSE(unread.ok());
    EXPECT_NE(unread.error().find("nastavení výkonového modulu"), std::string::npos) << unread.error();
    const auto images = readAll();
    run.setPhase(RunPhase::StepRunning);
    startLog();
    const auto during = writePowerModule(power, gate, networkFields(images.network), portsFields(images.ports), images);
    ASSERT_FALSE(during.ok());
    EXPECT_EQ(during.error(), kWriteDuringTestText);
    // "Kalibrace" beside "DAC konstanta" drives the module: refused like the other drive buttons.
    const Status dac = calibrateDac(power, run);
    ASSERT_FALSE(dac.ok());
    EXPECT_EQ(dac.error(), kDriveDuringTestText);
    EXPECT_TRUE(readPowerSettings(power).ok()) << "reads stay allowed";
    EXPECT_EQ(sim.frames("power"), (std::vector<Bytes>{sr(300, 41)}));
}

TEST_F(PowerSequences, ABadAddressFieldStopsTheWriteBeforeAnySW)
{
    const auto images = readAll();
    NetworkFields network = networkFields(images.network);
    network.dns2 = "8.8.8.256";
    startLog();
    const auto refused =
        writePowerNetwork(power, gate, network, portsFields(images.ports), {images.network, images.ports});
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("DNS2"), std::string::npos);
    EXPECT_TRUE(sim.frames("power").empty());
    EXPECT_EQ(newConnections("power"), 0u);
}

} // namespace
} // namespace kapsorel::test
