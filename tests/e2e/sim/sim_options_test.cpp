// kapsorel-sim's command line: addresses outside loopback and malformed options are refused.
#include "support/sim_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace kapsorel::test {
namespace {

TEST(SimOptions, AddressesOutsideLoopbackAreRefusedWithExitCode2)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--power", "255.255.255.255"}, {"--measure", "0.0.0.1"},   {"--power", "0.0.0.0"},
        {"--control", "0.0.0.0:0"},     {"--measure", "128.0.0.1"}, {"--power", "localhost"},
    };
    for (const auto& args : cases) {
        std::string error;
        EXPECT_EQ(SimProcess::runToExit(args, &error), 2) << args[0] << " " << args[1];
        EXPECT_NE(error.find("127.0.0.0/8"), std::string::npos) << error;
        EXPECT_NE(error.find(args[1]), std::string::npos) << "names the refused address: " << error;
    }
}

TEST(SimOptions, MalformedOptionsAreRefusedWithExitCode2)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--tcp-port", "0"},        {"--udp-port", "70000"},
        {"--cells", "21"},          {"--capacity", "0"},
        {"--charge", "1.2"},        {"--chemistry", "liion"},
        {"--time-scale", "-1"},     {"--weak-cell", "30"},
        {"--bogus", "1"},           {"--power"},
        {"--control", "127.0.0.1"}, {"--power", "127.5.5.5", "--measure", "127.5.5.5"},
    };
    for (const auto& args : cases) {
        std::string error;
        EXPECT_EQ(SimProcess::runToExit(args, &error), 2) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimOptions, ExplicitAddressesAndPortsAreUsedAndReported)
{
    const std::string prefix = "127.77." + std::to_string(getpid() % 250) + ".";
    SimProcess sim({"--power", prefix + "2", "--measure", prefix + "3", "--tcp-port", "9860", "--udp-port", "30405",
                    "--capacity", "2.5", "--charge", "0.25"});
    EXPECT_EQ(sim.powerAddress(), prefix + "2");
    EXPECT_EQ(sim.measureAddress(), prefix + "3");
    EXPECT_EQ(sim.tcpPort(), 9860);
    EXPECT_EQ(sim.udpPort(), 30405);
    EXPECT_DOUBLE_EQ(sim.number("battery.capacity"), 2.5);
    EXPECT_NEAR(sim.number("battery.charge"), 0.25, 1e-9);
    EXPECT_GT(sim.controlPort(), 0);
}

} // namespace
} // namespace kapsorel::test
