#include "core/comm/module_link.h"

#include "core/base/atomic_order.h"

#include <algorithm>
#include <array>
#include <thread>

namespace kapsorel {

ModuleExchange::ModuleExchange(ModuleLink& link) : link_(link), lock_(link.mutex_) {}

ModuleExchange::~ModuleExchange()
{
    release();
}

ModuleFrame& ModuleExchange::frame()
{
    return link_.frame_;
}

ExchangeOutcome ModuleExchange::exchange(std::uint8_t disconnectAfter)
{
    if (!lock_.owns_lock())
        return ExchangeOutcome::NotConnected;
    return link_.exchange(disconnectAfter);
}

void ModuleExchange::close()
{
    if (lock_.owns_lock())
        link_.disconnect();
}

void ModuleExchange::release()
{
    if (!lock_.owns_lock())
        return;
    std::vector<std::string> messages;
    messages.swap(link_.pendingMessages_);
    lock_.unlock();
    link_.deliver(messages);
}

ModuleLink::ModuleLink(std::string moduleName) : moduleName_(std::move(moduleName)), socket_(io_) {}

ModuleLink::~ModuleLink()
{
    asio::error_code ec;
    socket_.close(ec);
}

void ModuleLink::setEndpoint(const std::string& address, std::uint16_t tcpPort)
{
    std::lock_guard g(configMutex_);
    address_ = address;
    tcpPort_ = tcpPort;
}

std::string ModuleLink::address() const
{
    std::lock_guard g(configMutex_);
    return address_;
}

std::uint16_t ModuleLink::tcpPort() const
{
    std::lock_guard g(configMutex_);
    return tcpPort_;
}

void ModuleLink::setUdpPort(std::uint16_t port)
{
    std::lock_guard g(configMutex_);
    udpPort_ = port;
}

std::uint16_t ModuleLink::udpPort() const
{
    std::lock_guard g(configMutex_);
    return udpPort_;
}

void ModuleLink::setMessageSink(MessageSink sink)
{
    std::lock_guard g(configMutex_);
    sink_ = std::move(sink);
}

bool ModuleLink::connected() const
{
    return socket_.is_open();
}

void ModuleLink::disconnect()
{
    asio::error_code ec;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ec);
    socket_.close(ec);
}

void ModuleLink::fail(const std::string& message)
{
    pendingMessages_.push_back(message);
}

void ModuleLink::deliver(const std::vector<std::string>& messages) const
{
    if (messages.empty())
        return;
    MessageSink sink;
    {
        std::lock_guard g(configMutex_);
        sink = sink_;
    }
    if (!sink)
        return;
    for (const auto& m : messages)
        sink(m);
}

bool ModuleLink::connect()
{
    std::string address;
    std::uint16_t port = 0;
    {
        std::lock_guard g(configMutex_);
        if (tcpPort_ == 0)
            tcpPort_ = kDefaultTcpPort;
        address = address_;
        port = tcpPort_;
    }
    asio::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec) {
        fail("Neplatná adresa modulu: " + address);
        return false;
    }
    const asio::ip::tcp::endpoint endpoint(ip, port);
    bool done = false;
    asio::error_code result;
    socket_.async_connect(endpoint, [&](const asio::error_code& e) {
        result = e;
        done = true;
    });
    if (!runUntil(io_, done, kConnectLimitMs)) {
        asio::error_code ignored;
        socket_.close(ignored);
        drain(io_);
        fail("Spojení s " + address + ":" + std::to_string(port) + " vypršelo (" + std::to_string(kConnectLimitMs) +
             " ms)");
        return false;
    }
    if (result) {
        asio::error_code ignored;
        socket_.close(ignored);
        fail(result.message() + " (" + address + ":" + std::to_string(port) + ")");
        return false;
    }
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    // Requests are sent straight away (see writeAll); a full send buffer must not block.
    socket_.non_blocking(true, ignored);
    return true;
}

template <class Start> bool ModuleLink::transfer(Start start)
{
    bool done = false;
    asio::error_code result;
    start([&](const asio::error_code& e, std::size_t) {
        result = e;
        done = true;
    });
    if (!runUntil(io_, done, readLimitMs_.load(kRelaxed))) {
        disconnect();
        drain(io_);
        return false;
    }
    return !result;
}

bool ModuleLink::writeAll(std::size_t size)
{
    // A frame fits the socket's send buffer: one send puts it on the wire without a trip
    // through the io_context. Only what a full buffer left over waits within the limit.
    asio::error_code ec;
    const std::size_t sent = socket_.write_some(asio::buffer(frame_.bytes.data(), size), ec);
    if (ec && ec != asio::error::would_block && ec != asio::error::try_again)
        return false;
    if (sent == size)
        return true;
    return transfer([&](auto handler) {
        asio::async_write(socket_, asio::buffer(frame_.bytes.data() + sent, size - sent), handler);
    });
}

bool ModuleLink::readExact(std::uint8_t* into, std::size_t size)
{
    return transfer([&](auto handler) { asio::async_read(socket_, asio::buffer(into, size), handler); });
}

ExchangeOutcome ModuleLink::failExchange(ExchangeOutcome outcome, const std::string& message)
{
    disconnect();
    frame_.setParam(1);
    fail(message);
    return outcome;
}

ExchangeOutcome ModuleLink::exchange(std::uint8_t disconnectAfter)
{
    if (!socket_.is_open()) {
        if (address().empty()) {
            fail("IP adr");
            return ExchangeOutcome::NoAddress;
        }
        connect();
    }
    if (!socket_.is_open()) {
        frame_.setParam(1);
        notConnected_.store(1, kRelaxed);
        return ExchangeOutcome::NotConnected;
    }
    notConnected_.store(0, kRelaxed);

    if (!writeAll(frame_.wireSize()))
        return failExchange(ExchangeOutcome::WriteFailed, "Chyba při odesílání příkazu modulu " + moduleName_);
    const std::string silent = "Modul " + moduleName_ + " neodpověděl";
    if (!readExact(frame_.bytes.data(), kFrameHeaderSize))
        return failExchange(ExchangeOutcome::ReadFailed, silent);
    const std::size_t length = frame_.payloadLength();
    const std::size_t kept = std::min(length, kFramePayloadCapacity);
    if (kept > 0 && !readExact(frame_.payload().data(), kept))
        return failExchange(ExchangeOutcome::ReadFailed, silent);
    if (length > kFramePayloadCapacity) {
        // Read the rest of the oversized answer so the connection stays in step, then refuse it.
        std::array<std::uint8_t, 256> sink{};
        std::size_t rest = length - kFramePayloadCapacity;
        bool ok = true;
        while (ok && rest > 0) {
            const std::size_t n = std::min(rest, sink.size());
            ok = readExact(sink.data(), n);
            rest -= n;
        }
        if (!ok)
            disconnect();
        frame_.setParam(1);
        frame_.setPayloadLength(static_cast<std::uint16_t>(kFramePayloadCapacity));
        fail("Odpověď modulu " + moduleName_ + " je příliš dlouhá (" + std::to_string(length) + " B)");
        if (disconnectAfter == 1)
            disconnect();
        return ExchangeOutcome::AnswerTooLong;
    }
    if (disconnectAfter == 1)
        disconnect();
    return ExchangeOutcome::Answered;
}

} // namespace kapsorel
