#include "core/base/clock.h"

#include <chrono>
#include <thread>

namespace kapsorel {

DayTime SystemClock::now()
{
    return toDayTime(std::chrono::system_clock::now());
}

long long SystemClock::monotonicMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SystemClock::sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

SystemClock& SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}

} // namespace kapsorel
