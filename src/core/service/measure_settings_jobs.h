// The measurement module's buttons of the settings window as plain functions, run by a
// window as module jobs: each returns the new images (or grid) or the exact message to show.
// Reads hand back nothing unless every exchange succeeded; writes check their input and the
// write gate before the first "SW", check every answer and stop at the first failure.
#pragma once

#include "core/base/result.h"
#include "core/comm/module_link.h"
#include "core/service/adc_records.h"
#include "core/service/address_fields.h"
#include "core/service/cell_grid.h"
#include "core/service/power_settings_jobs.h"
#include "core/service/service_progress.h"
#include "core/service/settings_images.h"
#include "core/service/write_guard.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace kapsorel {

// Network tab "Načti": "SR" 53/35 (keep), "SR" 120/23 (close).
Result<NetworkImages> readMeasureNetwork(ModuleLink& measure, const ServiceProgress& progress = {});
// Network tab "Ulož": "SW" 53/35 parameter 0 (keep), "SW" 120/13 parameter 0 (close).
Result<NetworkImages> writeMeasureNetwork(ModuleLink& measure, const WriteGate& gate, const NetworkFields& network,
                                          const PortsFields& ports, const NetworkImages& previous,
                                          const ServiceProgress& progress = {});

// "Teplota" "Načti": "TT" (close). "Typ hlavy" "Načti": "Th"; "Ulož": "TH" with the type,
// refused until the head type was read (blocks::kMeasureHeadType). Every calibration record
// read or written here has its constant checked (settings_checks.h).
Result<float> readTemperature(ModuleLink& measure);
Result<std::uint8_t> readHeadType(ModuleLink& measure);
Status writeHeadType(ModuleLink& measure, const WriteGate& gate, std::uint8_t headType);

// "Min"/"Max" of the battery voltage and insulation pages: "Mz" with the record number
// (close); shown with unsignedRawText.
Result<std::int16_t> readUnsignedRaw(ModuleLink& measure, std::size_t k);
// "Změř": "MN" with the record number (close).
Result<float> measureChannel(ModuleLink& measure, std::size_t k);

// "  Celkové napětí  " "Načti" / "Ulož": "SR" / "SW" 360/8, parameter 1, close.
Result<AdcRecord> readBatteryRecord(ModuleLink& measure);
Status writeBatteryRecord(ModuleLink& measure, const WriteGate& gate, const AdcRecord& record);
// "  Izolace  " "Načti": 368/8 (keep), 376/8 (close). "Ulož": 368 parameter 0 (keep), 376
// parameter 1 (close).
Result<std::pair<AdcRecord, AdcRecord>> readMeasureInsulation(ModuleLink& measure);
Status writeMeasureInsulation(ModuleLink& measure, const WriteGate& gate, const AdcRecord& ad1, const AdcRecord& ad2);

// "  Články  ": the batches over the selected rows (the last one closes; none selected sends
// nothing). Each takes the grid and returns it with the answers in, or the message.
// "v" of "Min" / "Max": "Mn" with the row's record number.
Result<CellGrid> readCellRaw(ModuleLink& measure, CellGrid grid, bool upper, const ServiceProgress& progress = {});
// "Načti": "SR" of each selected row's record.
Result<CellGrid> readCellRecords(ModuleLink& measure, CellGrid grid, const ServiceProgress& progress = {});
// "Ulož": the whole batch checked first ("Adr je prazdna", "CF je prazdne"), then "SW" of each
// selected row's record, parameter 0, the last 1.
Status writeCellRecords(ModuleLink& measure, const WriteGate& gate, const CellGrid& grid,
                        const ServiceProgress& progress = {});
// "v" of "Hod": one "MS" (close), even with no row selected; the selected rows up to the last
// take their cell's voltage.
Result<CellGrid> readCellVoltages(ModuleLink& measure, CellGrid grid);

// "Načti m. modul": network (keep), the 23 records (keep), ports (close): one connection.
Result<MeasureImages> readMeasureModule(ModuleLink& measure, const ServiceProgress& progress = {});
// "Ulož m. modul": network (keep), ports (close), records 0-21 parameter 0 (keep), record 22
// parameter 1 (close): two connections. The network fields are checked first.
Result<MeasureImages> writeMeasureModule(ModuleLink& measure, const WriteGate& gate, const NetworkFields& network,
                                         const PortsFields& ports, const MeasureImages& images,
                                         const ServiceProgress& progress = {});

// The status line after "Načti vše" / "Ulož vše", whose measurement half runs even when the
// power half failed: each failed half's message after its module's name, one per line;
// empty when both succeeded.
std::string bothModulesMessage(std::string_view power, std::string_view measure);

} // namespace kapsorel
