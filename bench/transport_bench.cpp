// One run-time command exchange with the simulated power module over loopback: the way
// the run engine sends (connect, one frame, close) and the way the settings window does
// (one connection kept open). Beside them, in the same run, the floor those exchanges
// stand on: a bare Asio round trip of the same sizes to an echo thread on loopback.
#include "core/comm/module_frame.h"
#include "core/comm/module_link.h"
#include "core/comm/run_commands.h"
#include "support/sim_process.h"

#include <array>
#include <asio.hpp>
#include <benchmark/benchmark.h>
#include <thread>

namespace {

using kapsorel::ModuleExchange;
using kapsorel::ModuleLink;

kapsorel::test::SimProcess& sim()
{
    static kapsorel::test::SimProcess process;
    return process;
}

void fillStop(ModuleExchange& exchange)
{
    exchange.frame().setCommand('P', 'S');
    exchange.frame().setParam(0);
    exchange.frame().setPayloadLength(0);
}

void BM_ExchangeConnectFrameClose(benchmark::State& state)
{
    ModuleLink link("vyk");
    link.setEndpoint(sim().powerAddress(), sim().tcpPort());
    for (auto _ : state) {
        auto exchange = link.begin();
        fillStop(exchange);
        if (exchange.exchange(1) != kapsorel::ExchangeOutcome::Answered)
            state.SkipWithError("exchange failed");
    }
}
BENCHMARK(BM_ExchangeConnectFrameClose)->UseRealTime();

void BM_ExchangeKeptOpen(benchmark::State& state)
{
    ModuleLink link("vyk");
    link.setEndpoint(sim().powerAddress(), sim().tcpPort());
    for (auto _ : state) {
        auto exchange = link.begin();
        fillStop(exchange);
        if (exchange.exchange(0) != kapsorel::ExchangeOutcome::Answered)
            state.SkipWithError("exchange failed");
    }
    link.disconnect();
}
BENCHMARK(BM_ExchangeKeptOpen)->UseRealTime();

// The stop command and its answer: a bare header each way.
constexpr std::size_t kRequestSize = kapsorel::kFrameHeaderSize;
constexpr std::size_t kAnswerSize = kapsorel::kFrameHeaderSize;

// Answers every request of one connection with as many bytes, until the client closes.
class EchoThread {
  public:
    EchoThread() : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0))
    {
        thread_ = std::thread([this] { serve(); });
    }
    ~EchoThread() { thread_.join(); }
    EchoThread(const EchoThread&) = delete;
    EchoThread& operator=(const EchoThread&) = delete;

    asio::ip::tcp::endpoint endpoint() const { return acceptor_.local_endpoint(); }

  private:
    void serve()
    {
        asio::ip::tcp::socket peer(io_);
        acceptor_.accept(peer);
        peer.set_option(asio::ip::tcp::no_delay(true));
        std::array<std::uint8_t, kRequestSize> request{};
        std::array<std::uint8_t, kAnswerSize> answer{};
        asio::error_code ec;
        while (asio::read(peer, asio::buffer(request), ec) == request.size()) {
            std::copy_n(request.begin(), std::min(kRequestSize, kAnswerSize), answer.begin());
            if (asio::write(peer, asio::buffer(answer), ec) != answer.size())
                break;
        }
    }

    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::thread thread_;
};

void BM_BareLoopbackRoundTrip(benchmark::State& state)
{
    EchoThread echo;
    asio::io_context io;
    asio::ip::tcp::socket socket(io);
    socket.connect(echo.endpoint());
    socket.set_option(asio::ip::tcp::no_delay(true));
    std::array<std::uint8_t, kRequestSize> request{'#', 'P', 'S', 0, 0, 0};
    std::array<std::uint8_t, kAnswerSize> answer{};
    for (auto _ : state) {
        asio::error_code ec;
        asio::write(socket, asio::buffer(request), ec);
        if (!ec)
            asio::read(socket, asio::buffer(answer), ec);
        if (ec) {
            state.SkipWithError("round trip failed");
            break;
        }
        benchmark::DoNotOptimize(answer);
    }
    socket.close();
}
BENCHMARK(BM_BareLoopbackRoundTrip)->UseRealTime();

// The kept-open exchange again, but answered by the echo thread: the link's own share of
// an exchange, without the simulator's work on each frame.
void BM_ExchangeKeptOpenToEcho(benchmark::State& state)
{
    EchoThread echo;
    ModuleLink link("vyk");
    link.setEndpoint(echo.endpoint().address().to_string(), echo.endpoint().port());
    for (auto _ : state) {
        auto exchange = link.begin();
        fillStop(exchange);
        if (exchange.exchange(0) != kapsorel::ExchangeOutcome::Answered) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    link.disconnect();
}
BENCHMARK(BM_ExchangeKeptOpenToEcho)->UseRealTime();

} // namespace
