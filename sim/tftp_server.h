// The power module's firmware upload receiver: a TFTP server (RFC 1350, write requests only)
// that keeps the last image received, with injectable refusal, silence and lost or doubled
// acknowledgements, error packets of any code in either phase and acknowledgements from a
// foreign port.
#pragma once

#include <array>
#include <asio.hpp>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel::sim {

struct TftpFaults {
    bool refuse = false;            // write requests get error packet 7
    std::uint16_t requestError = 0; // write requests get an error packet with this code (0 = none)
    bool silent = false;            // write requests get no answer at all
    bool duplicateAcks = false;     // each data acknowledgement is preceded by the previous block's
    std::uint16_t dropAck = 0;      // the acknowledgement of this data block is not sent (once; 0 = none)
    std::uint16_t errorBlock = 0;   // this data block is answered by an error packet (0 = none)
    std::uint16_t errorCode = 0;    // ... with this code, and the transfer ends
    std::uint16_t strayAck = 0;     // this block's acknowledgement comes from the request port instead
    std::uint16_t foreign = 0;      // before each data acknowledgement, this many datagrams from the request port
    bool silentData = false;        // data packets are never acknowledged (the module went quiet)
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
    // Data blocks of the last completed transfer, counting its final short or empty block.
    std::size_t lastBlocks() const { return lastBlocks_; }
    // Data packets received from clients on their transfer ports, repeated ones included.
    std::size_t dataPackets() const { return dataPackets_; }

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
    std::size_t lastBlocks_ = 0;
    std::size_t dataPackets_ = 0;
};

} // namespace kapsorel::sim
