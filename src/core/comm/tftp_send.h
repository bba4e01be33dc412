// The program's TFTP client `TTFTPSend`: writes one in-memory image to a TFTP server (RFC 1350,
// write request, data blocks of 512 bytes) and reports its steps as log lines and progress.
// Used for the power module's firmware upload; runs on a worker thread and can be cancelled.
#pragma once

#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

constexpr std::uint16_t kTftpPort = 69;
constexpr int kTftpRequestAttempts = 21;      // numbered 0 to 20
constexpr int kTftpReceivesPerAck = 11;       // receive limits one acknowledgement is waited for, in all
constexpr std::uint16_t kTftpRefusedCode = 7; // the module refuses the write request

struct TftpTimings {
    int requestReceiveMs = 500; // one receive in the write request phase
    int requestPauseMs = 500;   // pause before the next write request
    int dataReceiveMs = 2000;   // quiet on the transfer port after which a data block is sent again
};

// What a transfer reports while it runs (called on the sending thread).
class TftpSendEvents {
  public:
    virtual ~TftpSendEvents() = default;
    virtual void log(const std::string& line) = 0;
    // The progress bar is shown while data blocks are sent.
    virtual void progressShown(bool shown) = 0;
    virtual void progress(int percent) = 0;
};

class TTFTPSend {
  public:
    TTFTPSend();
    ~TTFTPSend();
    TTFTPSend(const TTFTPSend&) = delete;
    TTFTPSend& operator=(const TTFTPSend&) = delete;

    std::string targetHost; // an IPv4 address
    std::uint16_t targetPort = kTftpPort;
    TftpTimings timings;
    std::vector<std::uint8_t> data; // the image to send

    // Sends `data` with a write request for `fileName` in `mode`. True when the last block
    // was acknowledged. On failure errorCode()/errorText() hold the last error packet's
    // code and text (0 and empty when none came), and cancelled() tells whether `cancel`
    // ended it. Acknowledgements and errors count only from the server's transfer port,
    // the port its first answer came from; datagrams from anywhere else are passed over
    // without shortening the wait. A data block is sent again after dataReceiveMs without
    // its acknowledgement, and given up after kTftpReceivesPerAck times that.
    bool sendFile(const std::string& fileName, const std::string& mode, TftpSendEvents& events,
                  const std::atomic<bool>& cancel);

    std::uint16_t errorCode() const { return errorCode_; }
    const std::string& errorText() const { return errorText_; }
    bool cancelled() const { return cancelled_; }

  private:
    enum class Receive { Packet, Nothing, Cancelled };
    enum class Wait { Acknowledged, Failed, Cancelled };

    bool openSocket();
    void closeSocket();
    bool requestPhase(const std::string& fileName, const std::string& mode, TftpSendEvents& events,
                      const std::atomic<bool>& cancel);
    bool dataPhase(TftpSendEvents& events, const std::atomic<bool>& cancel);
    Wait sendAndWait(std::uint16_t block, std::span<const std::uint8_t> bytes, const std::atomic<bool>& cancel);
    Receive receive(int limitMs, const std::atomic<bool>& cancel);
    bool pause(int ms, const std::atomic<bool>& cancel);
    // Takes the error code and text of the received error packet.
    void takeError();
    void sendCancel();

    asio::io_context io_;
    std::optional<asio::ip::udp::socket> socket_;
    asio::ip::udp::endpoint target_;
    asio::ip::udp::endpoint server_; // the server's transfer port, from its first answer
    asio::ip::udp::endpoint from_;
    std::vector<std::uint8_t> incoming_;
    std::size_t received_ = 0;
    std::uint16_t errorCode_ = 0;
    std::string errorText_;
    bool cancelled_ = false;
};

} // namespace kapsorel
