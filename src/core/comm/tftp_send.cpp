#include "core/comm/tftp_send.h"

#include "core/comm/asio_wait.h"

#include <algorithm>
#include <chrono>

namespace kapsorel {

namespace {

constexpr std::uint16_t kWriteRequest = 2;
constexpr std::uint16_t kData = 3;
constexpr std::uint16_t kAck = 4;
constexpr std::uint16_t kError = 5;
constexpr std::size_t kBlock = 512;
// Receives are made in slices of this length so that a cancel is seen quickly.
constexpr int kSliceMs = 50;

// TFTP fields are big-endian.
void putBe16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

std::uint16_t be16(const std::vector<std::uint8_t>& in, std::size_t at)
{
    return static_cast<std::uint16_t>((in[at] << 8) | in[at + 1]);
}

std::vector<std::uint8_t> writeRequest(const std::string& fileName, const std::string& mode)
{
    std::vector<std::uint8_t> p;
    putBe16(p, kWriteRequest);
    p.insert(p.end(), fileName.begin(), fileName.end());
    p.push_back(0);
    p.insert(p.end(), mode.begin(), mode.end());
    p.push_back(0);
    return p;
}

std::vector<std::uint8_t> dataPacket(std::uint16_t block, std::span<const std::uint8_t> bytes)
{
    std::vector<std::uint8_t> p;
    p.reserve(4 + bytes.size());
    putBe16(p, kData);
    putBe16(p, block);
    p.insert(p.end(), bytes.begin(), bytes.end());
    return p;
}

} // namespace

TTFTPSend::TTFTPSend() : incoming_(4 + kBlock + 64) {}

TTFTPSend::~TTFTPSend()
{
    closeSocket();
}

bool TTFTPSend::openSocket()
{
    asio::error_code ec;
    const auto ip = asio::ip::make_address(targetHost, ec);
    if (ec || !ip.is_v4())
        return false;
    target_ = asio::ip::udp::endpoint(ip, targetPort);
    socket_.emplace(io_);
    socket_->open(asio::ip::udp::v4(), ec);
    if (ec) {
        closeSocket();
        return false;
    }
    return true;
}

void TTFTPSend::closeSocket()
{
    if (socket_) {
        asio::error_code ec;
        socket_->close(ec);
        drain(io_);
        socket_.reset();
    }
}

TTFTPSend::Receive TTFTPSend::receive(int limitMs, const std::atomic<bool>& cancel)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(limitMs);
    bool done = false;
    asio::error_code result;
    socket_->async_receive_from(asio::buffer(incoming_), from_, [&](const asio::error_code& e, std::size_t n) {
        result = e;
        received_ = n;
        done = true;
    });
    for (;;) {
        if (cancel.load()) {
            asio::error_code ec;
            socket_->cancel(ec);
            drain(io_);
            return Receive::Cancelled;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now()).count();
        if (left <= 0) {
            asio::error_code ec;
            socket_->cancel(ec);
            drain(io_);
            return done && !result ? Receive::Packet : Receive::Nothing;
        }
        if (runUntil(io_, done, static_cast<int>(std::min<long long>(left, kSliceMs))))
            return result ? Receive::Nothing : Receive::Packet;
    }
}

bool TTFTPSend::pause(int ms, const std::atomic<bool>& cancel)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(ms);
    asio::steady_timer timer(io_);
    while (clock::now() < deadline) {
        if (cancel.load())
            return false;
        bool done = false;
        timer.expires_after(std::min<clock::duration>(deadline - clock::now(), std::chrono::milliseconds(kSliceMs)));
        timer.async_wait([&](const asio::error_code&) { done = true; });
        runUntil(io_, done, ms + kSliceMs);
    }
    return !cancel.load();
}

void TTFTPSend::takeError()
{
    errorCode_ = be16(incoming_, 2);
    const auto begin = incoming_.begin() + 4;
    const auto end = incoming_.begin() + static_cast<std::ptrdiff_t>(received_);
    errorText_.assign(begin, std::find(begin, end, std::uint8_t{0}));
}

void TTFTPSend::sendCancel()
{
    // Tells the server's transfer to stop waiting for blocks (error 0, not defined).
    std::vector<std::uint8_t> p;
    putBe16(p, kError);
    putBe16(p, 0);
    const std::string text = "Cancelled";
    p.insert(p.end(), text.begin(), text.end());
    p.push_back(0);
    asio::error_code ec;
    socket_->send_to(asio::buffer(p), server_, 0, ec);
}

bool TTFTPSend::requestPhase(const std::string& fileName, const std::string& mode, TftpSendEvents& events,
                             const std::atomic<bool>& cancel)
{
    const auto request = writeRequest(fileName, mode);
    for (int attempt = 0; attempt < kTftpRequestAttempts; ++attempt) {
        events.log("Požadavek na zápis - " + std::to_string(attempt));
        asio::error_code ec;
        socket_->send_to(asio::buffer(request), target_, 0, ec);
        const Receive got = receive(timings.requestReceiveMs, cancel);
        if (got == Receive::Cancelled) {
            cancelled_ = true;
            return false;
        }
        // Only the target host answers; its answer's port is the transfer's port.
        if (got == Receive::Packet && received_ >= 4 && from_.address() == target_.address()) {
            const std::uint16_t opcode = be16(incoming_, 0);
            if (opcode == kAck && be16(incoming_, 2) == 0) {
                server_ = from_;
                return true;
            }
            if (opcode == kError) {
                takeError();
                if (errorCode_ == kTftpRefusedCode)
                    return false;
            }
        }
        if (attempt + 1 < kTftpRequestAttempts && !pause(timings.requestPauseMs, cancel)) {
            cancelled_ = true;
            return false;
        }
    }
    return false;
}

TTFTPSend::Wait TTFTPSend::sendAndWait(std::uint16_t block, std::span<const std::uint8_t> bytes,
                                       const std::atomic<bool>& cancel)
{
    using clock = std::chrono::steady_clock;
    const auto packet = dataPacket(block, bytes);
    const auto slice = std::chrono::milliseconds(timings.dataReceiveMs);
    // The budget is time, not datagrams: what comes from elsewhere costs only the moment it
    // takes, and the block is sent again whenever the transfer port stays quiet a whole slice.
    const auto deadline = clock::now() + slice * kTftpReceivesPerAck;
    auto resendAt = clock::now();
    for (;;) {
        const auto now = clock::now();
        if (now >= deadline)
            return Wait::Failed;
        if (now >= resendAt) {
            asio::error_code ec;
            socket_->send_to(asio::buffer(packet), server_, 0, ec);
            resendAt += slice;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(std::min(resendAt, deadline) - now).count();
        const Receive got = receive(static_cast<int>(std::max<long long>(left, 1)), cancel);
        if (got == Receive::Cancelled)
            return Wait::Cancelled;
        // Anything not from the transfer's address and port, short, or another block's
        // acknowledgement (a duplicate of the previous one) is passed over.
        if (got != Receive::Packet || received_ < 4 || from_ != server_)
            continue;
        const std::uint16_t opcode = be16(incoming_, 0);
        if (opcode == kAck && be16(incoming_, 2) == block)
            return Wait::Acknowledged;
        if (opcode == kError) {
            takeError();
            return Wait::Failed;
        }
    }
}

bool TTFTPSend::dataPhase(TftpSendEvents& events, const std::atomic<bool>& cancel)
{
    events.log("Posílám data");
    events.progressShown(true);
    const std::size_t fullBlocks = data.size() / kBlock;
    int position = 0;
    std::uint16_t block = 1;
    for (std::size_t i = 0; i <= fullBlocks; ++i, ++block) {
        const bool last = i == fullBlocks;
        if (!last) {
            const int percent = static_cast<int>((i + 1) * 100 / fullBlocks);
            if (percent != position) {
                position = percent;
                events.progress(percent);
            }
        }
        const std::size_t offset = i * kBlock;
        const std::size_t size = last ? data.size() - offset : kBlock;
        const Wait wait = sendAndWait(block, std::span<const std::uint8_t>(data).subspan(offset, size), cancel);
        if (wait == Wait::Cancelled) {
            cancelled_ = true;
            sendCancel();
            return false;
        }
        if (wait == Wait::Failed)
            return false;
    }
    return true;
}

bool TTFTPSend::sendFile(const std::string& fileName, const std::string& mode, TftpSendEvents& events,
                         const std::atomic<bool>& cancel)
{
    errorCode_ = 0;
    errorText_.clear();
    cancelled_ = false;
    closeSocket();
    const bool opened = openSocket();
    events.log("- - -");
    if (!opened)
        return false;
    // Block numbers are 16 bits: the last block of a larger image would wrap to 0.
    bool sent =
        data.size() / kBlock + 1 <= 0xFFFF && requestPhase(fileName, mode, events, cancel) && dataPhase(events, cancel);
    events.progressShown(false);
    closeSocket();
    return sent;
}

} // namespace kapsorel
