// One simulated module on the network: its TCP command port (one answer frame per request
// frame, any number of connections) and its UDP status port, with the injectable faults
// and the record of received frames that the control interface reads.
#pragma once

#include "module_handler.h"

#include <asio.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kapsorel::sim {

struct ModuleFaults {
    bool dropStatus = false; // status datagrams are not answered
    bool silent = false;     // TCP requests are read and never answered
    bool oversize = false;   // TCP answers claim and carry a payload above the frame's capacity
    bool hangUp = false;     // the connection is closed on a request instead of answering
    bool truncate = false;   // answers are cut short after half their payload, then the connection closes
    int delayMs = 0;         // each TCP answer is held back this long
    // Answers to these commands (group letter << 8 | command letter) carry this status
    // instead of their own; their payload stays as the module made it unless `empty`.
    struct ForcedStatus {
        std::uint8_t status = 0;
        bool empty = false; // the answer carries no payload
    };
    std::map<int, ForcedStatus> answerStatus;
};

class ModuleServer {
  public:
    static constexpr std::uint16_t kOversizePayload = 300;

    ModuleServer(asio::io_context& io, ModuleHandler& handler);
    ModuleServer(const ModuleServer&) = delete;
    ModuleServer& operator=(const ModuleServer&) = delete;

    // Binds both ports on `address` and starts serving; a bind failure comes back as text.
    std::string listen(const asio::ip::address_v4& address, std::uint16_t tcpPort, std::uint16_t udpPort);

    ModuleFaults& faults() { return faults_; }
    const std::vector<std::vector<std::uint8_t>>& frames() const { return frames_; }
    void clearFrames() { frames_.clear(); }
    std::size_t connections() const { return connections_; }
    std::size_t statusRequests() const { return statusRequests_; }

  private:
    class Session;

    void accept();
    void receiveStatusRequest();
    // The bytes to send in answer to one request frame.
    std::vector<std::uint8_t> answerBytes(const std::vector<std::uint8_t>& request);

    asio::io_context& io_;
    ModuleHandler& handler_;
    asio::ip::tcp::acceptor acceptor_;
    asio::ip::udp::socket udp_;
    asio::ip::udp::endpoint udpPeer_;
    std::array<std::uint8_t, 512> udpBuffer_{};
    ModuleFaults faults_;
    std::vector<std::vector<std::uint8_t>> frames_;
    std::size_t connections_ = 0;
    std::size_t statusRequests_ = 0;
};

} // namespace kapsorel::sim
