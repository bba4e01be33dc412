#include "core/comm/measurement_poller.h"

namespace kapsorel {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
}

MeasurementPoller::MeasurementPoller(Station& station, Clock& clock) : station_(station), clock_(clock) {}

void MeasurementPoller::pollOnce()
{
    auto& live = station_.live;
    if (!pollsMeasurementModule(station_.batteryFamily())) {
        live.CommFault.fetch_and(static_cast<std::uint8_t>(~kCommFaultMeasurement), relaxed);
        clock_.sleepMs(1000);
        return;
    }
    buffer_[0] = kFrameStart;
    buffer_[1] = 'M';
    buffer_[2] = 'S';
    buffer_[4] = 0;
    buffer_[5] = 0;
    std::size_t received = 0;
    const auto outcome = socket_.poll(station_.measure.address(), station_.measure.udpPort(), buffer_.data(),
                                      kFrameHeaderSize, buffer_, received, receiveLimitMs_);
    if (outcome != PollOutcome::Answered) {
        socket_.release();
        clock_.sleepMs(1000);
        live.HeadCode.store(-1, relaxed);
        live.CommFault.fetch_or(kCommFaultMeasurement, relaxed);
    } else {
        live.CommFault.fetch_and(static_cast<std::uint8_t>(~kCommFaultMeasurement), relaxed);
        const MeasurementStatus s = decodeMeasurementStatus(buffer_);
        live.HeadCode.store(s.headCode, relaxed);
        for (int i = 0; i < kCellCount; ++i)
            live.CellVoltage[static_cast<std::size_t>(i)].store(s.cells[static_cast<std::size_t>(i)], relaxed);
        live.BatteryVoltage.store(s.batteryVoltage, relaxed);
        live.BatteryTemperature.store(s.batteryTemperature, relaxed);
        if (!station_.run.runActive() && (s.headCode < 1 || !(s.batteryVoltage >= 0.5f)))
            live.BatteryVoltage.store(live.PowerModuleVoltage.load(relaxed), relaxed);
    }
    clock_.sleepMs(1000);
}

}  // namespace kapsorel
