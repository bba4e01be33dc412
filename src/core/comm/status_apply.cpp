#include "core/comm/status_apply.h"

#include "core/base/atomic_order.h"

namespace kapsorel {

namespace {
}

void applyPowerStatus(LiveValues& live, const PowerStatus& s, BatteryFamily family)
{
    live.hardwareKind.store(s.hardwareKind, kRelaxed);
    live.current.store(s.current, kRelaxed);
    live.powerModuleVoltage.store(s.moduleVoltage, kRelaxed);
    live.sourceVoltage.store(s.sourceVoltage, kRelaxed);
    live.moduleTemperature.store(s.moduleTemperature, kRelaxed);
    if (batteryValuesFromPowerModule(family)) {
        live.batteryVoltage.store(s.moduleVoltage, kRelaxed);
        live.batteryTemperature.store(s.batteryTemperature, kRelaxed);
    }
    if (live.signalLatch.load(kRelaxed) == 0) {
        live.ledSeconds.store(s.ledSeconds, kRelaxed);
        live.sirenSeconds.store(s.sirenSeconds, kRelaxed);
    } else {
        live.signalLatch.store(0, kRelaxed);
    }
    live.errorType.store(s.errorType, kRelaxed);
    live.powerSwVersion.store(s.swVersion, kRelaxed);
    live.faultBits.store(s.faultBits, kRelaxed);
}

void applyMeasurementStatus(LiveValues& live, const MeasurementStatus& s, bool runActive)
{
    live.headCode.store(s.headCode, kRelaxed);
    for (int i = 0; i < kCellCount; ++i)
        live.cellVoltage[static_cast<std::size_t>(i)].store(s.cells[static_cast<std::size_t>(i)], kRelaxed);
    live.batteryVoltage.store(s.batteryVoltage, kRelaxed);
    live.batteryTemperature.store(s.batteryTemperature, kRelaxed);
    if (!runActive && (s.headCode < 1 || !(s.batteryVoltage >= 0.5f)))
        live.batteryVoltage.store(live.powerModuleVoltage.load(kRelaxed), kRelaxed);
}

} // namespace kapsorel
