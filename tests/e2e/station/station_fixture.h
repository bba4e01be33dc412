// A whole station in this process: configuration in a temporary home, the demo
// definitions, real pollers and engine threads, and kapsorel-sim on loopback, all on a
// clock ten times faster than real time.
#pragma once

#include "core/app/start_battery_test.h"
#include "core/app/start_workflow.h"
#include "core/app/station_runtime.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_index.h"
#include "core/records/battery_test_reader.h"
#include "support/recording_ui.h"
#include "support/scaled_clock.h"
#include "support/sim_process.h"
#include "support/temp_home.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace kapsorel::test {

constexpr double kTimeScale = 10.0;

class StationTest : public ::testing::Test {
  protected:
    StationTest();
    ~StationTest() override;

    // Builds (or rebuilds, as a new program start would) the station runtime.
    void bootStation();
    void shutDownStation();
    // What the panel holds for the short demo procedure of the NiCd battery type, with the
    // definitions of the home as they are now.
    StartPlan demoPlan(const std::string& batteryNumber = "A123");
    // Starts the short demo procedure for the NiCd battery type through the operator's Start.
    void startDemoTest();
    // Waits (real time) until `done` holds; answers each question with "Konec" meanwhile.
    bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(90));
    bool waitForIdle(std::chrono::seconds limit = std::chrono::seconds(90));

    BatteryTestFileContents readCurrentTestFile();
    // Frames the power module received, as command names ("PC", "PL1" for the indicator).
    std::vector<std::string> powerCommands();

    SimProcess sim{{"--time-scale", "10", "--capacity", "25", "--charge", "0.6"}};
    TempHome home;
    ScaledClock clock{kTimeScale};
    BatteryTable types;
    std::unique_ptr<RecordingUi> ui;
    std::unique_ptr<StationRuntime> runtime;
    std::unique_ptr<StartWorkflow> workflow;
    int nicdIndex = -1;
};

} // namespace kapsorel::test
