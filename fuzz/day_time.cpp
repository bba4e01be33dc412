// Date conversion from the fuzzer: any 8 bytes as a day-time (not-numbers, infinities and
// far-off values included) give a calendar date with fields in range.
#include "core/base/day_time.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t at = 0; at + 8 <= size; at += 8) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, data + at, 8);
        const DayTime d = std::bit_cast<double>(bits);
        const LocalDateTime t = fromDayTime(d);
        if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
            t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.millisecond < 0 ||
            t.millisecond > 999)
            std::abort();
        (void)wholeSecondsBetween(d, 45000.0);
        (void)elapsedWholeSeconds(45000.0, d);
    }
    return 0;
}
