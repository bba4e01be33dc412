#include "core/station/live_values.h"

namespace kapsorel {

void LiveValues::reset(std::uint8_t configuredKind)
{
    constexpr auto r = std::memory_order_relaxed;
    batteryVoltage.store(0.0f, r);
    current.store(0.0f, r);
    capacity.store(0.0f, r);
    batteryTemperature.store(0.0f, r);
    moduleTemperature.store(0.0f, r);
    powerModuleVoltage.store(0.0f, r);
    sourceVoltage.store(0.0f, r);
    for (auto& c : cellVoltage)
        c.store(0.0f, r);
    deltaCurrent.store(0.0f, r);
    headCode.store(-1, r);
    hardwareKind.store(configuredKind, r);
    powerSwVersion.store(0, r);
    errorType.store(0, r);
    lastAlarmedError.store(0, r);
    faultBits.store(0, r);
    shownFaultBits.store(0, r);
    commFault.store(initialCommFault(configuredKind), r);
    ledSeconds.store(0, r);
    sirenSeconds.store(0, r);
    signalLatch.store(0, r);
    settleCountdown.store(0, r);
    chargingOn.store(0, r);
    dischargingOn.store(0, r);
    driveOn.store(0, r);
    diagramRedraw.store(0, r);
}

} // namespace kapsorel
