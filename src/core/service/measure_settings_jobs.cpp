// The measurement module's settings window sequences.
#include "core/service/measure_settings_jobs.h"

#include "core/base/bytes.h"
#include "core/service/settings_checks.h"
#include "core/service/settings_series.h"

namespace kapsorel {

namespace {

constexpr std::size_t kCellVoltagesSize = CellAdcTable::kCells * 4;

template <class Block> Result<Block> decoded(const Result<std::vector<std::uint8_t>>& bytes)
{
    if (!bytes)
        return Error{bytes.error()};
    return Block::decode(*bytes);
}

Result<AdcRecord> readRecord(SettingsSeries& series, std::size_t k, std::uint8_t disconnectAfter)
{
    return checkedRead(
        decoded<AdcRecord>(series.read(cellRecordPlace(k, false), disconnectAfter, blockName(blocks::cellRecord(k)))),
        [k](const AdcRecord& record) { return checkCellRecord(record, k); });
}

Status writeRecord(SettingsSeries& series, const WriteGate& gate, std::size_t k, const AdcRecord& record, bool last)
{
    if (auto values = checkedWrite(checkCellRecord(record, k)); !values)
        return values;
    return series.write(gate, cellRecordPlace(k, last), record.encode(), last ? kClose : kKeepOpen,
                        blockName(blocks::cellRecord(k)));
}

Result<NetworkImages> checkedNetwork(const NetworkFields& network, const PortsFields& ports,
                                     const NetworkImages& previous)
{
    auto block = networkFromFields(network, previous.network);
    if (!block)
        return Error{block.error()};
    auto portsBlock = portsFromFields(ports, previous.ports);
    if (!portsBlock)
        return Error{portsBlock.error()};
    return NetworkImages{*block, *portsBlock};
}

Status writeNetworkPair(SettingsSeries& series, const WriteGate& gate, const NetworkImages& images)
{
    if (auto s = series.write(gate, place::kMeasureNetwork, images.network.encode(), kKeepOpen,
                              blockName(blocks::kMeasureNetwork));
        !s)
        return s;
    return series.write(gate, place::kMeasurePorts, images.ports.encodeWritten(), kClose,
                        blockName(blocks::kMeasurePorts));
}

ModuleCommand channelCommand(char command, std::size_t k, std::size_t answer)
{
    return {'M', command, 0, {static_cast<std::uint8_t>(k)}, answer};
}

} // namespace

Result<NetworkImages> readMeasureNetwork(ModuleLink& measure, const ServiceProgress& progress)
{
    SettingsSeries series(measure, progress, 2);
    auto network =
        decoded<NetworkBlock>(series.read(place::kMeasureNetwork, kKeepOpen, blockName(blocks::kMeasureNetwork)));
    if (!network)
        return Error{network.error()};
    auto ports = decoded<PortsBlock>(series.read(place::kMeasurePorts, kClose, blockName(blocks::kMeasurePorts)));
    if (!ports)
        return Error{ports.error()};
    return NetworkImages{*network, *ports};
}

Result<NetworkImages> writeMeasureNetwork(ModuleLink& measure, const WriteGate& gate, const NetworkFields& network,
                                          const PortsFields& ports, const NetworkImages& previous,
                                          const ServiceProgress& progress)
{
    auto images = checkedNetwork(network, ports, previous);
    if (!images)
        return images;
    if (auto allowed = gate.allow(blocks::kMeasureNetwork | blocks::kMeasurePorts); !allowed)
        return Error{allowed.error()};
    SettingsSeries series(measure, progress, 2);
    if (auto s = writeNetworkPair(series, gate, *images); !s)
        return Error{s.error()};
    return images;
}

Result<float> readTemperature(ModuleLink& measure)
{
    SettingsSeries series(measure, {}, 1);
    auto answer = series.command({'T', 'T', 0, {}, 4}, kClose, "Teplota");
    if (!answer)
        return Error{answer.error()};
    return le::getSingle(*answer, 0);
}

Result<std::uint8_t> readHeadType(ModuleLink& measure)
{
    SettingsSeries series(measure, {}, 1);
    auto answer = series.command({'T', 'h', 0, {}, 1}, kClose, "Typ hlavy");
    if (!answer)
        return Error{answer.error()};
    return (*answer)[0];
}

Status writeHeadType(ModuleLink& measure, const WriteGate& gate, std::uint8_t headType)
{
    if (auto allowed = gate.allow(blocks::kMeasureHeadType); !allowed)
        return allowed;
    SettingsSeries series(measure, {}, 1);
    return series.command({'T', 'H', 0, {headType}, 0}, kClose, "Typ hlavy").status();
}

Result<std::int16_t> readUnsignedRaw(ModuleLink& measure, std::size_t k)
{
    SettingsSeries series(measure, {}, 1);
    auto answer = series.command(channelCommand('z', k, 2), kClose, "Měření");
    if (!answer)
        return Error{answer.error()};
    return le::getI16(*answer, 0);
}

Result<float> measureChannel(ModuleLink& measure, std::size_t k)
{
    SettingsSeries series(measure, {}, 1);
    auto answer = series.command(channelCommand('N', k, 4), kClose, "Měření");
    if (!answer)
        return Error{answer.error()};
    return le::getSingle(*answer, 0);
}

Result<AdcRecord> readBatteryRecord(ModuleLink& measure)
{
    SettingsSeries series(measure, {}, 1);
    return readRecord(series, CellAdcTable::kBatteryRecord, kClose);
}

Status writeBatteryRecord(ModuleLink& measure, const WriteGate& gate, const AdcRecord& record)
{
    if (auto allowed = gate.allow(blocks::cellRecord(CellAdcTable::kBatteryRecord)); !allowed)
        return allowed;
    SettingsSeries series(measure, {}, 1);
    return writeRecord(series, gate, CellAdcTable::kBatteryRecord, record, true);
}

Result<std::pair<AdcRecord, AdcRecord>> readMeasureInsulation(ModuleLink& measure)
{
    SettingsSeries series(measure, {}, 2);
    auto ad1 = readRecord(series, CellAdcTable::kInsulation1Record, kKeepOpen);
    if (!ad1)
        return Error{ad1.error()};
    auto ad2 = readRecord(series, CellAdcTable::kInsulation2Record, kClose);
    if (!ad2)
        return Error{ad2.error()};
    return std::pair{*ad1, *ad2};
}

Status writeMeasureInsulation(ModuleLink& measure, const WriteGate& gate, const AdcRecord& ad1, const AdcRecord& ad2)
{
    if (auto allowed = gate.allow(blocks::cellRecord(CellAdcTable::kInsulation1Record) |
                                  blocks::cellRecord(CellAdcTable::kInsulation2Record));
        !allowed)
        return allowed;
    SettingsSeries series(measure, {}, 2);
    if (auto s = writeRecord(series, gate, CellAdcTable::kInsulation1Record, ad1, false); !s)
        return s;
    return writeRecord(series, gate, CellAdcTable::kInsulation2Record, ad2, true);
}

Result<CellGrid> readCellRaw(ModuleLink& measure, CellGrid grid, bool upper, const ServiceProgress& progress)
{
    const auto rows = selectedRows(grid);
    if (rows.empty())
        return grid;
    SettingsSeries series(measure, progress, rows.size());
    std::vector<std::int16_t> readings;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool last = i + 1 == rows.size();
        auto answer = series.command(channelCommand('n', rows[i], 2), last ? kClose : kKeepOpen,
                                     "Článek " + std::to_string(rows[i] + 1));
        if (!answer)
            return Error{answer.error()};
        readings.push_back(le::getI16(*answer, 0));
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        (upper ? grid[rows[i]].rawMax : grid[rows[i]].rawMin) = readings[i];
    return grid;
}

Result<CellGrid> readCellRecords(ModuleLink& measure, CellGrid grid, const ServiceProgress& progress)
{
    const auto rows = selectedRows(grid);
    if (rows.empty())
        return grid;
    SettingsSeries series(measure, progress, rows.size());
    std::vector<AdcRecord> records;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto record = readRecord(series, rows[i], i + 1 == rows.size() ? kClose : kKeepOpen);
        if (!record)
            return Error{record.error()};
        records.push_back(*record);
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        applyRecord(grid[rows[i]], records[i]);
    return grid;
}

Status writeCellRecords(ModuleLink& measure, const WriteGate& gate, const CellGrid& grid,
                        const ServiceProgress& progress)
{
    const auto rows = selectedRows(grid);
    if (rows.empty())
        return {};
    const auto records = cellRecordsToWrite(grid, rows);
    if (!records)
        return records.status();
    BlockSet set = 0;
    for (std::size_t r : rows)
        set |= blocks::cellRecord(r);
    if (auto allowed = gate.allow(set); !allowed)
        return allowed;
    SettingsSeries series(measure, progress, rows.size());
    for (std::size_t i = 0; i < records->size(); ++i) {
        const auto& [k, record] = (*records)[i];
        if (auto s = writeRecord(series, gate, k, record, i + 1 == records->size()); !s)
            return s;
    }
    return {};
}

Result<CellGrid> readCellVoltages(ModuleLink& measure, CellGrid grid)
{
    SettingsSeries series(measure, {}, 1);
    auto answer = series.command({'M', 'S', 0, {}, kCellVoltagesSize}, kClose, "Napětí článků");
    if (!answer)
        return Error{answer.error()};
    for (std::size_t r : selectedRows(grid))
        grid[r].value = le::getSingle(*answer, r * 4);
    return grid;
}

Result<MeasureImages> readMeasureModule(ModuleLink& measure, const ServiceProgress& progress)
{
    SettingsSeries series(measure, progress, 2 + CellAdcTable::kRecords);
    MeasureImages images;
    auto network =
        decoded<NetworkBlock>(series.read(place::kMeasureNetwork, kKeepOpen, blockName(blocks::kMeasureNetwork)));
    if (!network)
        return Error{network.error()};
    images.network = *network;
    for (std::size_t k = 0; k < CellAdcTable::kRecords; ++k) {
        auto record = readRecord(series, k, kKeepOpen);
        if (!record)
            return Error{record.error()};
        images.cells.records[k] = *record;
    }
    auto ports = decoded<PortsBlock>(series.read(place::kMeasurePorts, kClose, blockName(blocks::kMeasurePorts)));
    if (!ports)
        return Error{ports.error()};
    images.ports = *ports;
    return images;
}

Result<MeasureImages> writeMeasureModule(ModuleLink& measure, const WriteGate& gate, const NetworkFields& network,
                                         const PortsFields& ports, const MeasureImages& images,
                                         const ServiceProgress& progress)
{
    auto net = checkedNetwork(network, ports, {images.network, images.ports});
    if (!net)
        return Error{net.error()};
    if (auto values = checkedWrite(checkMeasureImages(images)); !values)
        return Error{values.error()};
    if (auto allowed = gate.allow(blocks::kMeasureNetwork | blocks::kMeasurePorts | (blocks::kCellTable)); !allowed)
        return Error{allowed.error()};
    MeasureImages written = images;
    written.network = net->network;
    written.ports = net->ports;
    const std::size_t total = 2 + CellAdcTable::kRecords;
    {
        SettingsSeries first(measure, progress, total);
        if (auto s = writeNetworkPair(first, gate, *net); !s)
            return Error{s.error()};
    }
    const ServiceProgress shifted = [&progress](std::size_t done, std::size_t all) {
        if (progress)
            progress(done + 2, all);
    };
    SettingsSeries second(measure, shifted, total);
    for (std::size_t k = 0; k < CellAdcTable::kRecords; ++k) {
        if (auto s = writeRecord(second, gate, k, written.cells.records[k], k + 1 == CellAdcTable::kRecords); !s)
            return Error{s.error()};
    }
    return written;
}

std::string bothModulesMessage(std::string_view power, std::string_view measure)
{
    std::string text;
    if (!power.empty())
        text += "Výkonový modul: " + std::string(power);
    if (!measure.empty())
        text += (text.empty() ? "" : "\n") + std::string("Měřící modul: ") + std::string(measure);
    return text;
}

} // namespace kapsorel
