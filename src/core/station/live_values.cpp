#include "core/station/live_values.h"

#include "core/base/atomic_order.h"

namespace kapsorel {

void LiveValues::reset(std::uint8_t configuredKind)
{
    batteryVoltage.store(0.0f, kRelaxed);
    current.store(0.0f, kRelaxed);
    capacity.store(0.0f, kRelaxed);
    batteryTemperature.store(0.0f, kRelaxed);
    moduleTemperature.store(0.0f, kRelaxed);
    powerModuleVoltage.store(0.0f, kRelaxed);
    sourceVoltage.store(0.0f, kRelaxed);
    for (auto& c : cellVoltage)
        c.store(0.0f, kRelaxed);
    deltaCurrent.store(0.0f, kRelaxed);
    headCode.store(-1, kRelaxed);
    hardwareKind.store(configuredKind, kRelaxed);
    powerSwVersion.store(0, kRelaxed);
    errorType.store(0, kRelaxed);
    lastAlarmedError.store(0, kRelaxed);
    faultBits.store(0, kRelaxed);
    shownFaultBits.store(0, kRelaxed);
    commFault.store(initialCommFault(configuredKind), kRelaxed);
    ledSeconds.store(0, kRelaxed);
    sirenSeconds.store(0, kRelaxed);
    signalLatch.store(0, kRelaxed);
    settleCountdown.store(0, kRelaxed);
    chargingOn.store(0, kRelaxed);
    dischargingOn.store(0, kRelaxed);
    driveOn.store(0, kRelaxed);
    diagramRedraw.store(0, kRelaxed);
}

} // namespace kapsorel
