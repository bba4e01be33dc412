#include "core/comm/module_jobs.h"

namespace kapsorel {

ModuleJobRunner::ModuleJobRunner(ModuleLink& link) : link_(link), thread_([this] { run(); }) {}

ModuleJobRunner::~ModuleJobRunner()
{
    {
        std::lock_guard g(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void ModuleJobRunner::post(Job job)
{
    {
        std::lock_guard g(mutex_);
        if (stopping_)
            return;
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

std::size_t ModuleJobRunner::pending() const
{
    std::lock_guard g(mutex_);
    return jobs_.size() + running_;
}

void ModuleJobRunner::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = 1;
        lock.unlock();
        try {
            job(link_);
        } catch (...) {
            // A job reports its own failures to whoever posted it; the runner goes on
            // with the next one.
        }
        lock.lock();
        running_ = 0;
    }
}

} // namespace kapsorel
