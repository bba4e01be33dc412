#include "core/base/day_time.h"
#include "core/base/files.h"
#include "core/base/numbers.h"
#include "support/fake_clock.h"
#include "support/locale_scope.h"
#include "support/temp_home.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace kapsorel;

TEST(Numbers, RoundHalfEven)
{
    const std::pair<double, double> cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.6, 3}, {0.4, 0}, {123.7, 124}, {-60.0, -60}, {0.5, 0}, {1.5, 2},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(roundHalfEven(in), out) << in;
    EXPECT_EQ(roundHalfEvenToInt(1.237 * 100), 124);
}

TEST(Numbers, FormatWithTheCurrentSeparator)
{
    test::LocaleScope comma(test::commaFormats());
    EXPECT_EQ(formatNumber("%5.1fV", 24.0), " 24,0V");
    EXPECT_EQ(formatNumber("%.2f", -0.6), "-0,60");
    EXPECT_EQ(formatNumber("%.0f", 5.0), "5");
    EXPECT_EQ(test::underPoint([] { return formatNumber("%5.1fV", 24.0); }), " 24.0V");
}

TEST(DayTime, KnownDatesAndRoundTrip)
{
    EXPECT_EQ(toDayTime(LocalDateTime{1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(toDayTime(LocalDateTime{1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(toDayTime(LocalDateTime{2026, 12, 10, 12, 0, 0, 0}), 46366.5);
    const LocalDateTime t = fromDayTime(46366.75);
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 10);
    EXPECT_EQ(t.hour, 18);
    const auto now = std::chrono::system_clock::now();
    const auto back = toTimePoint(toDayTime(now));
    EXPECT_LE(std::chrono::abs(std::chrono::duration_cast<std::chrono::milliseconds>(back - now)).count(), 1);
    EXPECT_EQ(secondsBetween(46366.5, 46366.5 + 600.0 / 86400.0), 600);
}

TEST(ElapsedSeconds, TruncatedTowardZeroWithATimeStoredInDaysCountingWhole)
{
    const DayTime start = 46000.5;
    const std::pair<double, long long> cases[] = {
        {0.0, 0},  {12.4, 12}, {12.5, 12}, {12.9, 12},   {600.0, 600},     {3599.999, 3599},
        {-0.4, 0}, {-0.7, 0},  {-1.5, -1}, {-12.9, -12}, {86400.5, 86400},
    };
    for (auto [seconds, whole] : cases)
        EXPECT_EQ(elapsedWholeSeconds(start, start + seconds / kSecondsPerDay), whole) << seconds;
    // 600 s stored as days and read back a hair short still counts 600.
    const DayTime later = start + 600.0 / kSecondsPerDay;
    EXPECT_EQ(elapsedWholeSeconds(start, std::nextafter(later, 0.0)), 600);
}

TEST(Files, AMissingFileFailsAtOnceWithTheReason)
{
    test::TempHome home;
    test::FakeClock clock;
    const auto missing = home / "nic.bin";
    auto r = readFileRetrying(missing, clock);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), "Soubor " + missing.string() + " nelze otevřít (soubor neexistuje)");
    EXPECT_EQ(clock.sleeps(), 0);
}

TEST(Files, WriteReadAppendAndEnsureFolder)
{
    test::TempHome home;
    ASSERT_TRUE(ensureFolder(home / "a/b").ok());
    const auto file = home / "a/b/x.bin";
    ASSERT_TRUE(writeFileRetrying(file, {1, 2, 3}).ok());
    ASSERT_TRUE(appendFileSynced(file, {4}).ok());
    ASSERT_TRUE(writeAtSynced(file, 0, {9}).ok());
    EXPECT_EQ(readFileRetrying(file).value(), (std::vector<std::uint8_t>{9, 2, 3, 4}));

    home.writeText("soubor", "x");
    const auto st = ensureFolder(home / "soubor");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error(), "Nelze vytvořit : " + (home / "soubor").string());
}
