// The operator's Start, resume, Ručně and Stop as one workflow with a starting state. The
// window and the end-to-end tests drive the same calls: a press (GUI thread) takes what
// the panel holds and enters the starting state; the parts that talk to the power module
// run as module jobs; the operator's answer to the resume question is an input; `finish`
// leaves the starting state. While a start is on its way a second press is refused and
// the display rules keep Start, Ručně, the panel and the file items disabled.
#pragma once

#include "core/app/start_battery_test.h"
#include "core/app/station_runtime.h"
#include "core/definitions/battery_type.h"
#include "core/engine/manual_procedure.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace kapsorel {

// What the operator chose when they pressed Start or Ručně: the panel's values and the
// definitions as they were then.
struct StartPlan {
    BatteryTestStartRequest request;
    std::vector<BatteryType> types;
    std::vector<std::pair<std::int16_t, std::string>> procedures; // the procedure index: number, name
};

// The operator's answer to "Proces byl přerušen. Pokračovat?".
enum class ResumeAnswer : std::uint8_t { Resume, NewTest, Cancel };

struct StartOutcome {
    bool started = false;
    bool resumed = false;              // the interrupted test goes on (its tables are kept)
    std::vector<std::string> messages; // to show the operator, in order
};

class StartWorkflow {
  public:
    explicit StartWorkflow(StationRuntime& runtime) : runtime_(runtime) {}
    StartWorkflow(const StartWorkflow&) = delete;
    StartWorkflow& operator=(const StartWorkflow&) = delete;

    // A press was taken and its start has not finished yet.
    bool starting() const { return starting_.load(std::memory_order_acquire); }
    // Start, Ručně, the panel and the file items are disabled: a start is on its way or a run is active.
    bool busy() const { return starting() || runtime_.station().run.runActive(); }

    // --- Start (GUI thread, then jobs on the power module's runner) ---
    // The press: false (and nothing changes) while busy.
    bool beginStart(StartPlan plan);
    // Job: settling and DeltaCurrent reset, "MT". Returns the message to show, else empty.
    std::string runChecks();
    // After the checks: whether the operator is asked whether to resume the interrupted test.
    bool asksToResume() const;
    // Job: the start itself with the operator's answer (ignored when there was no question).
    // Refused when a run is active; the procedure is resolved only after that check.
    StartOutcome runStart(ResumeAnswer answer);

    // --- Resume offered when the program starts (the interrupted-test check's Ano) ---
    bool beginResume(StartPlan plan, std::uint8_t step);
    StartOutcome runResume();

    // --- Ručně ---
    bool beginManual(StartPlan plan, const ManualRun& manual);
    StartOutcome runManual();

    // Leaves the starting state (GUI thread, after the outcome has been shown). A run that
    // did not start leaves no trace of the attempt.
    void finish();

    // Stop confirmed by the operator: true when the run was aborted; false when it could
    // not be (no run, or already ending), and then nothing changes.
    bool stop();

    // The whole of a Start on the calling thread, as the window does it with its jobs;
    // `answer` is asked only for an interrupted test. For tests and tools.
    StartOutcome startNow(StartPlan plan, const std::function<ResumeAnswer()>& answer = {});
    // The whole of the resume offered at program start, on the calling thread.
    StartOutcome resumeNow(StartPlan plan, std::uint8_t step);
    // The whole of a Ručně on the calling thread.
    StartOutcome manualNow(StartPlan plan, const ManualRun& manual);

  private:
    enum class Kind : std::uint8_t { Start, Resume, Manual };

    bool begin(Kind kind, StartPlan plan);
    StartOutcome startNew(const StartPlan& plan);
    StartOutcome resumeAt(const StartPlan& plan, std::uint8_t step);

    StationRuntime& runtime_;
    std::atomic<bool> starting_{false};
    // Written by a press on the GUI thread, read by the jobs it posts afterwards.
    std::mutex planMutex_;
    Kind kind_ = Kind::Start;
    StartPlan plan_;
    ManualRun manual_;
    std::uint8_t resumeStep_ = 0;
};

} // namespace kapsorel
