// Decoding, encoding and configuration packing of the ADC calibration records.
#include "core/service/adc_records.h"

#include "core/base/bytes.h"

#include <string>

namespace kapsorel {

namespace {

Error wrongSize(std::size_t got, std::size_t want)
{
    return Error{"Blok má " + std::to_string(got) + " B místo " + std::to_string(want) + " B"};
}

void readRecord(ByteReader& r, AdcRecord& out)
{
    out.config0 = r.u8();
    out.config1 = r.u8();
    out.offset = r.i16();
    out.constant = r.single();
}

void writeRecord(ByteWriter& w, const AdcRecord& record)
{
    w.u8(record.config0);
    w.u8(record.config1);
    w.i16(record.offset);
    w.single(record.constant);
}

template <class Image> Result<Image> decodeRecords(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != Image::kSize)
        return wrongSize(bytes.size(), Image::kSize);
    ByteReader r(bytes);
    Image image;
    for (AdcRecord& record : image.records)
        readRecord(r, record);
    r.bytes(image.spare);
    if (!r.ok() || r.remaining() != 0)
        return wrongSize(bytes.size(), Image::kSize);
    return image;
}

template <class Image> std::vector<std::uint8_t> encodeRecords(const Image& image)
{
    ByteWriter w;
    for (const AdcRecord& record : image.records)
        writeRecord(w, record);
    w.bytes(image.spare);
    return w.take();
}

bool inRange(int v, int count)
{
    return v >= 0 && v < count;
}

} // namespace

Result<AdcRecord> AdcRecord::decode(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kSize)
        return wrongSize(bytes.size(), kSize);
    ByteReader r(bytes);
    AdcRecord record;
    readRecord(r, record);
    if (!r.ok())
        return wrongSize(bytes.size(), kSize);
    return record;
}

std::vector<std::uint8_t> AdcRecord::encode() const
{
    ByteWriter w;
    writeRecord(w, *this);
    return w.take();
}

std::optional<std::uint8_t> packI2cConfig(I2cAdcConfig config)
{
    if (!inRange(config.rate, I2cAdcConfig::kRates) || !inRange(config.gain, I2cAdcConfig::kGains))
        return std::nullopt;
    return static_cast<std::uint8_t>(0x90 | (config.rate << 2) | config.gain);
}

I2cAdcConfig unpackI2cConfig(std::uint8_t byte)
{
    return {(byte >> 2) & 3, byte & 3};
}

std::optional<std::uint8_t> i2cConfigKeeping(std::uint8_t kept, I2cAdcConfig chosen)
{
    if (unpackI2cConfig(kept) == chosen)
        return kept;
    return packI2cConfig(chosen);
}

std::optional<SpiRegisters> packSpiConfig(SpiAdcConfig config)
{
    if (!inRange(config.multiplexer, SpiAdcConfig::kMultiplexers) || !inRange(config.gain, SpiAdcConfig::kGains) ||
        !inRange(config.rate, SpiAdcConfig::kRates))
        return std::nullopt;
    return SpiRegisters{static_cast<std::uint8_t>(config.multiplexer * 16 + config.gain * 2),
                        static_cast<std::uint8_t>(config.rate * 32 + 4)};
}

SpiAdcConfig unpackSpiConfig(SpiRegisters registers)
{
    return {registers.reg0 >> 4, (registers.reg0 >> 1) & 7, registers.reg1 >> 5};
}

std::optional<SpiRegisters> spiConfigKeeping(SpiRegisters kept, SpiAdcConfig chosen)
{
    if (unpackSpiConfig(kept) == chosen)
        return kept;
    return packSpiConfig(chosen);
}

Result<PowerAdcImage> PowerAdcImage::decode(std::span<const std::uint8_t> bytes)
{
    return decodeRecords<PowerAdcImage>(bytes);
}

std::vector<std::uint8_t> PowerAdcImage::encode() const
{
    return encodeRecords(*this);
}

BlockPlace powerAdcRecordPlace(std::size_t k)
{
    const auto param = k == PowerAdcImage::kCurrentRecord ? 42u : (1u << k) + 10u;
    return {static_cast<std::uint16_t>(PowerAdcImage::kAddress + AdcRecord::kSize * k), AdcRecord::kSize,
            AdcRecord::kSize, static_cast<std::uint8_t>(param)};
}

Result<CellAdcTable> CellAdcTable::decode(std::span<const std::uint8_t> bytes)
{
    return decodeRecords<CellAdcTable>(bytes);
}

std::vector<std::uint8_t> CellAdcTable::encode() const
{
    return encodeRecords(*this);
}

BlockPlace cellRecordPlace(std::size_t k, bool lastOfBatch)
{
    return {static_cast<std::uint16_t>(CellAdcTable::kAddress + AdcRecord::kSize * k), AdcRecord::kSize,
            AdcRecord::kSize, static_cast<std::uint8_t>(lastOfBatch ? 1 : 0)};
}

} // namespace kapsorel
