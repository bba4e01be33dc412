// Parsing and checking of the settings window's address, name, port and SPI fields.
#include "core/service/address_fields.h"

#include "core/base/cp1250.h"

#include <algorithm>
#include <array>

namespace kapsorel {

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<Octets> parseDottedAddress(std::string_view text)
{
    text = trimmed(text);
    Octets out{};
    std::size_t octet = 0;
    std::size_t pos = 0;
    while (true) {
        if (octet == out.size())
            return std::nullopt;
        int value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return std::nullopt;
        out[octet++] = static_cast<std::uint8_t>(value);
        if (pos == text.size())
            break;
        if (text[pos] != '.')
            return std::nullopt;
        ++pos;
    }
    if (octet != out.size())
        return std::nullopt;
    return out;
}

std::string formatDottedAddress(const Octets& octets)
{
    return std::to_string(octets[0]) + "." + std::to_string(octets[1]) + "." + std::to_string(octets[2]) + "." +
           std::to_string(octets[3]);
}

NetworkFields networkFields(const NetworkBlock& block)
{
    return {formatDottedAddress(block.address), formatDottedAddress(block.mask), formatDottedAddress(block.gateway),
            formatDottedAddress(block.dns1), formatDottedAddress(block.dns2)};
}

PortsFields portsFields(const PortsBlock& block)
{
    const auto end = std::find(block.user.begin(), block.user.end(), std::uint8_t{0});
    const std::string raw(block.user.begin(), end);
    return {cp1250ToUtf8(raw), block.tcpPort2, block.udpPort1, block.udpPort2};
}

Result<NetworkBlock> networkFromFields(const NetworkFields& fields, const NetworkBlock& previous)
{
    struct Field {
        const char* label;
        const std::string* text;
        Octets* into;
    };
    NetworkBlock block = previous;
    const std::array<Field, 5> all{{{"IP adresa", &fields.address, &block.address},
                                    {"Maska", &fields.mask, &block.mask},
                                    {"Brána", &fields.gateway, &block.gateway},
                                    {"DNS1", &fields.dns1, &block.dns1},
                                    {"DNS2", &fields.dns2, &block.dns2}}};
    for (const Field& f : all) {
        const auto octets = parseDottedAddress(*f.text);
        if (!octets)
            return Error{"Neplatná adresa v poli " + std::string(f.label) + ": \"" + *f.text +
                         "\" (čtyři čísla 0–255 oddělená tečkami)"};
        *f.into = *octets;
    }
    block.addressAgain = block.address;
    block.maskAgain = block.mask;
    return block;
}

Result<std::uint16_t> portFromField(long value, std::string_view label)
{
    if (value < 1 || value > 65535)
        return Error{"Port " + std::string(label) + " musí být 1–65535, ne " + std::to_string(value)};
    return static_cast<std::uint16_t>(value);
}

Result<PortsBlock> portsFromFields(const PortsFields& fields, const PortsBlock& previous)
{
    PortsBlock block = previous;
    const std::string user = utf8ToCp1250(fields.user);
    if (user.size() > PortsBlock::kUserCapacity)
        return Error{"Uživatel má nejvýše " + std::to_string(PortsBlock::kUserCapacity) + " znaků"};
    const auto tcp2 = portFromField(fields.tcpPort2, "TCP port2");
    if (!tcp2)
        return Error{tcp2.error()};
    const auto udp1 = portFromField(fields.udpPort1, "UDPport1");
    if (!udp1)
        return Error{udp1.error()};
    const auto udp2 = portFromField(fields.udpPort2, "UDPport2");
    if (!udp2)
        return Error{udp2.error()};
    block.tcpPort2 = tcp2.value();
    block.udpPort1 = udp1.value();
    block.udpPort2 = udp2.value();
    // An unchanged name keeps its bytes, those after the terminating zero too.
    if (fields.user != portsFields(previous).user) {
        block.user.fill(0);
        std::copy(user.begin(), user.end(), block.user.begin());
    }
    return block;
}

Result<std::uint8_t> spiByteFromField(long value, std::string_view label)
{
    if (value < 0 || value > 255)
        return Error{std::string(label) + " musí být 0–255, ne " + std::to_string(value)};
    return static_cast<std::uint8_t>(value);
}

} // namespace kapsorel
