// A clock on which time runs `scale` times faster than real time: sleeps are shortened
// and the date-time advances accordingly. End-to-end tests run a whole station on it
// (with the simulator's battery at the same scale) so a test of minutes takes seconds.
#pragma once

#include "core/base/clock.h"

#include <chrono>
#include <thread>

namespace kapsorel::test {

class ScaledClock final : public Clock {
  public:
    explicit ScaledClock(double scale)
        : scale_(scale), startDay_(SystemClock::instance().now()), start_(std::chrono::steady_clock::now())
    {
    }

    DayTime now() override { return startDay_ + static_cast<double>(monotonicMs()) / 86400000.0; }
    long long monotonicMs() override
    {
        const auto real = std::chrono::steady_clock::now() - start_;
        return static_cast<long long>(std::chrono::duration<double, std::milli>(real).count() * scale_);
    }
    void sleepMs(int ms) override
    {
        if (ms > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long long>(ms * 1000.0 / scale_)));
    }

  private:
    double scale_;
    DayTime startDay_;
    std::chrono::steady_clock::time_point start_;
};

} // namespace kapsorel::test
