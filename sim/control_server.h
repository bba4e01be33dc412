// The simulator's control interface: line-based text over TCP, one command per line and one
// reply line per command ("OK", "OK <value>" or "ERR <message>").
#pragma once

#include <asio.hpp>
#include <functional>
#include <string>

namespace kapsorel::sim {

struct ControlReply {
    std::string line;  // without the line end
    bool quit = false; // stop the simulator once the reply is sent
};

class ControlServer {
  public:
    using Executor = std::function<ControlReply(const std::string& line)>;

    ControlServer(asio::io_context& io, Executor execute);
    std::string listen(const asio::ip::address_v4& address, std::uint16_t port);
    std::uint16_t port() const { return port_; }

  private:
    class Session;
    void accept();

    asio::io_context& io_;
    Executor execute_;
    asio::ip::tcp::acceptor acceptor_;
    std::uint16_t port_ = 0;
};

} // namespace kapsorel::sim
