// What one station shares between its threads: live values, the run state, the battery
// family and the fault signalling time. Components get it (or the part they use) by
// reference; a test can build two side by side. The module links belong to the station
// runtime, which hands each component only the commands it sends.
#pragma once

#include "core/base/atomic_order.h"
#include "core/station/battery_family.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"

#include <atomic>
#include <cstdint>

namespace kapsorel {

struct Station {
    LiveValues live;
    SharedRunState run;
    std::atomic<std::uint8_t> family{static_cast<std::uint8_t>(BatteryFamily::NiCd)};
    std::atomic<std::uint8_t> errorSirenSeconds{0}; // ERR_SIR

    BatteryFamily batteryFamily() const { return static_cast<BatteryFamily>(family.load(kRelaxed)); }
    void setBatteryFamily(BatteryFamily f) { family.store(static_cast<std::uint8_t>(f), kRelaxed); }
};

} // namespace kapsorel
