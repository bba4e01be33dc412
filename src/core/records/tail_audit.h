// A check of a test file's tail for service and the long-run scripts: how many records of
// each kind it holds, and the faults a crash or a resume could leave in it (sample times
// repeated or going back, a gap longer than the record interval where the test was not
// interrupted, a resume record out of its place).
#pragma once

#include "core/base/result.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace kapsorel {

struct TailAudit {
    std::size_t samples = 0;
    std::size_t markers = 0;
    std::size_t resumes = 0;
    std::size_t refused = 0;       // records naming a step the test does not have
    std::size_t trailingBytes = 0; // an incomplete last record
    // Samples not later than the sample before them (written twice or time going back).
    std::size_t timesNotAfterPrevious = 0;
    // Resume records whose interruption time is before the last sample before them, whose
    // resume time is before their interruption time, or after which the next sample is
    // earlier than the resume.
    std::size_t misplacedResumes = 0;
    // The longest time between two samples with no resume record between them, seconds.
    double longestGapSeconds = 0.0;

    bool sound() const { return refused == 0 && timesNotAfterPrevious == 0 && misplacedResumes == 0; }
};

// The audit of a whole test file held in memory; a file whose fixed part cannot be read
// is refused with the reader's message.
Result<TailAudit> auditTestFile(std::span<const std::uint8_t> file);

} // namespace kapsorel
