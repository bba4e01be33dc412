// What a poller spends on one answer besides waiting: decoding the status datagram
// from its buffer and putting it into the live values.
#include "core/base/bytes.h"
#include "core/comm/module_frame.h"
#include "core/comm/status_apply.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kapsorel;

StatusBuffer powerAnswer()
{
    StatusBuffer b{};
    b[3] = 18;
    le::putSingle(b, kFrameHeaderSize + 1, 2.5f);
    le::putSingle(b, kFrameHeaderSize + 5, 27.3f);
    le::putSingle(b, kFrameHeaderSize + 31, 31.0f);
    le::putU16(b, kFrameHeaderSize + 30, 4);
    return b;
}

StatusBuffer measurementAnswer()
{
    StatusBuffer b{};
    for (std::size_t i = 0; i < 20; ++i)
        le::putSingle(b, kFrameHeaderSize + 4 * i, 1.36f);
    le::putSingle(b, kFrameHeaderSize + 80, 27.2f);
    b[kFrameHeaderSize + 96] = 1;
    return b;
}

void BM_PowerStatusDecodeAndApply(benchmark::State& state)
{
    LiveValues live;
    const StatusBuffer b = powerAnswer();
    for (auto _ : state) {
        applyPowerStatus(live, decodePowerStatus(b), BatteryFamily::NiCd);
        benchmark::DoNotOptimize(live.faultBits.load());
    }
}
BENCHMARK(BM_PowerStatusDecodeAndApply);

void BM_MeasurementStatusDecodeAndApply(benchmark::State& state)
{
    LiveValues live;
    const StatusBuffer b = measurementAnswer();
    for (auto _ : state) {
        applyMeasurementStatus(live, decodeMeasurementStatus(b), false);
        benchmark::DoNotOptimize(live.batteryVoltage.load());
    }
}
BENCHMARK(BM_MeasurementStatusDecodeAndApply);

} // namespace
