// Operator lists ("Kapsorel.usr") from the fuzzer: any bytes give whole names without reading
// past the data, and a list written from them reads back to the same bytes.
#include "core/app/user_list.h"

#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto names = parseUserList(std::span<const std::uint8_t>(data, size));
    if (names.size() != size / kUserRecordSize)
        std::abort();
    const auto written = encodeUserList(names);
    if (written.size() != names.size() * kUserRecordSize)
        std::abort();
    const auto again = parseUserList(written);
    if (encodeUserList(again) != written)
        std::abort();
    return 0;
}
