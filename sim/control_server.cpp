#include "control_server.h"

#include <memory>

namespace kapsorel::sim {

namespace {
constexpr std::size_t kMaxLine = 4096;
}

class ControlServer::Session : public std::enable_shared_from_this<ControlServer::Session> {
  public:
    Session(ControlServer& server, asio::ip::tcp::socket socket)
        : server_(server), socket_(std::move(socket)), input_(kMaxLine)
    {
    }

    void readLine()
    {
        asio::async_read_until(
            socket_, input_, '\n', [self = shared_from_this()](const asio::error_code& ec, std::size_t n) {
                if (ec)
                    return;
                std::string line(asio::buffers_begin(self->input_.data()),
                                 asio::buffers_begin(self->input_.data()) + static_cast<std::ptrdiff_t>(n - 1));
                self->input_.consume(n);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                self->reply(self->server_.execute_(line));
            });
    }

  private:
    void reply(ControlReply r)
    {
        auto text = std::make_shared<std::string>(r.line + "\n");
        asio::async_write(socket_, asio::buffer(*text),
                          [self = shared_from_this(), text, quit = r.quit](const asio::error_code& ec, std::size_t) {
                              if (quit) {
                                  self->server_.io_.stop();
                                  return;
                              }
                              if (!ec)
                                  self->readLine();
                          });
    }

    ControlServer& server_;
    asio::ip::tcp::socket socket_;
    asio::streambuf input_;
};

ControlServer::ControlServer(asio::io_context& io, Executor execute)
    : io_(io), execute_(std::move(execute)), acceptor_(io)
{
}

std::string ControlServer::listen(const asio::ip::address_v4& address, std::uint16_t port)
{
    asio::error_code ec;
    const asio::ip::tcp::endpoint end(address, port);
    acceptor_.open(end.protocol(), ec);
    if (!ec)
        acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor_.bind(end, ec);
    if (!ec)
        acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
        return address.to_string() + ":" + std::to_string(port) + ": " + ec.message();
    port_ = acceptor_.local_endpoint().port();
    accept();
    return {};
}

void ControlServer::accept()
{
    acceptor_.async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
        if (ec == asio::error::operation_aborted)
            return;
        if (!ec)
            std::make_shared<Session>(*this, std::move(socket))->readLine();
        accept();
    });
}

} // namespace kapsorel::sim
