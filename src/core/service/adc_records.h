// ADC calibration records: the 8-byte AdcRecord in its I2C and SPI forms with the packing of
// their configuration bytes, the power module's 58-byte PowerAdcImage and the measurement
// module's CellAdcTable.
#pragma once

#include "core/base/result.h"
#include "core/service/settings_blocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kapsorel {

// One ADC channel's record: two configuration bytes, the signed offset and the constant.
// A calibrated reading is (raw + offset) x constant.
struct AdcRecord {
    static constexpr std::size_t kSize = 8;

    std::uint8_t config0 = 0; // I2C form: the ADC's I2C address; SPI form: register 0
    std::uint8_t config1 = 0; // I2C form: configuration byte; SPI form: register 1
    std::int16_t offset = 0;
    float constant = 0;

    static Result<AdcRecord> decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> encode() const;
    bool operator==(const AdcRecord&) const = default;
};

// The I2C ADC's configuration byte: bits 7 and 4 set, bits 3-2 the rate, bits 1-0 the gain.
struct I2cAdcConfig {
    static constexpr int kRates = 4; // 240, 60, 15, 3.75 SPS
    static constexpr int kGains = 4; // x1, x2, x4, x8
    int rate = 0;
    int gain = 0;
    bool operator==(const I2cAdcConfig&) const = default;
};
// Nothing when an index is out of range.
std::optional<std::uint8_t> packI2cConfig(I2cAdcConfig config);
I2cAdcConfig unpackI2cConfig(std::uint8_t byte);
// The byte a panel writes: `kept` (as read, with any bits the choices do not show) while the
// choices are still those it unpacks to, else the packed choices.
std::optional<std::uint8_t> i2cConfigKeeping(std::uint8_t kept, I2cAdcConfig chosen);

// The SPI (current) ADC's two registers: register 0 = multiplexer x 16 + gain x 2, register
// 1 = rate x 32 + 4.
struct SpiAdcConfig {
    static constexpr int kMultiplexers = 16;
    static constexpr int kGains = 8;
    static constexpr int kRates = 8;
    int multiplexer = 0;
    int gain = 0;
    int rate = 0;
    bool operator==(const SpiAdcConfig&) const = default;
};
struct SpiRegisters {
    std::uint8_t reg0 = 0;
    std::uint8_t reg1 = 0;
    bool operator==(const SpiRegisters&) const = default;
};
std::optional<SpiRegisters> packSpiConfig(SpiAdcConfig config);
SpiAdcConfig unpackSpiConfig(SpiRegisters registers);
// As i2cConfigKeeping for the two SPI registers.
std::optional<SpiRegisters> spiConfigKeeping(SpiRegisters kept, SpiAdcConfig chosen);

// The power module's ADC records (58 bytes at 200): records 0-4 I2C ADCs (voltage 1-3,
// insulation AD1 and AD2), record 5 the SPI current ADC, record 6 and two bytes carried
// unchanged.
struct PowerAdcImage {
    static constexpr std::size_t kSize = 58;
    static constexpr std::uint16_t kAddress = 200;
    static constexpr std::uint8_t kWholeWriteParam = 73;
    static constexpr std::size_t kRecords = 7;     // the six used and the spare one
    static constexpr std::size_t kUsedRecords = 6; // 0-5
    static constexpr std::size_t kCurrentRecord = 5;

    std::array<AdcRecord, kRecords> records{};
    std::array<std::uint8_t, 2> spare{};

    static Result<PowerAdcImage> decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> encode() const;
    bool operator==(const PowerAdcImage&) const = default;
};

// Where record k (0-5) of the power module lies and its single-record "SW" parameter byte:
// 2^k + 10 for the I2C ADCs, 42 for the current ADC.
BlockPlace powerAdcRecordPlace(std::size_t k);

// The measurement module's 23 I2C ADC records (cells 1-20, the battery voltage, insulation
// AD1 and AD2) from 200, and two spare bytes; read and written record by record.
struct CellAdcTable {
    static constexpr std::size_t kRecords = 23;
    static constexpr std::size_t kCells = 20;
    static constexpr std::size_t kBatteryRecord = 20;
    static constexpr std::size_t kInsulation1Record = 21;
    static constexpr std::size_t kInsulation2Record = 22;
    static constexpr std::uint16_t kAddress = 200;
    static constexpr std::size_t kSize = kRecords * AdcRecord::kSize + 2; // 186

    std::array<AdcRecord, kRecords> records{};
    std::array<std::uint8_t, 2> spare{};

    static Result<CellAdcTable> decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> encode() const;
    bool operator==(const CellAdcTable&) const = default;
};

// Where measurement record k (0-22) lies; `lastOfBatch` gives parameter byte 1, else 0.
BlockPlace cellRecordPlace(std::size_t k, bool lastOfBatch);

} // namespace kapsorel
