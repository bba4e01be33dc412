// The power module's buttons of the settings window as plain functions: each runs its
// exchanges on the module link (a window runs it as a module job on the module's worker) and
// returns the new images or the exact message to show. A read hands back nothing unless every
// exchange of it succeeded, so a failed read leaves the window's images as they were; a write
// checks the fields and the write gate before its first "SW", checks every answer and stops at
// the first failure, naming the block not written.
#pragma once

#include "core/base/result.h"
#include "core/comm/module_link.h"
#include "core/service/adc_records.h"
#include "core/service/address_fields.h"
#include "core/service/service_progress.h"
#include "core/service/settings_blocks.h"
#include "core/service/settings_images.h"
#include "core/service/write_guard.h"
#include "core/station/run_state.h"

#include <cstdint>
#include <utility>

namespace kapsorel {

// The power module's measuring channels of the calibration pages.
enum class PowerChannel : std::uint8_t {
    Voltage1 = 0,
    Voltage2 = 1,
    Voltage3 = 2,
    Insulation1 = 3,
    Insulation2 = 4,
    Current = 5
};

// Network tab "Načti": "SR" 53/35 (keep), "SR" 120/23 (close).
Result<NetworkImages> readPowerNetwork(ModuleLink& power, const ServiceProgress& progress = {});
// Network tab "Ulož": the fields checked into the blocks, "SW" 53/35 parameter 2 (keep),
// "SW" 120/13 parameter 0 (close). Returns the blocks written.
Result<NetworkImages> writePowerNetwork(ModuleLink& power, const WriteGate& gate, const NetworkFields& network,
                                        const PortsFields& ports, const NetworkImages& previous,
                                        const ServiceProgress& progress = {});

// "  Nastavení  " "Načti": "SR" 300/41 (close). "Ulož": "SW" 300/41 parameter 1 (close).
// Every read and write of this file refuses values its fields cannot hold (settings_checks.h).
Result<PowerSettingsBlock> readPowerSettings(ModuleLink& power);
Status writePowerSettings(ModuleLink& power, const WriteGate& gate, const PowerSettingsBlock& block);
// "Kalibrace" beside "DAC konstanta": "ZK" (close); a drive command, refused while a test
// runs.
Status calibrateDac(ModuleLink& power, const SharedRunState& run);

// A calibration page's "Načti": "SR" of record k (0-5), close.
Result<AdcRecord> readPowerAdcRecord(ModuleLink& power, std::size_t k);
// " Izolace " "Načti": records 3 (keep) and 4 (close).
Result<std::pair<AdcRecord, AdcRecord>> readPowerInsulation(ModuleLink& power);
// A calibration page's "Ulož": "SW" of record k with its parameter byte, close.
Status writePowerAdcRecord(ModuleLink& power, const WriteGate& gate, std::size_t k, const AdcRecord& record);
// " Izolace " "Ulož": record 3 (keep), record 4 (close).
Status writePowerInsulation(ModuleLink& power, const WriteGate& gate, const AdcRecord& ad1, const AdcRecord& ad2);

// "Min" / "Max" (and " Ostatní "'s raw buttons): "Mc" for the current, "Mn" with the channel,
// close; the signed raw reading.
Result<std::int16_t> readPowerRaw(ModuleLink& power, PowerChannel channel);
// "Změř": "MC" / "MN" with the channel, close; the calibrated value.
Result<float> measurePowerChannel(ModuleLink& power, PowerChannel channel);
// " Izolace " "Změř" beside "Izolační odpor": "MI", close; kOhm.
Result<float> measureInsulationResistance(ModuleLink& power);
// "Read SPI reg": "Sr" register (0-255), 1; close. The register's value.
Result<std::uint8_t> readSpiRegister(ModuleLink& power, long reg);
// "Write SPI reg": "Sw" register, value (each 0-255); close.
Status writeSpiRegister(ModuleLink& power, const WriteGate& gate, long reg, long value);
// "Konfig": "XC", close; exactly the 58-byte image, its constants checked. It fills only the
// image: the calibration pages keep their fields, so only record 6 and the spare bytes count
// as known after it.
Result<PowerAdcImage> readAdcImageConfig(ModuleLink& power);

// "Načti v. modul": five reads on one connection, the last closing it.
Result<PowerImages> readPowerModule(ModuleLink& power, const ServiceProgress& progress = {});
// "Ulož v. modul": network and ports (the second closes), settings, ADC image (parameter 73)
// and sections (closes): two connections. The network fields are checked first; returns the
// images written.
Result<PowerImages> writePowerModule(ModuleLink& power, const WriteGate& gate, const NetworkFields& network,
                                     const PortsFields& ports, const PowerImages& images,
                                     const ServiceProgress& progress = {});

} // namespace kapsorel
