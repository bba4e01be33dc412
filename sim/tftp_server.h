// The power module's firmware upload receiver: a TFTP server (RFC 1350, write requests only)
// that keeps the last image received, with injectable refusal, silence and lost or doubled
// acknowledgements.
#pragma once

#include <array>
#include <asio.hpp>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel::sim {

struct TftpFaults {
    bool refuse = false;        // write requests get error packet 7
    bool silent = false;        // write requests get no answer at all
    bool duplicateAcks = false; // each data acknowledgement is preceded by the previous block's
    std::uint16_t dropAck = 0;  // the acknowledgement of this data block is not sent (once; 0 = none)
};

class TftpServer {
  public:
    static constexpr std::uint8_t kRefusedCode = 7;

    explicit TftpServer(asio::io_context& io);
    TftpServer(const TftpServer&) = delete;
    TftpServer& operator=(const TftpServer&) = delete;

    std::string listen(const asio::ip::address_v4& address, std::uint16_t port);

    TftpFaults& faults() { return faults_; }
    const std::vector<std::uint8_t>& lastImage() const { return lastImage_; }
    std::size_t requests() const { return requests_; }
    std::size_t transfers() const { return transfers_; }

  private:
    class Transfer;

    void receiveRequest();
    void sendFromMain(std::vector<std::uint8_t> packet, const asio::ip::udp::endpoint& to);

    asio::io_context& io_;
    asio::ip::address_v4 address_;
    asio::ip::udp::socket socket_;
    asio::ip::udp::endpoint peer_;
    std::array<std::uint8_t, 1024> buffer_{};
    TftpFaults faults_;
    std::vector<std::uint8_t> lastImage_;
    std::size_t requests_ = 0;
    std::size_t transfers_ = 0;
};

} // namespace kapsorel::sim
