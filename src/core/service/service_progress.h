// The progress callback of the settings window's sequences: called after each exchange with
// the exchanges done so far and the sequence's total.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>

namespace kapsorel {

using ServiceProgress = std::function<void(std::size_t done, std::size_t total)>;

// Counts a sequence's exchanges and reports each to the callback (which may be empty).
class ProgressCounter {
  public:
    ProgressCounter(ServiceProgress progress, std::size_t total) : progress_(std::move(progress)), total_(total) {}
    void step()
    {
        ++done_;
        if (progress_)
            progress_(done_, total_);
    }

  private:
    ServiceProgress progress_;
    std::size_t total_;
    std::size_t done_ = 0;
};

} // namespace kapsorel
