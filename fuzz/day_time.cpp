// Date conversion from the fuzzer: any 8 bytes as a day-time (not-numbers, infinities and
// far-off values included) convert without undefined behaviour.
#include "core/base/day_time.h"

#include <bit>
#include <cstdint>
#include <cstring>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t at = 0; at + 8 <= size; at += 8) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, data + at, 8);
        const DayTime d = std::bit_cast<double>(bits);
        (void)fromDayTime(d);
        (void)wholeSecondsBetween(d, 45000.0);
        (void)elapsedWholeSeconds(45000.0, d);
    }
    return 0;
}
