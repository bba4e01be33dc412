#include "tftp_server.h"

#include <chrono>
#include <memory>

namespace kapsorel::sim {

namespace {

constexpr std::uint16_t kWriteRequest = 2;
constexpr std::uint16_t kData = 3;
constexpr std::uint16_t kAck = 4;
constexpr std::uint16_t kError = 5;
constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kMaxImage = 16 * 1024 * 1024;
constexpr auto kIdleLimit = std::chrono::seconds(30);
constexpr auto kDally = std::chrono::seconds(3);

std::uint16_t be16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::vector<std::uint8_t> ackPacket(std::uint16_t block)
{
    return {0, kAck, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block)};
}

std::vector<std::uint8_t> errorPacket(std::uint16_t code, const std::string& text)
{
    std::vector<std::uint8_t> p;
    p.reserve(5 + text.size());
    p.push_back(0);
    p.push_back(kError);
    p.push_back(static_cast<std::uint8_t>(code >> 8));
    p.push_back(static_cast<std::uint8_t>(code));
    for (char c : text)
        p.push_back(static_cast<std::uint8_t>(c));
    p.push_back(0);
    return p;
}

// A write request: opcode, then the file name and the mode, each ended by a zero byte.
bool validWriteRequest(const std::uint8_t* p, std::size_t n)
{
    if (n < 4 || be16(p) != kWriteRequest)
        return false;
    int zeros = 0;
    for (std::size_t i = 2; i < n; ++i)
        zeros += p[i] == 0;
    return zeros >= 2;
}

} // namespace

// One write transfer on its own port (the server's transfer identifier).
class TftpServer::Transfer : public std::enable_shared_from_this<TftpServer::Transfer> {
  public:
    Transfer(TftpServer& server, asio::ip::udp::endpoint client)
        : server_(server), socket_(server.io_), timer_(server.io_), client_(client)
    {
    }

    std::string open()
    {
        asio::error_code ec;
        socket_.open(asio::ip::udp::v4(), ec);
        if (!ec)
            socket_.bind(asio::ip::udp::endpoint(server_.address_, 0), ec);
        return ec ? ec.message() : std::string{};
    }

    void start()
    {
        send(ackPacket(0));
        receive();
        armIdle(kIdleLimit);
    }

  private:
    void send(std::vector<std::uint8_t> packet)
    {
        auto data = std::make_shared<std::vector<std::uint8_t>>(std::move(packet));
        socket_.async_send_to(asio::buffer(*data), client_,
                              [self = shared_from_this(), data](const asio::error_code&, std::size_t) {});
    }

    void armIdle(std::chrono::steady_clock::duration limit)
    {
        timer_.expires_after(limit);
        timer_.async_wait([self = shared_from_this()](const asio::error_code& ec) {
            if (!ec) {
                asio::error_code ignored;
                self->socket_.close(ignored);
            }
        });
    }

    void receive()
    {
        socket_.async_receive_from(asio::buffer(buffer_), from_,
                                   [self = shared_from_this()](const asio::error_code& ec, std::size_t n) {
                                       if (ec == asio::error::operation_aborted || ec == asio::error::bad_descriptor)
                                           return;
                                       if (!ec)
                                           self->handle(n);
                                       if (self->socket_.is_open())
                                           self->receive();
                                   });
    }

    void handle(std::size_t n)
    {
        if (from_ != client_ || n < 4 || be16(buffer_.data()) != kData)
            return;
        ++server_.dataPackets_;
        if (server_.faults_.silentData)
            return;
        const std::uint16_t block = be16(buffer_.data() + 2);
        const std::size_t size = n - 4;
        if (done_ || block != expected_) {
            // A repeated block: its acknowledgement was lost, so it is sent again.
            if (block == static_cast<std::uint16_t>(expected_ - 1))
                send(ackPacket(block));
            return;
        }
        if (size > kBlockSize || image_.size() + size > kMaxImage) {
            send(errorPacket(3, "Image too large"));
            socket_.close();
            return;
        }
        image_.insert(image_.end(), buffer_.begin() + 4, buffer_.begin() + static_cast<std::ptrdiff_t>(n));
        ++expected_;
        TftpFaults& faults = server_.faults_;
        if (faults.errorBlock != 0 && faults.errorBlock == block) {
            send(errorPacket(faults.errorCode, "Write failed"));
            armIdle(kDally);
            done_ = true;
            return;
        }
        if (faults.strayAck != 0 && faults.strayAck == block) {
            // Looks like this block's acknowledgement, but comes from the server's request port.
            server_.sendFromMain(ackPacket(block), client_);
            return;
        }
        // Datagrams from elsewhere than the transfer port: a look-alike acknowledgement and junk.
        for (std::uint16_t i = 0; i < faults.foreign; ++i)
            server_.sendFromMain(i % 2 == 0 ? ackPacket(block) : std::vector<std::uint8_t>{0xFF, 0x00}, client_);
        if (faults.duplicateAcks)
            send(ackPacket(static_cast<std::uint16_t>(block - 1)));
        if (faults.dropAck == block)
            faults.dropAck = 0;
        else
            send(ackPacket(block));
        if (size < kBlockSize) {
            done_ = true;
            server_.lastImage_ = std::move(image_);
            server_.lastBlocks_ = block;
            ++server_.transfers_;
            armIdle(kDally); // stays a little to acknowledge a repeated last block
        } else {
            armIdle(kIdleLimit);
        }
    }

    TftpServer& server_;
    asio::ip::udp::socket socket_;
    asio::steady_timer timer_;
    asio::ip::udp::endpoint client_;
    asio::ip::udp::endpoint from_;
    std::array<std::uint8_t, 4 + kBlockSize + 64> buffer_{};
    std::vector<std::uint8_t> image_;
    std::uint16_t expected_ = 1;
    bool done_ = false;
};

TftpServer::TftpServer(asio::io_context& io) : io_(io), socket_(io) {}

std::string TftpServer::listen(const asio::ip::address_v4& address, std::uint16_t port)
{
    address_ = address;
    asio::error_code ec;
    const asio::ip::udp::endpoint end(address, port);
    socket_.open(end.protocol(), ec);
    if (!ec)
        socket_.bind(end, ec);
    if (ec)
        return "TFTP " + address.to_string() + ":" + std::to_string(port) + ": " + ec.message();
    receiveRequest();
    return {};
}

void TftpServer::sendFromMain(std::vector<std::uint8_t> packet, const asio::ip::udp::endpoint& to)
{
    auto data = std::make_shared<std::vector<std::uint8_t>>(std::move(packet));
    socket_.async_send_to(asio::buffer(*data), to, [data](const asio::error_code&, std::size_t) {});
}

void TftpServer::receiveRequest()
{
    socket_.async_receive_from(asio::buffer(buffer_), peer_, [this](const asio::error_code& ec, std::size_t n) {
        if (ec == asio::error::operation_aborted)
            return;
        if (!ec && n >= 2) {
            if (!validWriteRequest(buffer_.data(), n)) {
                sendFromMain(errorPacket(4, "Illegal TFTP operation"), peer_);
            } else {
                ++requests_;
                if (faults_.refuse) {
                    sendFromMain(errorPacket(kRefusedCode, "Access refused"), peer_);
                } else if (faults_.requestError != 0) {
                    sendFromMain(errorPacket(faults_.requestError, "Request failed"), peer_);
                } else if (!faults_.silent) {
                    auto transfer = std::make_shared<Transfer>(*this, peer_);
                    if (const std::string error = transfer->open(); error.empty())
                        transfer->start();
                    else
                        sendFromMain(errorPacket(0, error), peer_);
                }
            }
        }
        receiveRequest();
    });
}

} // namespace kapsorel::sim
