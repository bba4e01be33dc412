// Command line of kapsorel-sim: module addresses and ports, the battery to simulate
// and the model's time scale.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel::sim {

enum class Chemistry { NiCd, Pb };

struct BatteryOptions {
    Chemistry chemistry = Chemistry::NiCd;
    int cells = 20;
    double capacityAh = 10.0;
    double charge = 0.5;
    int weakCell = 0; // 0 = none
};

struct SimOptions {
    std::string powerAddress = "127.0.0.2";
    std::string measureAddress = "127.0.0.3";
    std::uint16_t tcpPort = 9760;
    std::uint16_t udpPort = 30305;
    std::string controlAddress = "127.0.0.1";
    std::uint16_t controlPort = 0;
    std::uint16_t tftpPort = 69; // 0 = no firmware upload server
    bool tftpPortGiven = false;
    BatteryOptions battery;
    double timeScale = 1.0;
};

// Outcome of reading the command line: the options, a request for the usage text, or the
// message for a refused address or a malformed option (the program then exits with code 2).
struct ParsedOptions {
    SimOptions options;
    std::string error;
    bool help = false;
    bool version = false;
    bool ok() const { return error.empty(); }
};

ParsedOptions parseOptions(const std::vector<std::string>& args);

// True for a dotted IPv4 text inside 127.0.0.0/8.
bool isLoopbackAddress(const std::string& text);

std::string usageText();

} // namespace kapsorel::sim
