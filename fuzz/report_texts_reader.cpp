// Report texts files ("Texty.cfg") from the fuzzer: the reader must refuse or accept
// without reading past the data, and what it accepts must write and read back stably.
#include "core/reports/report_texts.h"

#include <cstdlib>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto parsed = parseReportTexts(std::span<const std::uint8_t>(data, size));
    if (!parsed)
        return 0;
    auto written = encodeReportTexts(parsed.value());
    if (!written)
        std::abort();
    auto again = parseReportTexts(written.value());
    if (!again || encodeReportTexts(again.value()).value() != written.value())
        std::abort();
    // Every accepted text goes through the grid's cells and back unchanged.
    for (const ReportText& t : again.value()) {
        auto cells = reportTextFromCells(reportTextCells(t));
        if (!cells || !(cells.value() == t))
            std::abort();
    }
    return 0;
}
