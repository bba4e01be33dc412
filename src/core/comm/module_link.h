// The TCP command link to one module: its frame buffer (Frame_vyk / Frame_mer), its
// connection, the not-connected flag and the lock that one exchange holds from filling
// the frame to reading the answer.
#pragma once

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

// The module's lock, held from filling the frame until the answer has been read (one
// exchange or a series of them). Messages for the user that exchanges produce meanwhile
// are delivered only once it is released: a message sink that waits for another thread
// (the GUI thread) must never do so while that thread may be waiting for this lock.
class ExchangeLock {
  public:
    explicit ExchangeLock(ModuleLink& link);
    ~ExchangeLock();
    ExchangeLock(const ExchangeLock&) = delete;
    ExchangeLock& operator=(const ExchangeLock&) = delete;

    // Releases the lock early and delivers the messages gathered under it.
    void unlock();
    bool owns_lock() const { return lock_.owns_lock(); }

  private:
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

    // Held by the caller from filling the frame until it has read the answer.
    ExchangeLock lock() { return ExchangeLock(*this); }
    ModuleFrame& frame() { return frame_; }

    // One request/answer exchange of the frame buffer (SendFrame_vyk / SendFrame_mer).
    // disconnectAfter 1 closes the connection after the answer; any other value keeps it.
    // The caller holds lock().
    ExchangeOutcome exchange(std::uint8_t disconnectAfter);

    // Address and port used when the next exchange connects. Port 0 means 9760, which the
    // link then keeps as its port.
    void setEndpoint(const std::string& address, std::uint16_t tcpPort);
    std::string address() const;
    std::uint16_t tcpPort() const;
    // The module's UDP status port, used by its poller.
    void setUdpPort(std::uint16_t port);
    std::uint16_t udpPort() const;

    std::uint8_t notConnected() const { return notConnected_.load(std::memory_order_relaxed); }
    bool connected() const;
    void disconnect();

    // Where messages for the user go ("IP adr", connection errors). Called on the thread
    // that ran the exchange, after it has released the lock.
    void setMessageSink(MessageSink sink);
    // Called between short waiting slices when the exchange runs on a thread that must
    // keep something alive meanwhile (the GUI thread). Empty: plain blocking waits.
    void setWaitHook(std::thread::id thread, WaitHook hook);
    void setReadLimitMs(int ms) { readLimitMs_.store(ms, std::memory_order_relaxed); }

  private:
    friend class ExchangeLock;

    bool connect(const WaitHook& hook);
    // Runs one asynchronous read or write within the read limit; false on an error or
    // when the limit passed (the connection is then closed).
    template <class Start> bool transfer(Start start, const WaitHook& hook);
    bool writeAll(std::size_t size, const WaitHook& hook);
    bool readExact(std::uint8_t* into, std::size_t size, const WaitHook& hook);
    // Keeps a message for the user until the lock is released.
    void fail(const std::string& message);
    void deliver(const std::vector<std::string>& messages) const;
    // Closes the connection, marks the answer failed (status 1) and reports the message.
    ExchangeOutcome failExchange(ExchangeOutcome outcome, const std::string& message);
    WaitHook hookForThisThread() const;

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
    std::thread::id hookThread_;
    WaitHook hook_;
};

} // namespace kapsorel
