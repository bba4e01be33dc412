// The four-step procedure of a manual charge or discharge ("Nabíjet" / "Vybíjet"),
// written over the prepared procedure in place.
#pragma once

#include "core/definitions/run_procedure.h"

#include <cstdint>

namespace kapsorel {

struct ManualRun {
    bool discharge = false;       // "Vybíjet"; otherwise "Nabíjet"
    float voltage = 36.0f;        // ss_nap, V (charging only)
    float current = 1.0f;         // ss_proud, A
    std::uint16_t period = 60;    // ss_perioda, s
    std::uint32_t seconds = 3600; // ss_cas, s
};

// Writes the fields a manual run uses and clears the print and report numbers and the
// descriptions of its four steps; condition terms past a step's last one are not read.
void buildManualProcedure(RunProcedure& procedure, const ManualRun& manual);

} // namespace kapsorel
