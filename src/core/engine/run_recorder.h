// What the run engine needs from the test file: the records it writes during a run and
// the two times it reads back. Implemented by the test file recorder; tests fake it.
#pragma once

#include "core/base/day_time.h"
#include "core/base/result.h"

#include <cstdint>

namespace kapsorel {

// What the test file keeps of a step's start: its date-time (0 = never started) and
// whether its action was performed (its start condition held).
struct StoredStepStart {
    DayTime start = 0;
    bool performed = true;
};

class RunRecorder {
  public:
    virtual ~RunRecorder() = default;

    // Start of the test as stored in the test file's header.
    virtual DayTime testStart() const = 0;
    // The start stored in the step's result record (a resumed step keeps it).
    virtual StoredStepStart storedStepStart(std::uint8_t step) const = 0;

    // The current step has started (proceed: its start condition held); sets the step mark.
    virtual Status recordStepStart(bool proceed) = 0;
    virtual Status recordStepEnd(std::uint8_t recordedStep, bool proceed) = 0;
    virtual Status appendSample() = 0;
    // A last sample and an interruption marker carrying the stop reason; the marker alone
    // when `withSample` is false (the sample of this instant is in the file already).
    virtual Status recordInterruption(bool withSample) = 0;
    // The test is complete: marked so in the configuration and archived.
    virtual Status recordCompletion() = 0;
};

} // namespace kapsorel
