// What loading or saving a definitions file has to tell the user: whether it failed
// as a whole, and remarks about single records that were still taken.
#pragma once

#include "core/base/result.h"

#include <string>
#include <vector>

namespace kapsorel {

struct FileReport {
    Status status;                     // failed: nothing was loaded or written
    std::vector<std::string> warnings; // records taken or written with a remark

    bool ok() const { return status.ok(); }
    explicit operator bool() const { return ok(); }
};

} // namespace kapsorel
