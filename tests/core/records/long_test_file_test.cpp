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

} // namespace
} // namespace kapsorel::test
