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

    const std::uint8_t stepIndex = station.run.currentStep.load(kRelaxed);
    const RunProcedure& procedure = runtime.procedure();
    float delta = kDeltaCurrentUnavailable;
    if (stepIndex < kMaxSteps && stepIndex < procedure.stepCount) {
        const RunStep& step = procedure.steps[stepIndex];
        delta = deltaCurrentFromTable(samples, DeltaCurrentStep{stepIndex, step.type, step.recordInterval, step.value1},
                                      runtime.currentChangeSeconds(), station.live.current.load(kRelaxed));
    }
    station.live.deltaCurrent.store(delta, kRelaxed);
    return SampleFeedResult{taken.size(), delta};
}

bool feedStepRow(StationRuntime& runtime, StepTable& steps)
{
    const std::uint8_t mark = runtime.station().run.stepMark.load(kRelaxed);
    if (mark == kNoStepMark)
        return false;
    const auto result = runtime.testFile().stepResult(mark);
    if (!result)
        return false;
    steps.addStep(mark, *result, runtime.testFile().header().start, false);
    return true;
}

} // namespace kapsorel
