// Name of a new test file: "T_" + battery number + "_" + YYYYMMDDhhmm of the test start + ".tst";
// when that name is taken (a second start within the minute), the next free one of
// "..._2.tst", "..._3.tst", ... so an existing test's file is never replaced.
#pragma once

#include "core/base/day_time.h"

#include <string>

namespace kapsorel {

// Characters that cannot stand in a file name (path separators, wildcards, controls)
// are replaced by '_' so that a battery number never leads out of the data folder.
// `serial` 0 is the plain name, serial k > 0 the name with the suffix "_<k + 1>".
std::string testFileName(const std::string& batteryNumber, DayTime start, int serial = 0);

} // namespace kapsorel
