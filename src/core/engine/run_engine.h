// TH_RUN's loop body: the state machine that runs a prepared procedure step by step,
// drives the power module, counts ampere-hours and records the run.
#pragma once

#include "core/base/clock.h"
#include "core/definitions/run_procedure.h"
#include "core/engine/condition_evaluator.h"
#include "core/engine/run_recorder.h"
#include "core/station/power_commands.h"
#include "core/station/station.h"
#include "core/station/ui_bridge.h"

#include <functional>
#include <set>
#include <string>

namespace kapsorel {

// What the power module was last told.
enum class DriveMode : std::uint8_t { Charging = 0, Discharging = 1, Neither = 3 };

// A signalling step's value as whole seconds: nearest integer, halves to even, low 8 bits.
std::uint8_t signalSeconds(float value);

class RunEngine {
  public:
    RunEngine(Station& station, const RunProcedure& procedure, RunRecorder& recorder, ConditionEvaluator& conditions,
              PowerCommands& power, UiBridge& ui, Clock& clock, std::function<bool()> keepRunning);

    // One pass: handles the states in the order 1, 2, 3, 4, 5, 6, 7, 0.
    void pass();

    DriveMode driveMode() const { return driveMode_; }
    bool integrating() const { return integrating_; }
    bool proceed() const { return proceed_; }

  private:
    void start();
    void stepStart();
    void stepRunning();
    void runEnd();
    void stepDone();
    void procedureEnd();
    void abortRun();

    void performAction(const RunStep& step);
    void integrate(DayTime t);
    DayTime addSeconds(DayTime t, double seconds) const { return t + seconds / kSecondsPerDay; }
    bool inPhase(RunPhase p) const { return station_.run.phase() == p; }
    bool moveTo(RunPhase from, RunPhase to) { return station_.run.transition(from, to); }
    // Reports a failed write or command once per kind per run; the run goes on.
    void report(const Status& st, const char* kind);

    Station& station_;
    const RunProcedure& procedure_;
    RunRecorder& recorder_;
    ConditionEvaluator& conditions_;
    PowerCommands& power_;
    UiBridge& ui_;
    Clock& clock_;
    std::function<bool()> keepRunning_;

    DriveMode driveMode_ = DriveMode::Neither;
    bool integrating_ = false;
    DayTime lastIntegration_ = 0;
    DayTime nextRecordTime_ = 0;
    bool proceed_ = true;
    std::uint8_t recordedStep_ = 0;
    // Condition time of the current step's last sample written, 0 when none.
    DayTime sampledAt_ = 0;
    std::set<std::string> reported_;
};

} // namespace kapsorel
