// Feeds arbitrary bytes to the test-file reader: the head, every tail record, and the
// tables an opened file fills.
#include "core/records/battery_test_reader.h"

#include "core/records/sample_table.h"
#include "core/records/step_table.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kapsorel;
    const std::span<const std::uint8_t> file(data, size);
    auto read = readTestFile(file);
    if (!read)
        return 0;
    const BatteryTestFileHead& head = read->head;
    if (head.steps.size() != head.header.stepCount || head.layout.tailEnd() > size)
        __builtin_trap();

    SampleTable samples;
    StepTable steps;
    for (const TailRecord& rec : read->tail) {
        if (const auto* s = std::get_if<SampleRecord>(&rec)) {
            if (s->step >= head.steps.size())
                __builtin_trap();
            samples.add(*s, wholeSecondsBetween(head.header.start, s->time));
        } else if (const auto* e = std::get_if<ResumeEntry>(&rec)) {
            if (e->step >= head.steps.size())
                __builtin_trap();
        }
    }
    for (std::size_t i = 0; i < samples.size(); ++i)
        for (int c = 0; c < sample_col::kCount; ++c)
            (void)samples.shown(i, c);
    for (std::size_t i = 0; i < head.steps.size(); ++i)
        if (head.steps[i].start > 0.0)
            steps.addStep(static_cast<std::uint8_t>(i), head.steps[i], head.header.start, true);
    (void)deltaCurrentFromTable(samples, DeltaCurrentStep{0, kChargeStepType, 10, 28.8f}, 300, 1.0f);
    return 0;
}
