// The shared long test file that benchmarks open: what the readers find in it is what
// the generator says it wrote.
#include "core/records/battery_test_reader.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

namespace kapsorel::test {
namespace {

TEST(LongTestFile, ReadsBackAsWrittenWithEveryStepStarted)
{
    TempHome home;
    const LongTestSpec spec{.samples = 5000, .steps = 3, .secondsApart = 10.0, .family = 1};
    writeLongTestFile(home / "long.tst", spec);
    const auto file = readTestFile(home.readBytes("long.tst"));
    ASSERT_TRUE(file.ok()) << file.error();
    EXPECT_EQ(file->head.header, longTestHeader(spec));
    EXPECT_EQ(file->head.layout.family, 1);
    ASSERT_EQ(file->head.steps.size(), 3u);
    EXPECT_EQ(file->head.steps[0].status, test_file_layout::kEndedPerformed);
    EXPECT_EQ(file->head.steps[1].status, test_file_layout::kEndedPerformed);
    EXPECT_EQ(file->head.steps[2].status, test_file_layout::kStartedPerformed);
    ASSERT_EQ(file->tail.size(), spec.samples);
    std::uint8_t lastStep = 0;
    for (std::size_t i = 0; i < spec.samples; ++i) {
        const auto* s = std::get_if<SampleRecord>(&file->tail[i]);
        ASSERT_NE(s, nullptr) << i;
        ASSERT_EQ(*s, longTestSample(spec, i)) << i;
        EXPECT_GE(s->step, lastStep);
        lastStep = s->step;
    }
    EXPECT_EQ(lastStep, 2);
    // Each step started with its first sample.
    EXPECT_EQ(file->head.steps[1].start, longTestSample(spec, spec.samples / 3 + 1).time);
    EXPECT_FALSE(std::filesystem::exists(home / ".long.tst.new"));
}

TEST(LongTestFile, StepsWithoutSamplesStayNotStartedAndTheLastSamplesStepRuns)
{
    TempHome home;
    BatteryTestHeader header;
    header.stepCount = 4;
    header.start = 45000.5;
    header.batteryNumber = "C3";
    // Steps 0 and 2 have samples, 1 and 3 none; 30 s apart.
    const auto sampleAt = [&](std::size_t i) {
        SampleRecord s;
        s.time = header.start + static_cast<double>(i) * 30.0 / 86400.0;
        s.step = i < 4 ? 0 : 2;
        s.voltage = 24.0f + static_cast<float>(i);
        return s;
    };
    writeTestFile(home / "gaps.tst", header, 0, 10, sampleAt);
    const auto file = readTestFile(home.readBytes("gaps.tst"));
    ASSERT_TRUE(file.ok()) << file.error();
    ASSERT_EQ(file->head.steps.size(), 4u);
    EXPECT_EQ(file->head.steps[0].status, test_file_layout::kEndedPerformed);
    EXPECT_EQ(file->head.steps[1].status, test_file_layout::kNotStarted);
    EXPECT_EQ(file->head.steps[2].status, test_file_layout::kStartedPerformed);
    EXPECT_EQ(file->head.steps[3].status, test_file_layout::kNotStarted);
    EXPECT_EQ(file->head.steps[2].start, sampleAt(4).time);
    EXPECT_EQ(file->head.steps[2].voltage, 28.0f);
    ASSERT_EQ(file->tail.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(std::get<SampleRecord>(file->tail[i]), sampleAt(i)) << i;
}

TEST(LongTestFile, ASampleBeyondTheStepsIsRefused)
{
    TempHome home;
    BatteryTestHeader header;
    header.stepCount = 1;
    header.start = 45000.5;
    const auto sampleAt = [](std::size_t i) {
        SampleRecord s;
        s.step = static_cast<std::uint8_t>(i);
        return s;
    };
    EXPECT_THROW(writeTestFile(home / "bad.tst", header, 0, 2, sampleAt), std::runtime_error);
}

} // namespace
} // namespace kapsorel::test
