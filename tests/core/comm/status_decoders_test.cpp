#include "core/base/bytes.h"
#include "core/comm/module_frame.h"
#include "core/comm/status_decoders.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

constexpr std::size_t P = kFrameHeaderSize;

TEST(StatusDecoders, PowerStatusFieldsAtTheirOffsets)
{
    StatusBuffer b{};
    b[3] = 17; // software version in the parameter byte
    b[P + 0] = 1;
    le::putSingle(b, P + 1, -12.5f);
    le::putSingle(b, P + 5, 27.25f);
    le::putSingle(b, P + 9, 31.0f);
    le::putSingle(b, P + 21, 24.5f);
    b[P + 25] = 30;
    b[P + 26] = 5;
    b[P + 29] = 9;
    // The module temperature first, then the fault bits over bytes 30-31: the bits stay
    // exact, the temperature loses only its lowest byte to the faults' high byte
    // (at most 2e-5 of the reading).
    le::putSingle(b, P + 31, 41.5f);
    le::putU16(b, P + 30, 0x8011);

    const PowerStatus s = decodePowerStatus(b);
    EXPECT_EQ(s.swVersion, 17);
    EXPECT_EQ(s.hardwareKind, 1);
    EXPECT_EQ(s.current, -12.5f);
    EXPECT_EQ(s.moduleVoltage, 27.25f);
    EXPECT_EQ(s.sourceVoltage, 31.0f);
    EXPECT_EQ(s.batteryTemperature, 24.5f);
    EXPECT_EQ(s.ledSeconds, 30);
    EXPECT_EQ(s.sirenSeconds, 5);
    EXPECT_EQ(s.errorType, 9);
    EXPECT_EQ(s.faultBits, 0x8011);
    EXPECT_NEAR(s.moduleTemperature, 41.5f, 41.5f * 2e-5f);
}

TEST(StatusDecoders, MeasurementStatusFieldsAtTheirOffsets)
{
    StatusBuffer b{};
    for (int i = 0; i < kCellCount; ++i)
        le::putSingle(b, P + 4 * static_cast<std::size_t>(i), 1.2f + 0.01f * static_cast<float>(i));
    le::putSingle(b, P + 80, 24.6f);
    le::putSingle(b, P + 92, 22.0f);
    b[P + 96] = 200; // unsigned byte, widened

    const MeasurementStatus s = decodeMeasurementStatus(b);
    for (int i = 0; i < kCellCount; ++i)
        EXPECT_EQ(s.cells[static_cast<std::size_t>(i)], 1.2f + 0.01f * static_cast<float>(i)) << i;
    EXPECT_EQ(s.batteryVoltage, 24.6f);
    EXPECT_EQ(s.batteryTemperature, 22.0f);
    EXPECT_EQ(s.headCode, 200);
}

TEST(StatusDecoders, ErrorAndFaultTexts)
{
    EXPECT_STREQ(errorTypeText(1), "ERR 1 - Nízké napětí");
    EXPECT_STREQ(errorTypeText(11), "ERR 11 - Porucha regulace");
    EXPECT_STREQ(errorTypeText(12), "");
    EXPECT_EQ(faultTexts(0x0011), (std::vector<std::string>{"Porucha AD izolace", "Překročeny meze teploty"}));
    EXPECT_EQ(faultTexts(0x8004), (std::vector<std::string>{"Porucha teplotního čidla 1", "Porucha čtení konfig"}));
    EXPECT_TRUE(faultTexts(0x0020).empty());
}

} // namespace
} // namespace kapsorel
