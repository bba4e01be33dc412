#include "core/station/live_values.h"

namespace kapsorel {

void LiveValues::reset(std::uint8_t hardwareKind)
{
    constexpr auto r = std::memory_order_relaxed;
    BatteryVoltage.store(0.0f, r);
    Current.store(0.0f, r);
    Capacity.store(0.0f, r);
    BatteryTemperature.store(0.0f, r);
    ModuleTemperature.store(0.0f, r);
    PowerModuleVoltage.store(0.0f, r);
    SourceVoltage.store(0.0f, r);
    for (auto& c : CellVoltage)
        c.store(0.0f, r);
    DeltaCurrent.store(0.0f, r);
    HeadCode.store(-1, r);
    HardwareKind.store(hardwareKind, r);
    PowerSwVersion.store(0, r);
    ErrorType.store(0, r);
    LastAlarmedError.store(0, r);
    FaultBits.store(0, r);
    ShownFaultBits.store(0, r);
    CommFault.store(initialCommFault(hardwareKind), r);
    LedSeconds.store(0, r);
    SirenSeconds.store(0, r);
    SignalLatch.store(0, r);
    SettleCountdown.store(0, r);
    ChargingOn.store(0, r);
    DischargingOn.store(0, r);
    DriveOn.store(0, r);
    DiagramRedraw.store(0, r);
}

}  // namespace kapsorel
