// ADC records and the packing of their configuration bytes, byte for byte.
#include "core/service/adc_records.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

TEST(I2cAdcConfig, PacksRateAndGainAboveBits7And4AndReadsThemBack)
{
    const struct {
        int rate;
        int gain;
        std::uint8_t byte;
    } cases[] = {{0, 0, 0x90}, {1, 0, 0x94}, {2, 0, 0x98}, {3, 3, 0x9F}, {0, 2, 0x92}, {2, 1, 0x99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + "/" + std::to_string(c.gain));
        EXPECT_EQ(packI2cConfig({c.rate, c.gain}), c.byte);
        const auto back = unpackI2cConfig(c.byte);
        EXPECT_EQ(back.rate, c.rate);
        EXPECT_EQ(back.gain, c.gain);
    }
    for (I2cAdcConfig bad : {I2cAdcConfig{4, 0}, I2cAdcConfig{0, 4}, I2cAdcConfig{-1, 0}})
        EXPECT_FALSE(packI2cConfig(bad).has_value());
}

TEST(SpiAdcConfig, PacksMultiplexerGainAndRateIntoTwoRegisters)
{
    const struct {
        SpiAdcConfig config;
        SpiRegisters registers;
    } cases[] = {
        {{0, 0, 0}, {0x00, 0x04}}, {{8, 0, 2}, {0x80, 0x44}},  {{15, 7, 7}, {0xFE, 0xE4}},
        {{1, 3, 5}, {0x16, 0xA4}}, {{12, 1, 1}, {0xC2, 0x24}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.config.multiplexer);
        EXPECT_EQ(packSpiConfig(c.config), c.registers);
        const auto back = unpackSpiConfig(c.registers);
        EXPECT_EQ(back.multiplexer, c.config.multiplexer);
        EXPECT_EQ(back.gain, c.config.gain);
        EXPECT_EQ(back.rate, c.config.rate);
    }
    for (SpiAdcConfig bad : {SpiAdcConfig{16, 0, 0}, SpiAdcConfig{0, 8, 0}, SpiAdcConfig{0, 0, 8}})
        EXPECT_FALSE(packSpiConfig(bad).has_value());
}

TEST(AdcRecord, IsEightLittleEndianBytes)
{
    const AdcRecord record{208, 0x98, -300, 1.0f};
    const std::vector<std::uint8_t> bytes{208, 0x98, 0xD4, 0xFE, 0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(record.encode(), bytes);
    EXPECT_EQ(*AdcRecord::decode(bytes), record);
    EXPECT_FALSE(AdcRecord::decode(std::vector<std::uint8_t>(7)).ok());
}

TEST(PowerAdcImage, Carries58BytesWithTheSpareRecordAndTailUnchanged)
{
    std::vector<std::uint8_t> bytes(58);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const auto image = PowerAdcImage::decode(bytes);
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image->encode(), bytes);
    EXPECT_EQ(image->records[1].config0, bytes[8]);
    EXPECT_EQ(image->spare[1], bytes[57]);
    for (std::size_t wrong : {0u, 57u, 59u, 64u})
        EXPECT_FALSE(PowerAdcImage::decode(std::vector<std::uint8_t>(wrong)).ok()) << wrong;
}

TEST(PowerAdcImage, EachRecordHasItsAddressAndWriteParameter)
{
    const struct {
        std::size_t k;
        std::uint16_t address;
        std::uint8_t param;
    } cases[] = {{0, 200, 11}, {1, 208, 12}, {2, 216, 14}, {3, 224, 18}, {4, 232, 26}, {5, 240, 42}};
    for (const auto& c : cases) {
        const BlockPlace p = powerAdcRecordPlace(c.k);
        EXPECT_EQ(p.address, c.address) << c.k;
        EXPECT_EQ(p.writeParam, c.param) << c.k;
        EXPECT_EQ(p.readLength, 8) << c.k;
    }
}

TEST(CellAdcTable, Has23RecordsFrom200AndTwoSpareBytes)
{
    EXPECT_EQ(CellAdcTable::kSize, 186u);
    EXPECT_EQ(cellRecordPlace(0, false).address, 200);
    EXPECT_EQ(cellRecordPlace(19, false).address, 352);
    EXPECT_EQ(cellRecordPlace(20, true).address, 360);
    EXPECT_EQ(cellRecordPlace(22, false).address, 376);
    EXPECT_EQ(cellRecordPlace(22, false).writeParam, 0);
    EXPECT_EQ(cellRecordPlace(22, true).writeParam, 1);
    std::vector<std::uint8_t> bytes(186);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(CellAdcTable::decode(bytes)->encode(), bytes);
}

} // namespace
} // namespace kapsorel
