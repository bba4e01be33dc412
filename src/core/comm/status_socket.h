// The UDP status exchange of a poller: send the 6-byte status request, wait at most
// 1000 ms for one datagram of up to 128 bytes from the polled module into the poller's
// own buffer.
#pragma once

#include "core/comm/status_buffer.h"

#include <array>
#include <asio.hpp>
#include <cstdint>
#include <optional>
#include <string>

namespace kapsorel {

constexpr int kStatusReceiveLimitMs = 1000;

enum class PollOutcome {
    Answered, // a datagram arrived (any length)
    TimedOut, // nothing within the limit
    Failed,   // sending or receiving failed with another error (bad address, network down)
};

class StatusSocket {
  public:
    StatusSocket();
    ~StatusSocket();
    StatusSocket(const StatusSocket&) = delete;
    StatusSocket& operator=(const StatusSocket&) = delete;

    // Sends `request` (header + payload) to address:port and receives one datagram into
    // `buffer`; a short datagram leaves the buffer's older bytes in place. Only a datagram
    // from address:port that arrives after the request counts: whatever was waiting on the
    // socket before (a late answer to an earlier poll) is dropped unread, and datagrams
    // from anyone else are ignored without touching `buffer`.
    PollOutcome poll(const std::string& address, std::uint16_t port, const std::uint8_t* request,
                     std::size_t requestSize, std::array<std::uint8_t, kStatusBufferSize>& buffer,
                     std::size_t& received, int limitMs = kStatusReceiveLimitMs);

    // Discards the socket; the next poll opens a new one.
    void release();

  private:
    // Drops the datagrams already waiting on the socket.
    void discardWaiting();

    asio::io_context io_;
    std::optional<asio::ip::udp::socket> socket_;
    std::array<std::uint8_t, kStatusBufferSize> incoming_{};
};

} // namespace kapsorel
