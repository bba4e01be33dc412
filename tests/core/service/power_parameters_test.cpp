#include "core/service/power_parameters.h"

#include <gtest/gtest.h>
#include <vector>

using namespace kapsorel;

TEST(PowerParameters, FiveBytesDelayThenSingle)
{
    const auto bytes = encodePowerParameters({7, 0.5f});
    // 0.5f is 0x3F000000, little-endian.
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{7, 0x00, 0x00, 0x00, 0x3F}));
    auto back = decodePowerParameters(bytes);
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_EQ(back.value(), (PowerParameters{7, 0.5f}));
}

TEST(PowerParameters, DecodeNeedsFiveBytes)
{
    struct Case {
        std::vector<std::uint8_t> payload;
        bool ok;
    };
    const Case cases[] = {
        {{}, false},
        {{10, 0, 0, 0x80}, false},
        {{10, 0, 0, 0x80, 0x3F}, true},
        {{10, 0, 0, 0x80, 0x3F, 0xEE}, true},
    };
    for (const Case& c : cases) {
        auto p = decodePowerParameters(c.payload);
        EXPECT_EQ(p.ok(), c.ok) << c.payload.size() << " bytes";
        if (p.ok()) {
            EXPECT_EQ(p->firstSourceDelaySeconds, 10);
            EXPECT_FLOAT_EQ(p->checkMinVoltage, 1.0f);
        } else {
            EXPECT_NE(p.error().find("Nenačteno"), std::string::npos);
        }
    }
}
