// A station's test file recorder with its own run state, live values, run marker and fake
// clock, for tests that write or open test files without a station.
#pragma once

#include "core/records/battery_test_file.h"
#include "support/fake_clock.h"
#include "support/memory_run_marker.h"

namespace kapsorel::test {

struct TestFileRecorder {
    SharedRunState run;
    LiveValues live;
    MemoryRunMarker marker;
    FakeClock clock;
    BatteryTestFile file{run, live, marker, clock};

    TestFileRecorder() = default;
    explicit TestFileRecorder(DayTime now) : clock(now) {}
};

} // namespace kapsorel::test
