// A station with the demo definitions whose modules are a simulator of a NiCd battery of
// 25 Ah at 60 % charge, running ten times as fast as real time, as is the station's clock.
#pragma once

#include "demo_definitions.h"
#include "support/scaled_clock.h"
#include "support/sim_process.h"
#include "support/sim_station.h"
#include "support/temp_home.h"

#include <filesystem>

namespace kapsorel::test {

struct DemoStation {
    SimProcess sim{{"--time-scale", "10", "--capacity", "25", "--charge", "0.6"}};
    TempHome home;
    ScaledClock clock{10.0};
    // The configuration and the demo definitions were written.
    bool ready = false;

    DemoStation()
    {
        writeSimStation(home, sim);
        ready = demo::writeDemoDefinitions(home.path()).ok();
    }

    std::filesystem::path ini() const { return home / "Kapsorel.ini"; }
};

} // namespace kapsorel::test
