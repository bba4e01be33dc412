// A module's job runner: the windows' exchanges with a module (one, or a sequence that
// belongs together) run here, one job after another on the runner's own thread, so the
// user-interface thread never waits for a module. The caller learns the outcome from the
// job itself (the Qt side queues it back to the window).
#pragma once

#include "core/comm/module_link.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kapsorel {

class ModuleJobRunner {
  public:
    using Job = std::function<void(ModuleLink&)>;

    explicit ModuleJobRunner(ModuleLink& link);
    // Lets the running job finish (its exchanges have time limits) and drops the queued ones.
    ~ModuleJobRunner();
    ModuleJobRunner(const ModuleJobRunner&) = delete;
    ModuleJobRunner& operator=(const ModuleJobRunner&) = delete;

    // Queues `job`; it runs on the runner's thread with the module's link.
    void post(Job job);
    // Jobs queued or running.
    std::size_t pending() const;

  private:
    void run();

    ModuleLink& link_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::thread thread_; // last: starts once everything above exists
};

} // namespace kapsorel
