// Plain blocking socket clients with time limits, for talking to kapsorel-sim in its tests.
#pragma once

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace kapsorel::test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

inline Bytes makeFrame(char group, char command, std::uint8_t param, const Bytes& payload = {})
{
    Bytes f{'#',
            static_cast<std::uint8_t>(group),
            static_cast<std::uint8_t>(command),
            param,
            static_cast<std::uint8_t>(payload.size() & 0xFF),
            static_cast<std::uint8_t>(payload.size() >> 8)};
    f.insert(f.end(), payload.begin(), payload.end());
    return f;
}

inline void appendSingle(Bytes& b, float v)
{
    std::uint32_t u = 0;
    static_assert(sizeof u == sizeof v);
    std::memcpy(&u, &v, sizeof v);
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

inline void appendU16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline sockaddr_in endpoint(const std::string& address, std::uint16_t port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1)
        throw std::runtime_error("bad address " + address);
    return a;
}

inline bool waitReadable(int fd, std::chrono::milliseconds limit)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, static_cast<int>(limit.count())) > 0;
}

class TcpClient {
  public:
    TcpClient(const std::string& address, std::uint16_t port)
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in a = endpoint(address, port);
        if (fd_ < 0 || connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0)
            throw std::runtime_error("cannot connect to " + address + ":" + std::to_string(port));
        int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~TcpClient()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    void send(const Bytes& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                throw std::runtime_error("send failed");
            sent += static_cast<std::size_t>(n);
        }
    }

    // Exactly n bytes, or nothing when they do not all arrive within the limit or the peer closes.
    std::optional<Bytes> read(std::size_t n, std::chrono::milliseconds limit = 3000ms)
    {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (out.size() < n) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !waitReadable(fd_, left))
                return std::nullopt;
            std::uint8_t chunk[1024];
            const ssize_t got = recv(fd_, chunk, std::min(sizeof chunk, n - out.size()), 0);
            if (got <= 0)
                return std::nullopt;
            out.insert(out.end(), chunk, chunk + got);
        }
        return out;
    }

    // One whole answer frame: the header and as many payload bytes as it announces.
    std::optional<Bytes> readFrame(std::chrono::milliseconds limit = 3000ms)
    {
        auto header = read(6, limit);
        if (!header)
            return std::nullopt;
        const std::size_t n = (*header)[4] | ((*header)[5] << 8);
        if (n == 0)
            return header;
        auto payload = read(n, limit);
        if (!payload)
            return std::nullopt;
        header->insert(header->end(), payload->begin(), payload->end());
        return header;
    }

    Bytes exchange(const Bytes& request)
    {
        send(request);
        auto answer = readFrame();
        if (!answer)
            throw std::runtime_error("no answer frame");
        return *answer;
    }

    // True when the peer closes the connection within the limit (no data expected).
    bool closedByPeer(std::chrono::milliseconds limit)
    {
        if (!waitReadable(fd_, limit))
            return false;
        std::uint8_t b;
        return recv(fd_, &b, 1, 0) == 0;
    }

    // True when nothing at all arrives within the limit.
    bool quietFor(std::chrono::milliseconds limit) { return !waitReadable(fd_, limit); }

  private:
    int fd_ = -1;
};

class UdpClient {
  public:
    UdpClient() { fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); }
    ~UdpClient() { close(fd_); }
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    void send(const std::string& address, std::uint16_t port, const Bytes& datagram)
    {
        const sockaddr_in a = endpoint(address, port);
        sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    }

    // One datagram within the limit; its sender goes into *from when given.
    std::optional<Bytes> receive(std::chrono::milliseconds limit = 1000ms, sockaddr_in* from = nullptr)
    {
        if (!waitReadable(fd_, limit))
            return std::nullopt;
        std::uint8_t buf[1024];
        sockaddr_in sender{};
        socklen_t length = sizeof sender;
        const ssize_t n = recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&sender), &length);
        if (from)
            *from = sender;
        if (n < 0)
            return std::nullopt;
        return Bytes(buf, buf + n);
    }

    std::optional<Bytes> status(const std::string& address, std::uint16_t port,
                                std::chrono::milliseconds limit = 1000ms)
    {
        send(address, port, makeFrame('M', 'S', 0));
        return receive(limit);
    }

  private:
    int fd_ = -1;
};

} // namespace kapsorel::test
