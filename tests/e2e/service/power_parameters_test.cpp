// The program settings window's two power module parameters at 336 against the simulator:
// the request bytes, a read that fails in any way handing back nothing, a refused write
// reported.
#include "core/service/power_parameters.h"
#include "service_fixture.h"

namespace kapsorel::test {
namespace {

TEST_F(ServiceTest, PowerParametersReadAndWriteAt336)
{
    startLog();
    auto read = readPowerParameters(power);
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read->firstSourceDelaySeconds, 10); // the simulator's factory values
    EXPECT_FLOAT_EQ(read->checkMinVoltage, 1.0f);

    ASSERT_TRUE(writePowerParameters(power, {25, 0.7f}).ok());
    auto again = readPowerParameters(power);
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_EQ(again.value(), (PowerParameters{25, 0.7f}));

    EXPECT_EQ(sim.frames("power"),
              (std::vector<Bytes>{sr(336, 5), sw(336, 1, encodePowerParameters({25, 0.7f})), sr(336, 5)}));
    EXPECT_EQ(newConnections("power"), 3u) << "each exchange closes its connection";
    EXPECT_FALSE(power.connected());
}

TEST_F(ServiceTest, AFailedPowerParametersReadHandsBackNothing)
{
    struct Case {
        const char* name;
        const char* faultOn;
        const char* faultOff;
    };
    const Case cases[] = {
        {"silent", "silent power on", "silent power off"},
        {"truncated", "truncate power on", "truncate power off"},
        {"error status", "status power SR 4", "status power SR 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(sim.command(c.faultOn), "OK");
        auto read = readPowerParameters(power);
        EXPECT_FALSE(read.ok());
        EXPECT_EQ(read.error().rfind("Nenačteno: parametry zdroje", 0), 0u) << read.error();
        EXPECT_FALSE(power.connected());
        ASSERT_EQ(sim.command(c.faultOff), "OK");
    }
}

TEST_F(ServiceTest, ARefusedPowerParametersWriteIsReported)
{
    ASSERT_EQ(sim.command("status power SW 3"), "OK");
    const Status st = writePowerParameters(power, {12, 0.9f});
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().rfind("Nezapsáno: parametry zdroje", 0), 0u) << st.error();
    ASSERT_EQ(sim.command("status power SW 0"), "OK");
}

} // namespace
} // namespace kapsorel::test
