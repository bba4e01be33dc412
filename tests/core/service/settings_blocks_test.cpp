// The power module's settings and sections blocks, field by field.
#include "core/base/bytes.h"
#include "core/service/settings_blocks.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

TEST(PowerSettingsBlock, FieldsLieAtTheirOffsetsIn41Bytes)
{
    PowerSettingsBlock b;
    b.dischargeCurrentDiff = 0.5f;
    b.fetCurrentMax = 40.0f;
    b.sourceI2cAddress = 0x58;
    b.fanConfig = 3;
    b.fanRunOnSeconds = 120;
    b.chargeCurrentDiff = 0.25f;
    b.voltageDiff = 0.2f;
    b.maxTemperature = 80.0f;
    b.insulationMinKohm = 10.0f;
    b.dividerKohm = 149.5f;
    b.dacConstant = 149.25f;
    b.firstSourceDelaySeconds = 10;
    b.checkMinVoltage = 1.5f;
    const auto bytes = b.encode();
    ASSERT_EQ(bytes.size(), 41u);
    EXPECT_EQ(le::getSingle(bytes, 0), 0.5f);
    EXPECT_EQ(bytes[8], 0x58);
    EXPECT_EQ(bytes[9], 3);
    EXPECT_EQ(le::getU16(bytes, 10), 120);
    EXPECT_EQ(le::getSingle(bytes, 12), 0.25f);
    EXPECT_EQ(le::getSingle(bytes, 32), 149.25f);
    EXPECT_EQ(bytes[36], 10);
    EXPECT_EQ(le::getSingle(bytes, 37), 1.5f);
    EXPECT_EQ(*PowerSettingsBlock::decode(bytes), b);
    EXPECT_FALSE(PowerSettingsBlock::decode(std::vector<std::uint8_t>(40)).ok());
}

TEST(SectionsBlock, CountsThenTenResistorsThenEightBanks)
{
    SectionsBlock b;
    b.resistorCount = 9;
    b.bankCount = 4;
    b.resistors[9] = 0.125f;
    b.banks[7] = 2.0f;
    const auto bytes = b.encode();
    ASSERT_EQ(bytes.size(), 74u);
    EXPECT_EQ(le::getSingle(bytes, 2 + 36), 0.125f);
    EXPECT_EQ(le::getSingle(bytes, 42 + 28), 2.0f);
    EXPECT_EQ(*SectionsBlock::decode(bytes), b);
    EXPECT_EQ(resistanceFromConductance(0.0f), 0.0f);
    EXPECT_EQ(resistanceFromConductance(0.25f), 4.0f);
    EXPECT_EQ(conductanceFromResistance(0.0f), 0.0f);
    EXPECT_EQ(conductanceFromResistance(8.0f), 0.125f);
}

TEST(NetworkBlock, RoundTripsItsSpareBytes)
{
    std::vector<std::uint8_t> bytes(35);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(200 - i);
    EXPECT_EQ(NetworkBlock::decode(bytes)->encode(), bytes);
    EXPECT_FALSE(NetworkBlock::decode(std::vector<std::uint8_t>(36)).ok());
    EXPECT_FALSE(PortsBlock::decode(std::vector<std::uint8_t>(13)).ok());
}

} // namespace
} // namespace kapsorel
