// Time source of the workers and file helpers; tests pass a fake one.
#pragma once

#include "core/base/day_time.h"

namespace kapsorel {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local date-time now.
    virtual DayTime now() = 0;
    // Monotonic milliseconds since an arbitrary start.
    virtual long long monotonicMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

class SystemClock final : public Clock {
  public:
    DayTime now() override;
    long long monotonicMs() override;
    void sleepMs(int ms) override;

    static SystemClock& instance();
};

} // namespace kapsorel
