#include "core/comm/status_socket.h"

#include "core/comm/asio_wait.h"

namespace kapsorel {

StatusSocket::StatusSocket() = default;

StatusSocket::~StatusSocket() { release(); }

void StatusSocket::release()
{
    if (socket_) {
        asio::error_code ec;
        socket_->close(ec);
        drain(io_);
        socket_.reset();
    }
}

PollOutcome StatusSocket::poll(const std::string& address, std::uint16_t port, const std::uint8_t* request,
                               std::size_t requestSize, std::array<std::uint8_t, kStatusBufferSize>& buffer,
                               std::size_t& received, int limitMs)
{
    received = 0;
    asio::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec || !ip.is_v4())
        return PollOutcome::Failed;
    const asio::ip::udp::endpoint target(ip, port);
    if (!socket_) {
        socket_.emplace(io_);
        socket_->open(asio::ip::udp::v4(), ec);
        if (ec) {
            socket_.reset();
            return PollOutcome::Failed;
        }
    }
    socket_->send_to(asio::buffer(request, requestSize), target, 0, ec);
    if (ec)
        return PollOutcome::Failed;

    bool done = false;
    asio::error_code result;
    std::size_t got = 0;
    asio::ip::udp::endpoint sender;
    socket_->async_receive_from(asio::buffer(buffer), sender, [&](const asio::error_code& e, std::size_t n) {
        result = e;
        got = n;
        done = true;
    });
    if (!runUntil(io_, done, limitMs)) {
        socket_->cancel(ec);
        drain(io_);
        return PollOutcome::TimedOut;
    }
    if (result)
        return PollOutcome::Failed;
    received = got;
    return PollOutcome::Answered;
}

}  // namespace kapsorel
