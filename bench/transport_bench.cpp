// One run-time command exchange with the simulated power module over loopback: the way
// the run engine sends (connect, one frame, close) and the way the settings window does
// (one connection kept open).
#include "core/comm/module_link.h"
#include "core/comm/run_commands.h"
#include "support/sim_process.h"

#include <benchmark/benchmark.h>

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

} // namespace
