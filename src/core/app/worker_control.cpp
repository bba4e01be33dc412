#include "core/app/worker_control.h"

#include "core/base/atomic_file.h"

#include <chrono>
#include <exception>

namespace kapsorel {

namespace {

constexpr int kIdleMs = 100;
constexpr int kWaitCheckMs = 100;

// The shutdown log: every line goes out at once (the whole log saved again through the
// atomic writer, so a link planted at its name leads nowhere and a reader never sees half a
// log), and a hang later still shows how far the exit came. A log that cannot be created is
// simply off.
class ShutdownLog {
  public:
    explicit ShutdownLog(std::filesystem::path path) : path_(std::move(path)) {}

    void line(const std::string& text)
    {
        if (path_.empty())
            return;
        text_ += text;
        text_ += '\n';
        if (!replaceFile(path_, std::span(reinterpret_cast<const std::uint8_t*>(text_.data()), text_.size())))
            path_.clear();
    }

  private:
    std::filesystem::path path_;
    std::string text_;
};

} // namespace

std::string workerFailureMessage(const std::string& logName, const std::string& what)
{
    return "Chyba vlákna " + logName + ": " + what;
}

Worker::~Worker()
{
    requestStop();
    join();
}

void Worker::start(Pass pass, FailureReport report)
{
    if (thread_.joinable())
        return;
    keepRunning_.store(true);
    ended_.store(false);
    thread_ = std::thread(&Worker::run, this, std::move(pass), std::move(report));
}

void Worker::join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void Worker::passFailed(const std::string& what, const FailureReport& report)
{
    failedPasses_.fetch_add(1);
    if (!report || reportedFailures_.size() >= kMaxReportedFailures || !reportedFailures_.insert(what).second)
        return;
    try {
        report(workerFailureMessage(logName_, what));
    } catch (...) {
        // Telling the user must not end the worker either.
    }
}

void Worker::run(Pass pass, FailureReport report)
{
    ended_.store(false);
    while (keepRunning_.load()) {
        if (!pass) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMs));
            continue;
        }
        // A failed pass never ends the worker; the pause keeps a persistent fault from
        // spinning.
        try {
            pass();
            continue;
        } catch (const std::exception& e) {
            passFailed(e.what(), report);
        } catch (...) {
            passFailed("neznámá výjimka", report);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleMs));
    }
    pass = nullptr; // whatever the pass and the report hold goes before the thread reports its end
    report = nullptr;
    ended_.store(true);
}

Workers::~Workers()
{
    requestStop();
    TH_RUN.join();
    TH_MEA.join();
    TH_VYK.join();
    TH_SYNC.join();
}

void Workers::start(Passes passes, const Worker::FailureReport& report)
{
    TH_MEA.start(std::move(passes.mea), report);
    TH_VYK.start(std::move(passes.vyk), report);
    TH_RUN.start(std::move(passes.run), report);
    TH_SYNC.start(std::move(passes.sync), report);
}

void Workers::requestStop()
{
    TH_SYNC.requestStop();
    TH_RUN.requestStop();
    TH_MEA.requestStop();
    TH_VYK.requestStop();
}

void Workers::shutdown(const std::filesystem::path& logPath, const std::function<void()>& waitHook, Clock& clock)
{
    if (shutDown_.exchange(true))
        return;
    ShutdownLog log(logPath);
    log.line("Konec:");
    requestStop();
    for (Worker* w : {&TH_RUN, &TH_MEA, &TH_VYK, &TH_SYNC}) {
        while (!w->ended()) {
            if (waitHook)
                waitHook();
            clock.sleepMs(kWaitCheckMs);
        }
        w->join();
        log.line(w->logName());
    }
}

std::optional<std::string> closeRefusal(RunPhase phase)
{
    if (phase != RunPhase::Idle)
        return std::string(kRunActiveRefusal);
    return std::nullopt;
}

} // namespace kapsorel
