// "Baterie.cfg" images from the fuzzer: refuse or accept without reading past the
// data; accepted types write and read back stably.
#include "core/definitions/battery_type.h"
#include "core/definitions/variables_list.h"

#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto parsed = parseBatteryFile(std::span<const std::uint8_t>(data, size));
    if (!parsed)
        return 0;
    auto written = serializeBatteryFile(parsed->types);
    if (!written)
        std::abort();
    auto again = parseBatteryFile(written.value());
    if (!again || serializeBatteryFile(again->types).value() != written.value())
        std::abort();
    (void)buildVariablesList(parsed->types);
    return 0;
}
