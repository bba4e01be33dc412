#include "core/comm/status_apply.h"

namespace kapsorel {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
}

void applyPowerStatus(LiveValues& live, const PowerStatus& s, BatteryFamily family)
{
    live.HardwareKind.store(s.hardwareKind, relaxed);
    live.Current.store(s.current, relaxed);
    live.PowerModuleVoltage.store(s.moduleVoltage, relaxed);
    live.SourceVoltage.store(s.sourceVoltage, relaxed);
    live.ModuleTemperature.store(s.moduleTemperature, relaxed);
    if (batteryValuesFromPowerModule(family)) {
        live.BatteryVoltage.store(s.moduleVoltage, relaxed);
        live.BatteryTemperature.store(s.batteryTemperature, relaxed);
    }
    if (live.SignalLatch.load(relaxed) == 0) {
        live.LedSeconds.store(s.ledSeconds, relaxed);
        live.SirenSeconds.store(s.sirenSeconds, relaxed);
    } else {
        live.SignalLatch.store(0, relaxed);
    }
    live.ErrorType.store(s.errorType, relaxed);
    live.PowerSwVersion.store(s.swVersion, relaxed);
    live.FaultBits.store(s.faultBits, relaxed);
}

void applyMeasurementStatus(LiveValues& live, const MeasurementStatus& s, bool runActive)
{
    live.HeadCode.store(s.headCode, relaxed);
    for (int i = 0; i < kCellCount; ++i)
        live.CellVoltage[static_cast<std::size_t>(i)].store(s.cells[static_cast<std::size_t>(i)], relaxed);
    live.BatteryVoltage.store(s.batteryVoltage, relaxed);
    live.BatteryTemperature.store(s.batteryTemperature, relaxed);
    if (!runActive && (s.headCode < 1 || !(s.batteryVoltage >= 0.5f)))
        live.BatteryVoltage.store(live.PowerModuleVoltage.load(relaxed), relaxed);
}

}  // namespace kapsorel
