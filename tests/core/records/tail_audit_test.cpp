// The audit of a test file's tail: a file resumed after kills is sound, and each fault a
// crash or a resume could leave (a sample written twice, time going back, a resume out of
// place, a lost sample away from an interruption) is counted where it is.
#include "core/records/tail_audit.h"
#include "support/battery_test_fixtures.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

const double kStart = dayTimeOf(2026, 12, 10, 8, 0);

double at(double seconds)
{
    return plusSeconds(kStart, seconds);
}

std::vector<std::uint8_t> sampleAt(double seconds, std::uint8_t step = 0)
{
    return sampleBytes(4, at(seconds), step, 26.0f, 2.5f, 0.1f, 22.0f, 1.3f);
}

// Samples every second from 1 to 5, a kill (no marker), a resume at 40 of the interruption
// at 5, samples 41..43, an operator's Stop with its marker, a resume at 60, sample 61.
std::vector<std::uint8_t> resumedTwice()
{
    auto f = fixedPart(4, 2, kStart);
    for (int s = 1; s <= 5; ++s)
        append(f, sampleAt(s));
    append(f, resumeBytes(at(40), 0, at(5), 0));
    for (int s = 41; s <= 43; ++s)
        append(f, sampleAt(s, 1));
    append(f, sampleAt(43.5, 1));
    append(f, markerBytes(4, 2));
    append(f, resumeBytes(at(60), 1, at(43.5), 2));
    append(f, sampleAt(61, 1));
    return f;
}

} // namespace

TEST(TailAudit, AFileResumedAfterAKillAndAStopIsSound)
{
    auto file = resumedTwice();
    file.resize(file.size() + 30); // an incomplete record the kill left
    const auto audit = auditTestFile(file);
    ASSERT_TRUE(audit) << audit.error();
    const TailAudit& a = audit.value();
    EXPECT_TRUE(a.sound());
    EXPECT_EQ(a.samples, 10u);
    EXPECT_EQ(a.markers, 1u);
    EXPECT_EQ(a.resumes, 2u);
    EXPECT_EQ(a.trailingBytes, 30u);
    // The interruptions are no gaps: 1 s between samples everywhere else.
    EXPECT_NEAR(a.longestGapSeconds, 1.0, 0.001);
}

TEST(TailAudit, EachFaultIsCounted)
{
    struct Case {
        const char* what;
        std::vector<std::vector<std::uint8_t>> tail;
        std::size_t notAfter, misplaced, refused;
        double longestGap;
    };
    const std::vector<Case> cases{
        {"a sample written twice", {sampleAt(1), sampleAt(2), sampleAt(2), sampleAt(3)}, 1, 0, 0, 1.0},
        {"time going back", {sampleAt(1), sampleAt(3), sampleAt(2)}, 1, 0, 0, 2.0},
        {"a sample lost without an interruption", {sampleAt(1), sampleAt(2), sampleAt(9)}, 0, 0, 0, 7.0},
        {"an interruption before the last sample",
         {sampleAt(1), sampleAt(5), resumeBytes(at(20), 0, at(3), 0), sampleAt(21)},
         0,
         1,
         0,
         4.0},
        {"a resume before its interruption",
         {sampleAt(1), resumeBytes(at(10), 0, at(12), 0), sampleAt(13)},
         0,
         1,
         0,
         0.0},
        {"a sample before the resume", {sampleAt(1), resumeBytes(at(10), 0, at(2), 0), sampleAt(8)}, 0, 1, 0, 0.0},
        {"a sample of a step the test does not have", {sampleAt(1), sampleAt(2, 7), sampleAt(3)}, 0, 0, 1, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto file = fixedPart(4, 2, kStart);
        for (const auto& r : c.tail)
            append(file, r);
        const auto audit = auditTestFile(file);
        ASSERT_TRUE(audit) << audit.error();
        EXPECT_EQ(audit.value().timesNotAfterPrevious, c.notAfter);
        EXPECT_EQ(audit.value().misplacedResumes, c.misplaced);
        EXPECT_EQ(audit.value().refused, c.refused);
        EXPECT_NEAR(audit.value().longestGapSeconds, c.longestGap, 0.001);
        EXPECT_EQ(audit.value().sound(), c.notAfter + c.misplaced + c.refused == 0);
    }
}

TEST(TailAudit, AFileWithoutItsFixedPartIsRefused)
{
    auto file = fixedPart(4, 3, kStart);
    file.resize(300);
    EXPECT_FALSE(auditTestFile(file));
}

TEST(TailAudit, AStepsFirstSampleAMillisecondAfterThePreviousIsNoRepeat)
{
    auto file = fixedPart(4, 2, kStart);
    append(file, sampleAt(5.083));
    append(file, sampleAt(5.084, 1));
    const auto audit = auditTestFile(file);
    ASSERT_TRUE(audit);
    EXPECT_EQ(audit.value().timesNotAfterPrevious, 0u);
}
