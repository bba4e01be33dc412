#include "simulator.h"

#include "control_commands.h"

#include <iostream>

namespace kapsorel::sim {

Simulator::Simulator(asio::io_context& io, const SimOptions& options)
    : io_(io), options_(options), battery_(options.battery),
      power_(battery_, powerFactoryMemory({options.powerAddress, options.udpPort})),
      measure_(battery_, measureFactoryMemory({options.measureAddress, options.udpPort})), powerServer_(io, power_),
      measureServer_(io, measure_),
      control_(io, [this](const std::string& line) { return executeControl(*this, line); }), tftp_(io), timer_(io)
{
}

std::string Simulator::start()
{
    const auto address = [](const std::string& text) { return asio::ip::make_address_v4(text); };
    if (auto e = powerServer_.listen(address(options_.powerAddress), options_.tcpPort, options_.udpPort); !e.empty())
        return "power module: " + e;
    if (auto e = measureServer_.listen(address(options_.measureAddress), options_.tcpPort, options_.udpPort);
        !e.empty())
        return "measurement module: " + e;
    if (auto e = control_.listen(address(options_.controlAddress), options_.controlPort); !e.empty())
        return "control: " + e;
    if (options_.tftpPort != 0) {
        if (auto e = tftp_.listen(address(options_.powerAddress), options_.tftpPort); e.empty())
            tftpPort_ = options_.tftpPort;
        else if (options_.tftpPortGiven)
            return "power module: " + e;
        else
            std::cerr << "kapsorel-sim: no firmware upload server: " << e << "\n";
    }
    lastTick_ = std::chrono::steady_clock::now();
    scheduleTick();
    return {};
}

void Simulator::stop()
{
    io_.stop();
}

void Simulator::scheduleTick()
{
    timer_.expires_after(kTick);
    timer_.async_wait([this](const asio::error_code& ec) {
        if (ec)
            return;
        const auto now = std::chrono::steady_clock::now();
        const auto elapsed = now - lastTick_;
        lastTick_ = now;
        battery_.step(std::chrono::duration<double>(elapsed).count() * options_.timeScale);
        sinceSecond_ += elapsed;
        while (sinceSecond_ >= std::chrono::seconds(1)) {
            sinceSecond_ -= std::chrono::seconds(1);
            power_.tickSecond();
        }
        scheduleTick();
    });
}

} // namespace kapsorel::sim
