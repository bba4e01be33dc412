// A long test file for benchmarks and tests, written the way the station writes one: the
// recorder creates the file and records every step, and the samples are encoded by the
// recorder's own record writer (appended in bulk, since the recorder syncs each sample).
#pragma once

#include "core/base/day_time.h"
#include "core/records/battery_test_records.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace kapsorel::test {

struct LongTestSpec {
    std::size_t samples = 1'000'000;
    std::uint8_t steps = 1;    // samples spread evenly over the steps, in order
    double secondsApart = 1.0; // between two samples
    std::uint8_t family = 0;   // 0 NiCd (cells shown), 1 Pb
    DayTime start = 45356.25;
};

// The i-th sample of the file: voltage, current and the 20 cells wander so that every
// decimation bucket differs; capacity grows with the time.
SampleRecord longTestSample(const LongTestSpec& spec, std::size_t i);

// The header the file carries (station "Stanice 1", procedure "Dlouhý test", battery "B1").
BatteryTestHeader longTestHeader(const LongTestSpec& spec);

// Writes the test to `path` (replacing it): every step started and performed, all but the
// last one ended (the test is still in its last step), then the samples. Throws
// std::runtime_error with the recorder's message when it refuses.
void writeLongTestFile(const std::filesystem::path& path, const LongTestSpec& spec = {});

} // namespace kapsorel::test
