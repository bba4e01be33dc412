// Reads that fail (a silent, truncated, refused or slow answer) against the simulator: they
// hand back nothing, leave no connection open, and the write guard then lets nothing out.
#include "core/service/power_settings_jobs.h"
#include "service_fixture.h"

namespace kapsorel::test {
namespace {

struct FailureCase {
    const char* name;
    const char* faultOn;
    const char* faultOff;
};

TEST_F(ServiceTest, AFailedPowerModuleReadHandsBackNothingAndNothingIsWrittenAfterIt)
{
    const FailureCase cases[] = {
        {"silent", "silent power on", "silent power off"},
        {"truncated", "truncate power on", "truncate power off"},
        {"error status", "status power SR 4", "status power SR 0"},
        {"slow beyond the read limit", "delay power 1500", "delay power 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startLog();
        ASSERT_EQ(sim.command(c.faultOn), "OK");
        const auto images = readPowerModule(power);
        EXPECT_FALSE(images.ok());
        EXPECT_EQ(images.error().rfind("Nenačteno: síť výkonového modulu – ", 0), 0u) << images.error();
        EXPECT_FALSE(power.connected()) << "no connection left open";
        ASSERT_EQ(sim.command(c.faultOff), "OK");
        // The guard learnt nothing, so the window's next write sends nothing.
        const auto write =
            writePowerModule(power, gate, NetworkFields{"1.2.3.4", "1.2.3.4", "1.2.3.4", "1.2.3.4", "1.2.3.4"},
                             PortsFields{"a", 1, 1, 1}, PowerImages{});
        EXPECT_FALSE(write.ok());
        EXPECT_EQ(sim.frames("power"), (std::vector<Bytes>{sr(53, 35)}));
    }
}

} // namespace
} // namespace kapsorel::test
