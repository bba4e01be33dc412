// The four long-lived worker threads (measurement poll, power poll, run engine,
// display refresh): each loops its pass while its keep-running flag is set and sets
// its ended flag as its last action. Also the exit sequence with its shutdown log.
#pragma once

#include "core/base/clock.h"
#include "core/station/run_state.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace kapsorel {

// "Chyba vlákna " + log name + ": " + the failure's text.
std::string workerFailureMessage(const std::string& logName, const std::string& what);

class Worker {
  public:
    using Pass = std::function<void()>;
    // Tells the user of a failed pass (the text of workerFailureMessage); called on the
    // worker's own thread.
    using FailureReport = std::function<void(const std::string& message)>;
    // Distinct failures reported per worker at most; later new ones are only counted.
    static constexpr std::size_t kMaxReportedFailures = 8;

    explicit Worker(std::string logName) : logName_(std::move(logName)) {}
    ~Worker();
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Sets keep-running and starts the thread, which runs `pass` until keep-running
    // is cleared. A pass that throws is caught, counted, and the loop goes on after a
    // 100 ms pause; the first failure of each kind (the exception's text) goes to
    // `report`, so a broken pass is never silent and a repeating one is told once. An
    // empty pass idles 100 ms per loop. Does nothing when already started.
    void start(Pass pass, FailureReport report = {});
    void requestStop() { keepRunning_.store(false); }
    bool keepRunning() const { return keepRunning_.load(); }
    // True before start and after the thread's last action.
    bool ended() const { return ended_.load(); }
    // Waits for the thread to end; only call after ended() or requestStop().
    void join();

    const std::string& logName() const { return logName_; }
    // Passes that ended by an exception so far.
    std::uint32_t failedPasses() const { return failedPasses_.load(); }

  private:
    void run(Pass pass, FailureReport report);
    void passFailed(const std::string& what, const FailureReport& report);

    std::string logName_;
    std::atomic<bool> keepRunning_{false};
    std::atomic<bool> ended_{true};
    std::atomic<std::uint32_t> failedPasses_{0};
    std::set<std::string> reportedFailures_; // the worker thread's own
    std::thread thread_;
};

// The station's four workers, started in the order TH_MEA, TH_VYK, TH_RUN, TH_SYNC.
class Workers {
  public:
    struct Passes {
        Worker::Pass mea;  // measurement module status poll
        Worker::Pass vyk;  // power module status poll
        Worker::Pass run;  // run engine
        Worker::Pass sync; // display refresh
    };

    Workers() = default;
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // `report` takes the first failure of each kind of every worker (see Worker::start).
    void start(Passes passes, const Worker::FailureReport& report = {});

    // Clears keep-running of the display refresh, run engine, measurement poll and
    // power poll, in that order.
    void requestStop();

    // The exit sequence, once (later calls return at once): rewrite the log at `logPath`
    // (empty, or when it cannot be created: no log, and everything else still happens),
    // write "Konec:", clear the keep-running flags again, then wait for the run engine,
    // measurement poll, power poll and display refresh to end in that order, checking
    // every 100 ms without a time limit and calling `waitHook` between checks (the GUI
    // processes its events there, so a worker inside a call into the GUI can finish),
    // and write each one's log name when it has ended. Each log line is flushed at once.
    void shutdown(const std::filesystem::path& logPath, const std::function<void()>& waitHook,
                  Clock& clock = SystemClock::instance());

    Worker TH_MEA{"Mea_th"};
    Worker TH_VYK{"Vyk_th"};
    Worker TH_RUN{"Run_th"};
    Worker TH_SYNC{"Sync_th"};

  private:
    std::atomic<bool> shutDown_{false};
};

constexpr const char* kRunActiveRefusal = "Proces je spuštěn, nelze ukončit";

// The close request: refused with the message while a test runs (RunState not 0).
std::optional<std::string> closeRefusal(RunPhase phase);

} // namespace kapsorel
