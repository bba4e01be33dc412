#include "core/comm/measurement_poller.h"

#include "core/base/atomic_order.h"
#include "core/comm/status_apply.h"

namespace kapsorel {

namespace {
}

MeasurementPoller::MeasurementPoller(Station& station, StatusChannel& channel, Clock& clock)
    : station_(station), clock_(clock), channel_(channel)
{
}

void MeasurementPoller::pollOnce()
{
    auto& live = station_.live;
    if (!pollsMeasurementModule(station_.batteryFamily())) {
        live.commFault.fetch_and(static_cast<std::uint8_t>(~kCommFaultMeasurement), kRelaxed);
        clock_.sleepMs(1000);
        return;
    }
    fillStatusRequest(buffer_);
    std::size_t received = 0;
    const auto outcome = channel_.poll(buffer_, received, receiveLimitMs_);
    if (outcome != PollOutcome::Answered || !wellFormedStatus(buffer_, received, kMeasurementStatusPayload)) {
        channel_.release();
        clock_.sleepMs(1000);
        live.headCode.store(-1, kRelaxed);
        live.commFault.fetch_or(kCommFaultMeasurement, kRelaxed);
    } else {
        live.commFault.fetch_and(static_cast<std::uint8_t>(~kCommFaultMeasurement), kRelaxed);
        applyMeasurementStatus(live, decodeMeasurementStatus(buffer_), station_.run.runActive());
    }
    clock_.sleepMs(1000);
}

} // namespace kapsorel
