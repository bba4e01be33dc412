// Procedure file images from the fuzzer: the reader must refuse or accept without
// reading past the data, and what it accepts must write and read back stably.
#include "core/definitions/condition_text.h"
#include "core/definitions/prepare_run.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/value_text.h"

#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto parsed = parseProcedure(std::span<const std::uint8_t>(data, size));
    if (!parsed)
        return 0;
    auto written = serializeProcedure(parsed.value());
    if (!written)
        std::abort();
    auto again = parseProcedure(written.value());
    if (!again || serializeProcedure(again.value()).value() != written.value())
        std::abort();
    for (const auto& step : parsed->steps) {
        (void)formatValueText(step.value1, nullptr);
        (void)ConditionText(step, kStartCondition, nullptr);
        (void)ConditionText(step, kEndCondition, nullptr);
    }
    RunProcedure run;
    LoadError err;
    prepareRun(parsed.value(), {}, -1, run, err);
    return 0;
}
