// Long test files for benchmarks and tests, written the way the station writes one: the
// recorder creates the file and records every step, and the samples are encoded by the
// recorder's own record writer (appended in bulk, since the recorder syncs each sample).
#pragma once

#include "core/base/day_time.h"
#include "core/definitions/run_procedure.h"
#include "core/records/battery_test_records.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

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

// The samples of a test, index by index in file order.
using SampleAt = std::function<SampleRecord(std::size_t index)>;

// What a step of the procedure says as it starts ("Tisk", "Rep.", type, description);
// by default "Krok <n>" and nothing else.
using StepSetup = std::function<void(std::uint8_t step, RunStep& runStep)>;

// Writes a test to `path` (replacing it): the recorder creates the file with `header` and
// `family`, then `count` samples from `sampleAt` follow, and every step that has samples
// is recorded as started (performed) at its first sample's time and ended, except the step
// of the last sample (the test is still in it); steps without samples stay not started.
// Throws std::runtime_error with the recorder's message when it refuses.
void writeTestFile(const std::filesystem::path& path, const BatteryTestHeader& header, std::uint8_t family,
                   std::size_t count, const SampleAt& sampleAt, const StepSetup& stepSetup = {});

// writeTestFile with the spec's header and samples.
void writeLongTestFile(const std::filesystem::path& path, const LongTestSpec& spec = {});

} // namespace kapsorel::test
