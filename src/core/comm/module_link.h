// The TCP command link to one module: its frame buffer (Frame_vyk / Frame_mer), its
// connection, the not-connected flag and the lock that one exchange holds from filling
// the frame to reading the answer.
#pragma once

#include "core/base/atomic_order.h"
#include "core/comm/asio_wait.h"
#include "core/comm/module_frame.h"
#include "core/comm/ports.h"

#include <asio.hpp>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kapsorel {

constexpr int kConnectLimitMs = 5000;
constexpr int kDefaultReadLimitMs = 5000;

enum class ExchangeOutcome {
    Answered,      // an answer is in the frame buffer
    NoAddress,     // no address configured: nothing sent, buffer unchanged
    NotConnected,  // connecting failed: parameter byte 1, not-connected flag 1
    WriteFailed,   // the request could not be sent: parameter byte 1
    ReadFailed,    // the connection broke or the module fell silent: parameter byte 1
    AnswerTooLong, // the answer's payload did not fit the buffer: read to its end, parameter byte 1
};

class ModuleLink;

// One use of a module's frame buffer and connection: it owns the module's lock from
// filling the frame until the answer has been read (one exchange or a series of them),
// and only through it can the frame be reached or an exchange be made. Messages for the
// user that exchanges produce meanwhile are delivered once it is released: a message sink
// that waits for another thread (the GUI thread) must never do so while that thread may
// be waiting for this lock.
class ModuleExchange {
  public:
    ~ModuleExchange();
    ModuleExchange(const ModuleExchange&) = delete;
    ModuleExchange& operator=(const ModuleExchange&) = delete;

    // The frame buffer (Frame_vyk / Frame_mer): fill the request, read the answer.
    ModuleFrame& frame();
    // One request/answer exchange of the frame (SendFrame_vyk / SendFrame_mer).
    // disconnectAfter 1 closes the connection after the answer; any other value keeps it.
    ExchangeOutcome exchange(std::uint8_t disconnectAfter);
    // Closes the connection while the lock is held: a series that stops halfway leaves no
    // connection open behind it.
    void close();
    // Releases the lock early and delivers the messages gathered under it.
    void release();

  private:
    friend class ModuleLink;
    explicit ModuleExchange(ModuleLink& link);

    ModuleLink& link_;
    std::unique_lock<std::mutex> lock_;
};

class ModuleLink {
  public:
    using MessageSink = std::function<void(const std::string&)>;

    explicit ModuleLink(std::string moduleName);
    ~ModuleLink();
    ModuleLink(const ModuleLink&) = delete;
    ModuleLink& operator=(const ModuleLink&) = delete;

    // Takes the module's lock (waiting for an exchange of another thread) for one use of
    // the frame and the connection.
    ModuleExchange begin() { return ModuleExchange(*this); }

    // Address and port used when the next exchange connects. Port 0 means 9760, which the
    // link then keeps as its port.
    void setEndpoint(const std::string& address, std::uint16_t tcpPort);
    std::string address() const;
    std::uint16_t tcpPort() const;
    // The module's UDP status port, used by its poller.
    void setUdpPort(std::uint16_t port);
    std::uint16_t udpPort() const;

    std::uint8_t notConnected() const { return notConnected_.load(kRelaxed); }
    bool connected() const;
    void disconnect();

    // Where messages for the user go ("IP adr", connection errors). Called on the thread
    // that ran the exchange, after it has released the lock.
    void setMessageSink(MessageSink sink);
    void setReadLimitMs(int ms) { readLimitMs_.store(ms, kRelaxed); }

  private:
    friend class ModuleExchange;

    ExchangeOutcome exchange(std::uint8_t disconnectAfter);
    bool connect();
    // Runs one asynchronous read or write within the read limit; false on an error or
    // when the limit passed (the connection is then closed).
    template <class Start> bool transfer(Start start);
    bool writeAll(std::size_t size);
    bool readExact(std::uint8_t* into, std::size_t size);
    // Keeps a message for the user until the lock is released.
    void fail(const std::string& message);
    void deliver(const std::vector<std::string>& messages) const;
    // Closes the connection, marks the answer failed (status 1) and reports the message.
    ExchangeOutcome failExchange(ExchangeOutcome outcome, const std::string& message);

    const std::string moduleName_;
    std::mutex mutex_;
    ModuleFrame frame_;
    std::vector<std::string> pendingMessages_; // guarded by mutex_
    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    std::atomic<std::uint8_t> notConnected_{0};
    std::atomic<int> readLimitMs_{kDefaultReadLimitMs};

    mutable std::mutex configMutex_;
    std::string address_;
    std::uint16_t tcpPort_ = kDefaultTcpPort;
    std::uint16_t udpPort_ = kDefaultUdpPort;
    MessageSink sink_;
};

} // namespace kapsorel
