// Procedure index images from the fuzzer: refuse or accept without reading past the
// data; accepted entries write and read back stably.
#include "core/definitions/procedure_index.h"

#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto parsed = parseProcedureIndex(std::span<const std::uint8_t>(data, size));
    if (!parsed)
        return 0;
    const auto written = serializeProcedureIndex(parsed.value());
    if (written.size() != parsed->size() * kIndexEntrySize)
        std::abort();
    auto again = parseProcedureIndex(written);
    if (!again || serializeProcedureIndex(again.value()) != written)
        std::abort();
    return 0;
}
