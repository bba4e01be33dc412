// What each display refresh takes from the recorder into the data and steps tables: every
// sample appended since the last pass, then DeltaCurrent recomputed once and put into the
// live values (the engine's end conditions read it), and the row of a step that started
// (handed over by the display refresh, which takes the engine's step mark).
#pragma once

#include "core/app/station_runtime.h"
#include "core/records/sample_table.h"
#include "core/records/step_table.h"

#include <cstddef>
#include <optional>

namespace kapsorel {

struct SampleFeedResult {
    std::size_t added = 0;
    // DeltaCurrent as put into the live values; unset when nothing was added.
    std::optional<float> deltaCurrent;
};

// Samples on the test's time axis (interruptions excluded); the current step's index is
// bounded by the procedure as every reader of the steps does.
SampleFeedResult feedNewSamples(StationRuntime& runtime, SampleTable& samples);

// The row of step `step`, whose start the engine marked; false when the test has no such
// step.
bool feedStepRow(StationRuntime& runtime, StepTable& steps, std::uint8_t step);

} // namespace kapsorel
