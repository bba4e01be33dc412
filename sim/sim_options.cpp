#include "sim_options.h"

#include <asio.hpp>
#include <charconv>

namespace kapsorel::sim {

namespace {

bool parseDouble(const std::string& text, double& out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc{} && ptr == end;
}

bool parseInt(const std::string& text, long long lo, long long hi, long long& out)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc{} && ptr == end && out >= lo && out <= hi;
}

std::string checkLoopback(const std::string& option, const std::string& address, const std::string& given)
{
    if (isLoopbackAddress(address))
        return {};
    return "kapsorel-sim: " + option + " " + given +
           " refused: the simulator listens only on loopback addresses (127.0.0.0/8)";
}

} // namespace

bool isLoopbackAddress(const std::string& text)
{
    asio::error_code ec;
    const auto address = asio::ip::make_address_v4(text, ec);
    return !ec && address.to_bytes()[0] == 127;
}

std::string usageText()
{
    return "usage: kapsorel-sim --help | --version\n"
           "       kapsorel-sim [--power ADDR] [--measure ADDR] [--tcp-port N] [--udp-port N]\n"
           "                    [--control ADDR:PORT] [--tftp-port N] [--chemistry nicd|pb] [--cells N] [--capacity "
           "AH]\n"
           "                    [--charge FRACTION] [--weak-cell K] [--time-scale X]\n";
}

ParsedOptions parseOptions(const std::vector<std::string>& args)
{
    ParsedOptions result;
    SimOptions& o = result.options;
    bool cellsGiven = false;
    auto fail = [&](std::string message) {
        result.error = std::move(message);
        return result;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            result.help = true;
            return result;
        }
        if (name == "--version" || name == "-V") {
            result.version = true;
            return result;
        }
        if (i + 1 >= args.size())
            return fail("kapsorel-sim: option " + name + " needs a value\n" + usageText());
        const std::string& value = args[++i];
        long long n = 0;
        double x = 0;
        if (name == "--power" || name == "--measure") {
            if (auto e = checkLoopback(name, value, value); !e.empty())
                return fail(e);
            (name == "--power" ? o.powerAddress : o.measureAddress) = value;
        } else if (name == "--tcp-port" || name == "--udp-port") {
            if (!parseInt(value, 1, 65535, n))
                return fail("kapsorel-sim: " + name + " needs a port 1..65535, not " + value);
            (name == "--tcp-port" ? o.tcpPort : o.udpPort) = static_cast<std::uint16_t>(n);
        } else if (name == "--tftp-port") {
            if (!parseInt(value, 0, 65535, n))
                return fail("kapsorel-sim: --tftp-port needs a port 0..65535 (0 = none), not " + value);
            o.tftpPort = static_cast<std::uint16_t>(n);
            o.tftpPortGiven = true;
        } else if (name == "--control") {
            const auto colon = value.rfind(':');
            if (colon == std::string::npos || !parseInt(value.substr(colon + 1), 0, 65535, n))
                return fail("kapsorel-sim: --control needs ADDR:PORT, not " + value);
            const std::string address = value.substr(0, colon);
            if (auto e = checkLoopback(name, address, value); !e.empty())
                return fail(e);
            o.controlAddress = address;
            o.controlPort = static_cast<std::uint16_t>(n);
        } else if (name == "--chemistry") {
            if (value == "nicd")
                o.battery.chemistry = Chemistry::NiCd;
            else if (value == "pb")
                o.battery.chemistry = Chemistry::Pb;
            else
                return fail("kapsorel-sim: --chemistry is nicd or pb, not " + value);
        } else if (name == "--cells") {
            if (!parseInt(value, 1, 20, n))
                return fail("kapsorel-sim: --cells needs 1..20, not " + value);
            o.battery.cells = static_cast<int>(n);
            cellsGiven = true;
        } else if (name == "--capacity") {
            if (!parseDouble(value, x) || !(x > 0 && x <= 10000))
                return fail("kapsorel-sim: --capacity needs ampere-hours above 0, not " + value);
            o.battery.capacityAh = x;
        } else if (name == "--charge") {
            if (!parseDouble(value, x) || !(x >= 0 && x <= 1))
                return fail("kapsorel-sim: --charge needs a fraction 0..1, not " + value);
            o.battery.charge = x;
        } else if (name == "--weak-cell") {
            if (!parseInt(value, 0, 20, n))
                return fail("kapsorel-sim: --weak-cell needs a cell 1..20 (0 = none), not " + value);
            o.battery.weakCell = static_cast<int>(n);
        } else if (name == "--time-scale") {
            if (!parseDouble(value, x) || !(x > 0 && x <= 100000))
                return fail("kapsorel-sim: --time-scale needs a factor above 0, not " + value);
            o.timeScale = x;
        } else {
            return fail("kapsorel-sim: unknown option " + name + "\n" + usageText());
        }
    }
    if (!cellsGiven && o.battery.chemistry == Chemistry::Pb)
        o.battery.cells = 12;
    if (o.battery.weakCell > o.battery.cells)
        return fail("kapsorel-sim: --weak-cell " + std::to_string(o.battery.weakCell) + " is beyond the " +
                    std::to_string(o.battery.cells) + " cells");
    if (o.powerAddress == o.measureAddress)
        return fail("kapsorel-sim: --power and --measure need two different addresses");
    return result;
}

} // namespace kapsorel::sim
