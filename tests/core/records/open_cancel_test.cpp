// Cancelling the open of a test file: with the flag set the open stops after the piece it
// is reading, fails with its message and leaves the current test file as it was; the
// progress it reports never goes back.
#include "core/records/battery_test_file.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"
#include "support/test_file_recorder.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

using namespace kapsorel;

TEST(OpenCancel, CancelledOpenKeepsTheOpenTestAndItsState)
{
    test::TempHome home;
    const auto shortTest = home / "kratky.tst";
    const auto longTest = home / "dlouhy.tst";
    test::writeLongTestFile(shortTest, {.samples = 5, .steps = 1});
    // Several pieces of the open, a different battery, two steps.
    test::writeLongTestFile(longTest, {.samples = 60'000, .steps = 2, .secondsApart = 2.0});

    test::TestFileRecorder r;
    SampleTable samples;
    StepTable steps;
    ASSERT_TRUE(r.file.openTestFile(shortTest, {}, samples, steps));
    const SampleRecord current = r.file.currentSample();

    std::atomic<bool> cancel{false};
    OpenOptions options;
    options.cancel = &cancel;
    std::vector<double> reported;
    SampleTable other;
    StepTable otherSteps;
    const auto opened = r.file.openTestFile(longTest, options, other, otherSteps, [&](double f) {
        reported.push_back(f);
        cancel = true; // "Zrušit" while the first piece is shown
    });
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error(), test_file_messages::kOpenCancelled);
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_EQ(r.file.currentPath(), shortTest);
    EXPECT_EQ(r.file.currentSample(), current);
    EXPECT_EQ(samples.size(), 5u);

    // Not cancelled, the same file opens whole, the fractions growing to 1.
    cancel = false;
    reported.clear();
    options.cancel = &cancel;
    const auto whole =
        r.file.openTestFile(longTest, options, other, otherSteps, [&](double f) { reported.push_back(f); });
    ASSERT_TRUE(whole) << whole.error();
    EXPECT_EQ(other.size(), 60'000u);
    EXPECT_EQ(other.decimation().sampleCount(), 60'000u);
    EXPECT_EQ(r.file.currentPath(), longTest);
    ASSERT_FALSE(reported.empty());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_EQ(reported.back(), 1.0);
}
