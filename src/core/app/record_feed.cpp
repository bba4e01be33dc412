#include "core/app/record_feed.h"

#include "core/base/atomic_order.h"

namespace kapsorel {

namespace {

} // namespace

SampleFeedResult feedNewSamples(StationRuntime& runtime, SampleTable& samples)
{
    Station& station = runtime.station();
    const std::vector<SampleRecord> taken = runtime.testFile().takeNewSamples();
    if (taken.empty())
        return {};
    const BatteryTestHeader header = runtime.testFile().header();
    const std::uint32_t interruptions = station.run.totalInterruptionSeconds.load(kRelaxed);
    for (const SampleRecord& sample : taken)
        samples.add(sample, testAxisSeconds(header.start, sample.time, interruptions));

    const float delta = deltaCurrentOfStep(samples, runtime.procedure(), station.run.currentStep.load(kRelaxed),
                                           runtime.currentChangeSeconds(), station.live.current.load(kRelaxed));
    station.live.deltaCurrent.store(delta, kRelaxed);
    return SampleFeedResult{taken.size(), delta};
}

bool feedStepRow(StationRuntime& runtime, StepTable& steps, std::uint8_t step)
{
    const auto result = runtime.testFile().stepResult(step);
    if (!result)
        return false;
    steps.addStep(step, *result, runtime.testFile().header().start, false);
    return true;
}

} // namespace kapsorel
