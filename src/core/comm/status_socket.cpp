#include "core/comm/status_socket.h"

#include "core/comm/asio_wait.h"

#include <algorithm>
#include <chrono>

namespace kapsorel {

StatusSocket::StatusSocket() = default;

StatusSocket::~StatusSocket()
{
    release();
}

void StatusSocket::release()
{
    if (socket_) {
        asio::error_code ec;
        socket_->close(ec);
        drain(io_);
        socket_.reset();
    }
}

void StatusSocket::discardWaiting()
{
    asio::error_code ec;
    asio::ip::udp::endpoint sender;
    // The socket is non-blocking: this ends with would_block once nothing is left.
    while (!ec)
        socket_->receive_from(asio::buffer(incoming_), sender, 0, ec);
}

PollOutcome StatusSocket::poll(const std::string& address, std::uint16_t port, const std::uint8_t* request,
                               std::size_t requestSize, std::array<std::uint8_t, kStatusBufferSize>& buffer,
                               std::size_t& received, int limitMs)
{
    using clock = std::chrono::steady_clock;
    received = 0;
    asio::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec || !ip.is_v4())
        return PollOutcome::Failed;
    const asio::ip::udp::endpoint target(ip, port);
    if (!socket_) {
        socket_.emplace(io_);
        socket_->open(asio::ip::udp::v4(), ec);
        if (!ec)
            socket_->non_blocking(true, ec);
        if (ec) {
            socket_.reset();
            return PollOutcome::Failed;
        }
    }
    discardWaiting();
    socket_->send_to(asio::buffer(request, requestSize), target, 0, ec);
    if (ec)
        return PollOutcome::Failed;

    const auto deadline = clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now()).count();
        if (left <= 0)
            return PollOutcome::TimedOut;
        bool done = false;
        asio::error_code result;
        std::size_t got = 0;
        asio::ip::udp::endpoint sender;
        socket_->async_receive_from(asio::buffer(incoming_), sender, [&](const asio::error_code& e, std::size_t n) {
            result = e;
            got = n;
            done = true;
        });
        if (!runUntil(io_, done, static_cast<int>(left))) {
            socket_->cancel(ec);
            drain(io_);
            return PollOutcome::TimedOut;
        }
        if (result)
            return PollOutcome::Failed;
        if (sender != target)
            continue; // not the polled module: keep waiting for its answer
        std::copy_n(incoming_.begin(), got, buffer.begin());
        received = got;
        return PollOutcome::Answered;
    }
}

} // namespace kapsorel
