// The power module's settings window sequences.
#include "core/service/power_settings_jobs.h"

#include "core/base/bytes.h"
#include "core/service/power_service_jobs.h"
#include "core/service/settings_checks.h"
#include "core/service/settings_series.h"

namespace kapsorel {

namespace {

constexpr BlockPlace kAdcImagePlace{PowerAdcImage::kAddress, PowerAdcImage::kSize, PowerAdcImage::kSize,
                                    PowerAdcImage::kWholeWriteParam};
const std::string kAdcImageName = "kalibrace výkonového modulu";

// A read's bytes decoded into its block, or the read's (or decoder's) message.
template <class Block> Result<Block> decoded(const Result<std::vector<std::uint8_t>>& bytes)
{
    if (!bytes)
        return Error{bytes.error()};
    return Block::decode(*bytes);
}

ModuleCommand rawCommand(PowerChannel channel, bool calibrated)
{
    if (channel == PowerChannel::Current)
        return {'M', calibrated ? 'C' : 'c', 0, {}, calibrated ? 4u : 2u};
    return {'M', calibrated ? 'N' : 'n', 0, {static_cast<std::uint8_t>(channel)}, calibrated ? 4u : 2u};
}

Status validNetwork(const NetworkFields& network, const PortsFields& ports, const NetworkImages& previous,
                    NetworkImages& out)
{
    auto block = networkFromFields(network, previous.network);
    if (!block)
        return block.status();
    auto portsBlock = portsFromFields(ports, previous.ports);
    if (!portsBlock)
        return portsBlock.status();
    out = {*block, *portsBlock};
    return {};
}

// Record k (0-5) of the calibration pages, its constant checked.
Result<AdcRecord> readAdcRecord(SettingsSeries& series, std::size_t k, std::uint8_t disconnectAfter)
{
    return checkedRead(
        decoded<AdcRecord>(series.read(powerAdcRecordPlace(k), disconnectAfter, blockName(blocks::powerAdcRecord(k)))),
        [k](const AdcRecord& record) { return checkPowerAdcRecord(record, k); });
}

Status writeNetworkPair(SettingsSeries& series, const WriteGate& gate, const NetworkImages& images)
{
    const auto net = images.network.encode();
    if (auto s = series.write(gate, place::kPowerNetwork, net, kKeepOpen, blockName(blocks::kPowerNetwork)); !s)
        return s;
    const auto ports = images.ports.encodeWritten();
    return series.write(gate, place::kPowerPorts, ports, kClose, blockName(blocks::kPowerPorts));
}

} // namespace

Result<NetworkImages> readPowerNetwork(ModuleLink& power, const ServiceProgress& progress)
{
    SettingsSeries series(power, progress, 2);
    auto network =
        decoded<NetworkBlock>(series.read(place::kPowerNetwork, kKeepOpen, blockName(blocks::kPowerNetwork)));
    if (!network)
        return Error{network.error()};
    auto ports = decoded<PortsBlock>(series.read(place::kPowerPorts, kClose, blockName(blocks::kPowerPorts)));
    if (!ports)
        return Error{ports.error()};
    return NetworkImages{*network, *ports};
}

Result<NetworkImages> writePowerNetwork(ModuleLink& power, const WriteGate& gate, const NetworkFields& network,
                                        const PortsFields& ports, const NetworkImages& previous,
                                        const ServiceProgress& progress)
{
    NetworkImages images;
    if (auto valid = validNetwork(network, ports, previous, images); !valid)
        return Error{valid.error()};
    if (auto allowed = gate.allow(blocks::kPowerNetwork | blocks::kPowerPorts); !allowed)
        return Error{allowed.error()};
    SettingsSeries series(power, progress, 2);
    if (auto written = writeNetworkPair(series, gate, images); !written)
        return Error{written.error()};
    return images;
}

Result<PowerSettingsBlock> readPowerSettings(ModuleLink& power)
{
    SettingsSeries series(power, {}, 1);
    return checkedRead(
        decoded<PowerSettingsBlock>(series.read(place::kPowerSettings, kClose, blockName(blocks::kPowerSettings))),
        checkPowerSettings);
}

Status writePowerSettings(ModuleLink& power, const WriteGate& gate, const PowerSettingsBlock& block)
{
    if (auto values = checkedWrite(checkPowerSettings(block)); !values)
        return values;
    if (auto allowed = gate.allow(blocks::kPowerSettings); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 1);
    return series.write(gate, place::kPowerSettings, block.encode(), kClose, blockName(blocks::kPowerSettings));
}

Status calibrateDac(ModuleLink& power, const SharedRunState& run)
{
    const ModuleCommand request = dacCalibrationRequest();
    if (auto allowed = driveAllowed(request, run); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 1);
    return series.command(request, kClose, "Kalibrace DAC").status();
}

Result<AdcRecord> readPowerAdcRecord(ModuleLink& power, std::size_t k)
{
    if (k >= PowerAdcImage::kUsedRecords)
        return Error{"Neznámý záznam kalibrace " + std::to_string(k)};
    SettingsSeries series(power, {}, 1);
    return readAdcRecord(series, k, kClose);
}

Result<std::pair<AdcRecord, AdcRecord>> readPowerInsulation(ModuleLink& power)
{
    SettingsSeries series(power, {}, 2);
    auto ad1 = readAdcRecord(series, 3, kKeepOpen);
    if (!ad1)
        return Error{ad1.error()};
    auto ad2 = readAdcRecord(series, 4, kClose);
    if (!ad2)
        return Error{ad2.error()};
    return std::pair{*ad1, *ad2};
}

Status writePowerAdcRecord(ModuleLink& power, const WriteGate& gate, std::size_t k, const AdcRecord& record)
{
    if (k >= PowerAdcImage::kUsedRecords)
        return Error{"Neznámý záznam kalibrace " + std::to_string(k)};
    if (auto values = checkedWrite(checkPowerAdcRecord(record, k)); !values)
        return values;
    if (auto allowed = gate.allow(blocks::powerAdcRecord(k)); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 1);
    return series.write(gate, powerAdcRecordPlace(k), record.encode(), kClose, blockName(blocks::powerAdcRecord(k)));
}

Status writePowerInsulation(ModuleLink& power, const WriteGate& gate, const AdcRecord& ad1, const AdcRecord& ad2)
{
    for (const auto& [k, record] : {std::pair{std::size_t{3}, ad1}, std::pair{std::size_t{4}, ad2}})
        if (auto values = checkedWrite(checkPowerAdcRecord(record, k)); !values)
            return values;
    if (auto allowed = gate.allow(blocks::powerAdcRecord(3) | blocks::powerAdcRecord(4)); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 2);
    if (auto s =
            series.write(gate, powerAdcRecordPlace(3), ad1.encode(), kKeepOpen, blockName(blocks::powerAdcRecord(3)));
        !s)
        return s;
    return series.write(gate, powerAdcRecordPlace(4), ad2.encode(), kClose, blockName(blocks::powerAdcRecord(4)));
}

Result<std::int16_t> readPowerRaw(ModuleLink& power, PowerChannel channel)
{
    SettingsSeries series(power, {}, 1);
    auto answer = series.command(rawCommand(channel, false), kClose, "Měření");
    if (!answer)
        return Error{answer.error()};
    return le::getI16(*answer, 0);
}

Result<float> measurePowerChannel(ModuleLink& power, PowerChannel channel)
{
    SettingsSeries series(power, {}, 1);
    auto answer = series.command(rawCommand(channel, true), kClose, "Měření");
    if (!answer)
        return Error{answer.error()};
    return le::getSingle(*answer, 0);
}

Result<float> measureInsulationResistance(ModuleLink& power)
{
    SettingsSeries series(power, {}, 1);
    auto answer = series.command({'M', 'I', 0, {}, 4}, kClose, "Izolační odpor");
    if (!answer)
        return Error{answer.error()};
    return le::getSingle(*answer, 0);
}

Result<std::uint8_t> readSpiRegister(ModuleLink& power, long reg)
{
    auto r = spiByteFromField(reg, "Registr SPI");
    if (!r)
        return Error{r.error()};
    SettingsSeries series(power, {}, 1);
    auto answer = series.command({'S', 'r', 0, {*r, 1}, 1}, kClose, "Read SPI reg");
    if (!answer)
        return Error{answer.error()};
    return (*answer)[0];
}

Status writeSpiRegister(ModuleLink& power, const WriteGate& gate, long reg, long value)
{
    auto r = spiByteFromField(reg, "Registr SPI");
    if (!r)
        return r.status();
    auto v = spiByteFromField(value, "Hodnota SPI");
    if (!v)
        return v.status();
    if (auto allowed = gate.stillAllowed(); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 1);
    return series.command({'S', 'w', 0, {*r, *v}, 0}, kClose, "Write SPI reg").status();
}

Result<PowerAdcImage> readAdcImageConfig(ModuleLink& power)
{
    SettingsSeries series(power, {}, 1);
    auto answer = series.command({'X', 'C', 0, {}, PowerAdcImage::kSize}, kClose, "Konfig");
    if (!answer)
        return Error{answer.error()};
    if (answer->size() != PowerAdcImage::kSize)
        return Error{"Konfig: modul vrátil " + std::to_string(answer->size()) + " B místo " +
                     std::to_string(PowerAdcImage::kSize) + " B"};
    return checkedRead(PowerAdcImage::decode(*answer), checkPowerAdc);
}

Result<PowerImages> readPowerModule(ModuleLink& power, const ServiceProgress& progress)
{
    SettingsSeries series(power, progress, 5);
    auto network =
        decoded<NetworkBlock>(series.read(place::kPowerNetwork, kKeepOpen, blockName(blocks::kPowerNetwork)));
    if (!network)
        return Error{network.error()};
    auto ports = decoded<PortsBlock>(series.read(place::kPowerPorts, kKeepOpen, blockName(blocks::kPowerPorts)));
    if (!ports)
        return Error{ports.error()};
    auto settings =
        decoded<PowerSettingsBlock>(series.read(place::kPowerSettings, kKeepOpen, blockName(blocks::kPowerSettings)));
    if (!settings)
        return Error{settings.error()};
    auto adc = decoded<PowerAdcImage>(series.read(kAdcImagePlace, kKeepOpen, kAdcImageName));
    if (!adc)
        return Error{adc.error()};
    auto sections =
        decoded<SectionsBlock>(series.read(place::kPowerSections, kClose, blockName(blocks::kPowerSections)));
    if (!sections)
        return Error{sections.error()};
    return checkedRead(Result<PowerImages>(PowerImages{*network, *ports, *settings, *adc, *sections}),
                       checkPowerImages);
}

Result<PowerImages> writePowerModule(ModuleLink& power, const WriteGate& gate, const NetworkFields& network,
                                     const PortsFields& ports, const PowerImages& images,
                                     const ServiceProgress& progress)
{
    NetworkImages net;
    if (auto valid = validNetwork(network, ports, {images.network, images.ports}, net); !valid)
        return Error{valid.error()};
    if (auto values = checkedWrite(checkPowerImages(images)); !values)
        return Error{values.error()};
    if (auto allowed = gate.allow(blocks::kPowerModule); !allowed)
        return Error{allowed.error()};
    PowerImages written = images;
    written.network = net.network;
    written.ports = net.ports;
    {
        SettingsSeries first(power, progress, 5);
        if (auto s = writeNetworkPair(first, gate, net); !s)
            return Error{s.error()};
    }
    // The second connection: settings, calibration and sections. Its progress counts on from 2.
    const ServiceProgress shifted = [&progress](std::size_t done, std::size_t total) {
        if (progress)
            progress(done + 2, total);
    };
    SettingsSeries second(power, shifted, 5);
    if (auto s = second.write(gate, place::kPowerSettings, written.settings.encode(), kKeepOpen,
                              blockName(blocks::kPowerSettings));
        !s)
        return Error{s.error()};
    if (auto s = second.write(gate, kAdcImagePlace, written.adc.encode(), kKeepOpen, kAdcImageName); !s)
        return Error{s.error()};
    if (auto s = second.write(gate, place::kPowerSections, written.sections.encode(), kClose,
                              blockName(blocks::kPowerSections));
        !s)
        return Error{s.error()};
    return written;
}

} // namespace kapsorel
