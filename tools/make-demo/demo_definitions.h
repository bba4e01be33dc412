// The demo station's definitions: a NiCd aircraft battery and a lead battery, a
// capacity test that uses every step type and a short demo run for the simulator, and
// for the lead battery, whose station measures no cell voltages, a capacity test and a
// short demo that end on time, battery voltage and current alone.
#pragma once

#include "core/base/result.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure.h"
#include "core/definitions/procedure_index.h"
#include "core/reports/layout_file.h"

#include <filesystem>
#include <vector>

namespace kapsorel::demo {

constexpr int kCapacityTestNumber = 0;
constexpr int kShortDemoNumber = 1;
constexpr int kLeadCapacityTestNumber = 2;
constexpr int kLeadShortDemoNumber = 3;
constexpr int kCyclingLoopNumber = 4;
constexpr const char* kDemoLayoutFileName = "Protokol.ses";

struct DemoProcedure {
    ProcedureIndexEntry entry;
    Procedure procedure;
};

std::vector<BatteryType> demoBatteryTypes();
std::vector<DemoProcedure> demoProcedures();
// A one-page test report on the demo run's "Konec vybíjení" (its "Rep." number 3).
ReportLayout demoLayout();

// Writes "Postupy/Postupy.idx", the procedure files and "Postupy/Baterie.cfg" under
// `home`, replacing files of those names, and the report layout "Sestavy/Protokol.ses" when the
// station has none of that name.
Status writeDemoDefinitions(const std::filesystem::path& home);

// True when `home` already has any of the demo's definition files (a station whose
// definitions must not be replaced).
bool hasDefinitions(const std::filesystem::path& home);

} // namespace kapsorel::demo
