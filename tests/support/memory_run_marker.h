// The RunMarker fake: the configuration's "RUN" section kept in memory, optionally
// failing to store.
#pragma once

#include "core/records/run_marker.h"

#include <string>

namespace kapsorel::test {

class MemoryRunMarker final : public RunMarker {
  public:
    LastTest lastTest() const override { return last; }
    Status markTest(const std::string& path, int completed) override
    {
        if (fail)
            return Error{"Konfiguraci nelze uložit"};
        last.path = path;
        last.completed = completed;
        ++writes;
        return {};
    }

    LastTest last;
    bool fail = false; // markTest refuses, as a configuration that cannot be saved
    int writes = 0;    // markTest calls that stored
};

} // namespace kapsorel::test
