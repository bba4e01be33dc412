#include "module_server.h"

#include <algorithm>
#include <chrono>

namespace kapsorel::sim {

class ModuleServer::Session : public std::enable_shared_from_this<ModuleServer::Session> {
  public:
    Session(ModuleServer& server, asio::ip::tcp::socket socket)
        : server_(server), socket_(std::move(socket)), timer_(server.io_)
    {
    }

    // Handles every complete frame in the buffer, one at a time, then reads more.
    void next()
    {
        const auto size = completeFrameSize(pending_);
        if (!size) {
            read();
            return;
        }
        std::vector<std::uint8_t> frame(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*size));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(*size));
        server_.frames_.push_back(frame);
        const ModuleFaults& faults = server_.faults_;
        if (faults.hangUp) {
            asio::error_code ignored;
            socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
            socket_.close(ignored);
            return;
        }
        if (faults.silent) {
            next();
            return;
        }
        auto answer = std::make_shared<std::vector<std::uint8_t>>(server_.answerBytes(frame));
        const bool closeAfter = faults.truncate;
        if (faults.delayMs > 0) {
            timer_.expires_after(std::chrono::milliseconds(faults.delayMs));
            timer_.async_wait([self = shared_from_this(), answer, closeAfter](const asio::error_code& ec) {
                if (!ec)
                    self->write(answer, closeAfter);
            });
            return;
        }
        write(answer, closeAfter);
    }

  private:
    void read()
    {
        socket_.async_read_some(asio::buffer(chunk_),
                                [self = shared_from_this()](const asio::error_code& ec, std::size_t n) {
                                    if (ec)
                                        return;
                                    self->pending_.insert(self->pending_.end(), self->chunk_.begin(),
                                                          self->chunk_.begin() + static_cast<std::ptrdiff_t>(n));
                                    self->next();
                                });
    }

    void write(const std::shared_ptr<std::vector<std::uint8_t>>& answer, bool closeAfter)
    {
        asio::async_write(socket_, asio::buffer(*answer),
                          [self = shared_from_this(), answer, closeAfter](const asio::error_code& ec, std::size_t) {
                              if (closeAfter) {
                                  asio::error_code ignored;
                                  self->socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
                                  self->socket_.close(ignored);
                              } else if (!ec) {
                                  self->next();
                              }
                          });
    }

    ModuleServer& server_;
    asio::ip::tcp::socket socket_;
    asio::steady_timer timer_;
    std::array<std::uint8_t, 4096> chunk_{};
    std::vector<std::uint8_t> pending_;
};

ModuleServer::ModuleServer(asio::io_context& io, ModuleHandler& handler)
    : io_(io), handler_(handler), acceptor_(io), udp_(io)
{
}

std::string ModuleServer::listen(const asio::ip::address_v4& address, std::uint16_t tcpPort, std::uint16_t udpPort)
{
    asio::error_code ec;
    const asio::ip::tcp::endpoint tcpEnd(address, tcpPort);
    acceptor_.open(tcpEnd.protocol(), ec);
    if (!ec)
        acceptor_.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor_.bind(tcpEnd, ec);
    if (!ec)
        acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
        return "TCP " + address.to_string() + ":" + std::to_string(tcpPort) + ": " + ec.message();
    const asio::ip::udp::endpoint udpEnd(address, udpPort);
    udp_.open(udpEnd.protocol(), ec);
    if (!ec)
        udp_.bind(udpEnd, ec);
    if (ec)
        return "UDP " + address.to_string() + ":" + std::to_string(udpPort) + ": " + ec.message();
    accept();
    receiveStatusRequest();
    return {};
}

void ModuleServer::accept()
{
    acceptor_.async_accept([this](const asio::error_code& ec, asio::ip::tcp::socket socket) {
        if (ec == asio::error::operation_aborted)
            return;
        if (!ec) {
            ++connections_;
            asio::error_code ignored;
            socket.set_option(asio::ip::tcp::no_delay(true), ignored);
            std::make_shared<Session>(*this, std::move(socket))->next();
        }
        accept();
    });
}

void ModuleServer::receiveStatusRequest()
{
    udp_.async_receive_from(asio::buffer(udpBuffer_), udpPeer_, [this](const asio::error_code& ec, std::size_t n) {
        if (ec == asio::error::operation_aborted)
            return;
        const bool isStatusRequest = !ec && n >= kFrameHeaderSize && udpBuffer_[0] == kFrameStart &&
                                     udpBuffer_[1] == 'M' && udpBuffer_[2] == 'S' && udpBuffer_[4] == 0 &&
                                     udpBuffer_[5] == 0;
        if (isStatusRequest) {
            ++statusRequests_;
            if (!faults_.dropStatus) {
                const ModuleFrame status = handler_.status();
                auto datagram = std::make_shared<std::vector<std::uint8_t>>(
                    status.bytes.begin(), status.bytes.begin() + static_cast<std::ptrdiff_t>(status.wireSize()));
                udp_.async_send_to(asio::buffer(*datagram), udpPeer_,
                                   [datagram](const asio::error_code&, std::size_t) {});
            }
        }
        receiveStatusRequest();
    });
}

std::vector<std::uint8_t> ModuleServer::answerBytes(const std::vector<std::uint8_t>& request)
{
    const std::span<const std::uint8_t> bytes(request);
    const FrameHeader header = parseFrameHeader(bytes.first<kFrameHeaderSize>());
    const ModuleFrame answer = handler_.answer(header, bytes.subspan(kFrameHeaderSize));
    std::vector<std::uint8_t> out(answer.bytes.begin(),
                                  answer.bytes.begin() + static_cast<std::ptrdiff_t>(answer.wireSize()));
    const int key = (static_cast<unsigned char>(header.group) << 8) | static_cast<unsigned char>(header.command);
    if (const auto forced = faults_.answerStatus.find(key); forced != faults_.answerStatus.end()) {
        out[3] = forced->second.status;
        if (forced->second.empty) {
            out.resize(kFrameHeaderSize);
            out[4] = 0;
            out[5] = 0;
        }
    }
    if (faults_.truncate) {
        // The header announces a payload (at least 4 bytes) of which only half is sent.
        const std::size_t announced = std::max<std::size_t>(out.size() - kFrameHeaderSize, 4);
        out.resize(kFrameHeaderSize + announced, 0);
        out[4] = static_cast<std::uint8_t>(announced & 0xFF);
        out[5] = static_cast<std::uint8_t>(announced >> 8);
        out.resize(kFrameHeaderSize + announced / 2);
    } else if (faults_.oversize) {
        out.resize(kFrameHeaderSize + kOversizePayload, 0xA5);
        out[4] = static_cast<std::uint8_t>(kOversizePayload & 0xFF);
        out[5] = static_cast<std::uint8_t>(kOversizePayload >> 8);
    }
    return out;
}

} // namespace kapsorel::sim
