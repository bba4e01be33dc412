// A file store that writes to the disk like the station's, but can be told to hold the
// next write in its sync until released, as a data folder on a slow network share does.
#pragma once

#include "core/base/atomic_file.h"
#include "core/base/files.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kapsorel::test {

class HoldingFileStore final : public FileStore {
  public:
    // The next write (in place, of a whole file or a copy) stays in its sync until release() (at
    // most a minute).
    void holdNextWrite()
    {
        std::lock_guard lock(mutex_);
        armed_ = true;
    }
    // Waits until a write is held, at most `limit`; false when none came.
    bool waitUntilHeld(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return held_; });
    }
    bool holding() const
    {
        std::lock_guard lock(mutex_);
        return held_;
    }
    // Lets a held write return (and disarms a hold that has not caught one yet).
    void release()
    {
        std::lock_guard lock(mutex_);
        armed_ = false;
        released_ = true;
        changed_.notify_all();
    }

    Status writeAt(const std::filesystem::path& path, std::uint64_t offset,
                   const std::vector<std::uint8_t>& data) override
    {
        const Status st = writeAtSynced(path, offset, data);
        holdIfArmed();
        return st;
    }
    Status replace(const std::filesystem::path& path, const std::vector<std::uint8_t>& data, Clock& clock) override
    {
        const Status st = writeFileRetrying(path, data, clock);
        holdIfArmed();
        return st;
    }
    Result<std::vector<std::uint8_t>> read(const std::filesystem::path& path, Clock& clock) override
    {
        return readFileRetrying(path, clock);
    }
    Status copy(const std::filesystem::path& source, const std::filesystem::path& target, Clock& clock,
                std::span<const std::uint8_t> head, std::uint64_t length) override
    {
        const Status st = copyFileReplacing(source, target, clock, head, length);
        holdIfArmed();
        return st;
    }

  private:
    void holdIfArmed()
    {
        std::unique_lock lock(mutex_);
        if (!armed_)
            return;
        armed_ = false;
        released_ = false;
        held_ = true;
        changed_.notify_all();
        // A test that fails before it releases must not leave the writer waiting for ever.
        changed_.wait_for(lock, kHoldLimit, [this] { return released_; });
        held_ = false;
    }

    static constexpr std::chrono::seconds kHoldLimit{60};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool held_ = false;
    bool released_ = false;
};

} // namespace kapsorel::test
