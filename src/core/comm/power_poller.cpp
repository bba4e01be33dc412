#include "core/comm/power_poller.h"

#include "core/base/atomic_order.h"
#include "core/comm/status_apply.h"

namespace kapsorel {

namespace {
}

PowerPoller::PowerPoller(Station& station, StatusChannel& channel, PowerCommands& power, UiBridge& ui, Clock& clock,
                         std::function<bool()> keepRunning)
    : station_(station), ui_(ui), clock_(clock), keepRunning_(std::move(keepRunning)), channel_(channel), power_(power)
{
}

void PowerPoller::pollOnce()
{
    fillStatusRequest(buffer_);
    std::size_t received = 0;
    const auto outcome = channel_.poll(buffer_, received, receiveLimitMs_);
    if (outcome == PollOutcome::Answered && wellFormedStatus(buffer_, received, kPowerStatusPayload))
        onAnswer();
    else
        onNoAnswer();
}

void PowerPoller::onNoAnswer()
{
    auto& live = station_.live;
    channel_.release();
    clock_.sleepMs(1000);
    live.commFault.fetch_or(kCommFaultPower, kRelaxed);
    if (station_.batteryFamily() == BatteryFamily::Pb)
        live.headCode.store(-1, kRelaxed);
    if (station_.run.runActive()) {
        if (failed_ < kFailedPollsToAbort)
            ++failed_;
        if (failed_ == kFailedPollsToAbort) {
            failed_ = kFailedPollsToAbort + 1;
            if (station_.run.abort(StopReason::PowerModuleLost) && keepRunning_())
                ui_.runStoppedOnLostModule();
        }
    }
}

void PowerPoller::onAnswer()
{
    auto& live = station_.live;
    if (station_.batteryFamily() == BatteryFamily::Pb)
        live.headCode.store(0, kRelaxed);
    failed_ = 0;
    auto settle = live.settleCountdown.load(kRelaxed);
    while (settle > 0 && !live.settleCountdown.compare_exchange_weak(settle, settle - 1, kRelaxed)) {
    }
    live.commFault.fetch_and(static_cast<std::uint8_t>(~kCommFaultPower), kRelaxed);

    const PowerStatus s = decodePowerStatus(buffer_);
    applyPowerStatus(live, s, station_.batteryFamily());

    if (s.errorType != 0 && s.errorType != live.lastAlarmedError.load(kRelaxed) && station_.run.runActive()) {
        live.lastAlarmedError.store(s.errorType, kRelaxed);
        ui_.errorAlarm(errorTypeText(s.errorType));
        const std::uint8_t siren = station_.errorSirenSeconds.load(kRelaxed);
        live.signalLatch.store(1, kRelaxed);
        live.ledSeconds.store(255, kRelaxed);
        live.sirenSeconds.store(siren, kRelaxed);
        if (live.commFault.load(kRelaxed) == 0)
            power_.signal(255, siren);
        station_.run.abort(StopReason::PowerModuleError);
    }

    // The poller keeps what it reported, so the faults display is told once per change
    // whatever the screen does with the call.
    if (s.faultBits != live.shownFaultBits.load(kRelaxed)) {
        live.shownFaultBits.store(s.faultBits, kRelaxed);
        ui_.faultsChanged(s.faultBits);
    }

    clock_.sleepMs(1000);
}

} // namespace kapsorel
