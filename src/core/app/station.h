// Everything one station shares between its threads: live values, the run state, the
// two module links, the battery family and the values the workers read from the
// settings. Components get it by reference; a test can build two side by side.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/app/ui_bridge.h"
#include "core/comm/battery_family.h"
#include "core/comm/live_values.h"
#include "core/comm/module_link.h"
#include "core/engine/run_state.h"

namespace kapsorel {

struct Station {
    LiveValues live;
    SharedRunState run;
    ModuleLink power{"vyk"};    // Frame_vyk and its connection
    ModuleLink measure{"mer"};  // Frame_mer and its connection
    std::atomic<std::uint8_t> family{static_cast<std::uint8_t>(BatteryFamily::NiCd)};
    std::atomic<std::uint8_t> errorSirenSeconds{0};  // ERR_SIR

    BatteryFamily batteryFamily() const
    {
        return static_cast<BatteryFamily>(family.load(std::memory_order_relaxed));
    }
    void setBatteryFamily(BatteryFamily f) { family.store(static_cast<std::uint8_t>(f), std::memory_order_relaxed); }
};

}  // namespace kapsorel
