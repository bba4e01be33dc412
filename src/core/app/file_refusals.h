// Why "Otevři" and "Ulož" refuse before asking for a file name; each text is defined once
// with the test file's other messages.
#pragma once

#include "core/records/battery_test_file.h"

#include <optional>
#include <string>

namespace kapsorel {

// "Otevři" during a run.
std::optional<std::string> openRefusal(bool runActive);
// "Ulož" with no test file, with its file gone from the disk, or during a run.
std::optional<std::string> saveRefusal(const BatteryTestFile& file, bool runActive);

} // namespace kapsorel
