#include "core/comm/status_apply.h"

namespace kapsorel {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
}

void applyPowerStatus(LiveValues& live, const PowerStatus& s, BatteryFamily family)
{
    live.hardwareKind.store(s.hardwareKind, relaxed);
    live.current.store(s.current, relaxed);
    live.powerModuleVoltage.store(s.moduleVoltage, relaxed);
    live.sourceVoltage.store(s.sourceVoltage, relaxed);
    live.moduleTemperature.store(s.moduleTemperature, relaxed);
    if (batteryValuesFromPowerModule(family)) {
        live.batteryVoltage.store(s.moduleVoltage, relaxed);
        live.batteryTemperature.store(s.batteryTemperature, relaxed);
    }
    if (live.signalLatch.load(relaxed) == 0) {
        live.ledSeconds.store(s.ledSeconds, relaxed);
        live.sirenSeconds.store(s.sirenSeconds, relaxed);
    } else {
        live.signalLatch.store(0, relaxed);
    }
    live.errorType.store(s.errorType, relaxed);
    live.powerSwVersion.store(s.swVersion, relaxed);
    live.faultBits.store(s.faultBits, relaxed);
}

void applyMeasurementStatus(LiveValues& live, const MeasurementStatus& s, bool runActive)
{
    live.headCode.store(s.headCode, relaxed);
    for (int i = 0; i < kCellCount; ++i)
        live.cellVoltage[static_cast<std::size_t>(i)].store(s.cells[static_cast<std::size_t>(i)], relaxed);
    live.batteryVoltage.store(s.batteryVoltage, relaxed);
    live.batteryTemperature.store(s.batteryTemperature, relaxed);
    if (!runActive && (s.headCode < 1 || !(s.batteryVoltage >= 0.5f)))
        live.batteryVoltage.store(live.powerModuleVoltage.load(relaxed), relaxed);
}

} // namespace kapsorel
