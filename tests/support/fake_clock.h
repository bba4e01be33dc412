// A clock that only moves when told to; sleeps advance it at once.
#pragma once

#include "core/base/clock.h"

#include <atomic>

namespace kapsorel::test {

class FakeClock final : public Clock {
  public:
    explicit FakeClock(DayTime start = 46000.5) : startDay_(start) {}

    DayTime now() override { return startDay_ + static_cast<double>(ms_.load()) / 86400000.0; }
    long long monotonicMs() override { return ms_.load(); }
    void sleepMs(int ms) override
    {
        ms_ += ms;
        sleeps_ += 1;
        sleptMs_ += ms;
    }

    void advanceMs(long long ms) { ms_ += ms; }
    int sleeps() const { return sleeps_.load(); }
    long long sleptMs() const { return sleptMs_.load(); }

  private:
    DayTime startDay_;
    std::atomic<long long> ms_{0};
    std::atomic<int> sleeps_{0};
    std::atomic<long long> sleptMs_{0};
};

} // namespace kapsorel::test
