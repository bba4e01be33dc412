// What the settings window's typed fields become in the settings images: dotted IPv4
// addresses, the user name and port numbers, the SPI register access; each refused with a
// message naming its field before anything is sent.
#pragma once

#include "core/base/result.h"
#include "core/service/settings_blocks.h"

#include <optional>
#include <string>
#include <string_view>

namespace kapsorel {

// Four decimal octets 0-255 joined by dots ("127.0.0.2"); spaces around are allowed.
std::optional<Octets> parseDottedAddress(std::string_view text);
std::string formatDottedAddress(const Octets& octets);

// The five address fields of a network tab (IP adresa, Maska, Brána, DNS1, DNS2).
struct NetworkFields {
    std::string address;
    std::string mask;
    std::string gateway;
    std::string dns1;
    std::string dns2;
    bool operator==(const NetworkFields&) const = default;
};

// The user name and port fields of a network tab ("Uživatel", "TCP port2", "UDPport1",
// "UDPport2").
struct PortsFields {
    std::string user; // UTF-8, at most 9 Windows-1250 characters
    long tcpPort2 = 0;
    long udpPort1 = 0;
    long udpPort2 = 0;
    bool operator==(const PortsFields&) const = default;
};

NetworkFields networkFields(const NetworkBlock& block);
PortsFields portsFields(const PortsBlock& block);

// The block to write: all five addresses valid, the address and mask also at their second
// places, the uninterpreted bytes from `previous`. Refused with the first bad field named.
Result<NetworkBlock> networkFromFields(const NetworkFields& fields, const NetworkBlock& previous);
// Ports 1-65535, a user name of at most 9 characters; the rest from `previous`.
Result<PortsBlock> portsFromFields(const PortsFields& fields, const PortsBlock& previous);

// A port number field: 1-65535, else the message naming `label`.
Result<std::uint16_t> portFromField(long value, std::string_view label);

// The register and value of "Read SPI reg" / "Write SPI reg": 0-255 each.
Result<std::uint8_t> spiByteFromField(long value, std::string_view label);

} // namespace kapsorel
