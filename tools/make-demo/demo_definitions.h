// The demo station's definitions: a NiCd aircraft battery and a lead battery, a
// capacity test that uses every step type, and a short demo run for the simulator.
#pragma once

#include <filesystem>
#include <vector>

#include "core/base/result.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"
#include "core/definitions/procedure_index.h"

namespace kapsorel::demo {

constexpr int kCapacityTestNumber = 0;
constexpr int kShortDemoNumber = 1;

struct DemoProcedure {
    ProcedureIndexEntry entry;
    Procedure procedure;
};

std::vector<BatteryType> demoBatteryTypes();
std::vector<DemoProcedure> demoProcedures();

// Writes "Postupy/Postupy.idx", the procedure files and "Postupy/Baterie.cfg" under
// `home`, replacing files of those names.
Status writeDemoDefinitions(const std::filesystem::path& home);

}  // namespace kapsorel::demo
