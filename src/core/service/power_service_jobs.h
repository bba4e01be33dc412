// The service buttons' exchanges with the power module as one job: a series of requests on
// one held exchange, each closing the connection or keeping it as the button does. A series
// that drives the hardware is refused as a whole while a test runs; a failed exchange stops
// the series and closes the connection.
#pragma once

#include "core/comm/module_link.h"
#include "core/service/power_service_requests.h"
#include "core/service/settings_blocks.h"
#include "core/service/write_guard.h"
#include "core/station/run_state.h"

#include <vector>

namespace kapsorel {

struct ServiceStep {
    ModuleCommand command;
    std::uint8_t disconnectAfter = kClose;
};

// The answers in order (fewer than the steps when one failed: its answer is the last, with
// `failure`), or the refusal while a test runs.
Result<std::vector<ServiceAnswer>> runServiceSeries(ModuleLink& power, const SharedRunState& run,
                                                    const std::vector<ServiceStep>& steps);

// The refusal of a request that drives the hardware while a test runs; ok otherwise.
Status driveAllowed(const ModuleCommand& command, const SharedRunState& run);

// A series of one request per step, all keeping the connection but the last.
std::vector<ServiceStep> keptSeries(std::vector<ModuleCommand> commands, bool closeAtEnd = true);

// "  Sekce  " "Načti": "SR" 1000/74 (close); counts above 9 / 7 and non-finite conductances
// refused.
Result<SectionsBlock> readPowerSections(ModuleLink& power);
// "  Sekce  " "Ulož": "SW" 1000/74 parameter 0 (close), once the block is known and passes
// the same checks.
Status writePowerSections(ModuleLink& power, const WriteGate& gate, const SectionsBlock& block);

} // namespace kapsorel
