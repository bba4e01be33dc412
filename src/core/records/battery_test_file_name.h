// Name of a new test file: "T_" + battery number + "_" + YYYYMMDDhhmm of the test start + ".tst".
#pragma once

#include "core/base/day_time.h"

#include <string>

namespace kapsorel {

// Characters that cannot stand in a file name (path separators, wildcards, controls)
// are replaced by '_' so that a battery number never leads out of the data folder.
std::string testFileName(const std::string& batteryNumber, DayTime start);

} // namespace kapsorel
