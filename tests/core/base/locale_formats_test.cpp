#include "core/base/day_time.h"
#include "core/base/locale_formats.h"
#include "core/base/numbers.h"
#include "support/locale_scope.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace kapsorel {
namespace {

using test::commaFormats;
using test::LocaleScope;
using test::pointFormats;

TEST(NumberText, TableUnderACommaAndUnderAPoint)
{
    struct Case {
        const char* format;
        double value;
        const char* comma;
        const char* point;
    };
    const Case cases[] = {
        {"%5.1fV", 24.0, " 24,0V", " 24.0V"},
        {"%5.2fV", 1.234, " 1,23V", " 1.23V"},
        {"%5.1fA", -0.04, " -0,0A", " -0.0A"},
        {"%5.2fA", -0.6, "-0,60A", "-0.60A"},
        {"%7.1fAh", 0.0, "    0,0Ah", "    0.0Ah"},
        {"%9.4fAh", 12.34567, "  12,3457Ah", "  12.3457Ah"},
        {"%5.1f°C", 23.46, " 23,5°C", " 23.5°C"},
        {"%4.1f", 123.25, "123,2", "123.2"},
        {"%.0f", 5.0, "5", "5"},
        {"%.2f", 1e6, "1000000,00", "1000000.00"},
        {"%+.1f", 3.0, "+3,0", "+3.0"},
        {"%-6.1f|", 3.0, "3,0   |", "3.0   |"},
        {"%06.2f", -1.5, "-01,50", "-01.50"},
        {"% .1f", 2.0, " 2,0", " 2.0"},
        {"%.3e", 1234.5, "1,234e+03", "1.234e+03"},
        {"%.3g", 0.5, "0,5", "0.5"},
        {"%G", 1e-10, "1E-10", "1E-10"},
        {"100%% = %.1f", 1.0, "100% = 1,0", "100% = 1.0"},
        {"%5.1f", std::nan(""), "  nan", "  nan"},
        {"bez čísla", 1.0, "bez čísla", "bez čísla"},
    };
    for (const Case& c : cases) {
        {
            LocaleScope comma(commaFormats());
            EXPECT_EQ(formatNumber(c.format, c.value), c.comma) << c.format;
        }
        {
            LocaleScope point(pointFormats());
            EXPECT_EQ(formatNumber(c.format, c.value), c.point) << c.format;
        }
    }
}

// The text does not follow the C library's own locale: under a point it is what printf
// writes in the "C" locale (as the test process runs), under a comma the same with the
// comma in place of the point.
TEST(NumberText, MatchesPrintfOfTheCLocaleDigitForDigit)
{
    const char* formats[] = {"%5.1f", "%5.2f", "%9.4f", "%7.1f", "%4.1f", "%.4f", "%.0f", "%8.3e", "%.6g"};
    const double values[] = {0.0,    0.05,    0.15,      0.25, 2.5,   -2.5, 1.005,        24.049999,
                             27.55f, -0.0001, 1234.5678, 36.0, 59.95, 1e-7, 123456789.125};
    for (const char* f : formats)
        for (double v : values) {
            char buf[64];
            std::snprintf(buf, sizeof buf, f, v);
            std::string withComma = buf;
            for (char& ch : withComma)
                if (ch == '.')
                    ch = ',';
            {
                LocaleScope point(pointFormats());
                EXPECT_EQ(formatNumber(f, v), buf) << f << " " << v;
            }
            {
                LocaleScope comma(commaFormats());
                EXPECT_EQ(formatNumber(f, v), withComma) << f << " " << v;
            }
        }
}

TEST(NumberText, DecimalsWithoutPadding)
{
    struct Case {
        double value;
        int decimals;
        const char* comma;
        const char* point;
    };
    const Case cases[] = {
        {10.0, 1, "10,0", "10.0"}, {36.0, 1, "36,0", "36.0"},  {0.25, 2, "0,25", "0.25"},
        {7.0, 0, "7", "7"},        {-1.25, 1, "-1,2", "-1.2"},
    };
    for (const Case& c : cases) {
        LocaleScope comma(commaFormats());
        EXPECT_EQ(formatDecimals(c.value, c.decimals), c.comma);
        setLocaleFormats(pointFormats());
        EXPECT_EQ(formatDecimals(c.value, c.decimals), c.point);
    }
}

TEST(NumberParse, TableUnderACommaAndUnderAPoint)
{
    struct Case {
        const char* text;
        std::optional<double> comma;
        std::optional<double> point;
    };
    const std::optional<double> none;
    const Case cases[] = {
        {"10,5", 10.5, none},   {"10.5", 10.5, 10.5}, // a point is read under a comma too
        {" 7 ", 7.0, 7.0},      {"\t36,0", 36.0, none}, {"-0,25", -0.25, none}, {"-0.25", -0.25, -0.25},
        {"+3", 3.0, 3.0},       {",5", 0.5, none},      {".5", 0.5, 0.5},       {"5,", 5.0, none},
        {"5.", 5.0, 5.0},       {"1,000", 1.0, none}, // a comma groups thousands under a point: refused, not misread
        {"1,2,3", none, none},  {"1.2,3", none, none},  {"1,2.3", none, none},  {"1e3", 1000.0, 1000.0},
        {"2,5e-1", 0.25, none}, {"1e", none, none},     {"1e999", none, none},  {"", none, none},
        {" ", none, none},      {",", none, none},      {".", none, none},      {"-", none, none},
        {"abc", none, none},    {"12 V", none, none},   {"1 000", none, none},  {"0x10", none, none},
        {"nan", none, none},    {"inf", none, none},
    };
    for (const Case& c : cases) {
        {
            LocaleScope comma(commaFormats());
            EXPECT_EQ(parseNumber(c.text), c.comma) << '"' << c.text << '"';
        }
        {
            LocaleScope point(pointFormats());
            EXPECT_EQ(parseNumber(c.text), c.point) << '"' << c.text << '"';
        }
    }
}

TEST(NumberParse, ReadsBackWhatItWrites)
{
    const double values[] = {0.0, 0.1, 1.0, 10.5, 22.0, 36.0, 59.9, -0.6, 1234.25};
    for (const LocaleFormats& formats : {commaFormats(), pointFormats()}) {
        LocaleScope scope(formats);
        for (double v : values)
            for (int decimals : {1, 2, 4}) {
                const std::string text = formatDecimals(v, decimals);
                const std::optional<double> back = parseNumber(text);
                ASSERT_TRUE(back) << text;
                // What printf wrote in the "C" locale of the test process, read by the C library.
                char plain[64];
                std::snprintf(plain, sizeof plain, "%.*f", decimals, v);
                EXPECT_EQ(*back, std::strtod(plain, nullptr)) << text;
            }
    }
}

TEST(DateTimeText, PatternTable)
{
    const LocalDateTime morning{2024, 3, 5, 7, 9, 41, 0};
    const LocalDateTime evening{1999, 12, 31, 19, 0, 5, 0};
    const LocalDateTime midnight{2026, 10, 15, 0, 30, 0, 0};
    struct Case {
        const char* pattern;
        const LocalDateTime& at;
        const char* text;
    };
    const Case cases[] = {
        {"%-d.%-m.%Y", morning, "5.3.2024"},
        {"%d.%m.%Y", morning, "05.03.2024"},
        {"%m/%d/%y", morning, "03/05/24"},
        {"%d/%m/%y", evening, "31/12/99"},
        {"%e.%_m.", morning, " 5. 3."},
        {"%F", morning, "2024-03-05"},
        {"%D", evening, "12/31/99"},
        {"%H:%M:%S", morning, "07:09:41"},
        {"%-H:%M:%S", morning, "7:09:41"},
        {"%T", evening, "19:00:05"},
        {"%R", evening, "19:00"},
        {"%k", morning, " 7"},
        {"%r", morning, "07:09:41 AM"},
        {"%r", evening, "07:00:05 PM"},
        {"%I %p", midnight, "12 AM"},
        {"%l:%M %p", midnight, "12:30 AM"},
        {"%0e", morning, "05"},
        {"%%d%n%t", morning, "%d\n\t"},
        {"%a %-d", morning, "%a 5"}, // an unknown conversion stands as it is
        {"konec %", morning, "konec %"},
    };
    LocaleFormats formats = LocaleFormats::point();
    for (const Case& c : cases)
        EXPECT_EQ(formatDateTimeText(c.pattern, c.at, formats), c.text) << c.pattern;
    formats.amText = "dop.";
    formats.pmText = "odp.";
    EXPECT_EQ(formatDateTimeText("%p|%p", morning, formats) + formatDateTimeText("|%p", evening, formats),
              "dop.|dop.|odp.");
}

TEST(DateTimeText, SupportedPatterns)
{
    const std::pair<const char*, bool> cases[] = {
        {"%-d.%-m.%Y", true}, {"%m/%d/%y", true}, {"%H:%M:%S", true}, {"%r", true},     {"%I:%M:%S %p", true},
        {"%F %T", true},      {"%e%%", true},     {"den", true},      {"%a %b", false}, {"%x", false},
        {"%Ey", false},       {"%d.%", false},    {"%-", false},      {"%B", false},    {"%Z", false},
    };
    for (auto [pattern, supported] : cases)
        EXPECT_EQ(isSupportedPattern(pattern), supported) << pattern;
}

TEST(DateTimeText, DateAndTimeOfADayTimeFollowTheCurrentFormats)
{
    const DayTime t = toDayTime(LocalDateTime{2024, 3, 5, 7, 9, 41, 0});
    struct Case {
        LocaleFormats formats;
        const char* date;
        const char* time;
    };
    LocaleFormats britain = LocaleFormats::point();
    britain.datePattern = "%d/%m/%y";
    britain.timePattern = "%T";
    const Case cases[] = {
        {commaFormats(), "5.3.2024", "7:09:41"},
        {pointFormats(), "03/05/2024", "07:09:41 AM"},
        {LocaleFormats::point(), "03/05/24", "07:09:41"},
        {britain, "05/03/24", "07:09:41"},
    };
    for (const Case& c : cases) {
        LocaleScope scope(c.formats);
        EXPECT_EQ(formatDate(t), c.date);
        EXPECT_EQ(formatTime(t), c.time);
        EXPECT_EQ(formatDateTime(t), std::string(c.date) + " " + c.time);
    }
}

TEST(SystemFormats, TheCLocaleAndAMissingOneGiveThePointConventions)
{
    EXPECT_EQ(LocaleFormats::fromLocaleName("C"), LocaleFormats::point());
    EXPECT_EQ(LocaleFormats::fromLocaleName("POSIX"), LocaleFormats::point());
    EXPECT_EQ(LocaleFormats::fromLocaleName("xx_NOWHERE.UTF-8"), LocaleFormats::point());
    EXPECT_EQ(LocaleFormats::point().decimalSeparator, '.');
    EXPECT_EQ(LocaleFormats::czech().decimalSeparator, ',');
}

TEST(SystemFormats, TheEnvironmentNamesTheLocale)
{
    const char* previous = std::getenv("LC_ALL");
    const std::string saved = previous ? previous : "";
    ::setenv("LC_ALL", "C", 1);
    const LocaleFormats c = LocaleFormats::fromSystem();
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    const LocaleFormats missing = LocaleFormats::fromSystem();
    if (previous)
        ::setenv("LC_ALL", saved.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
    EXPECT_EQ(c, LocaleFormats::point());
    EXPECT_EQ(missing, LocaleFormats::point());
}

TEST(SystemFormats, CzechWhereTheSystemHasIt)
{
    const LocaleFormats cs = LocaleFormats::fromLocaleName("cs_CZ.UTF-8");
    if (cs == LocaleFormats::point())
        GTEST_SKIP() << "cs_CZ.UTF-8 is not installed here";
    EXPECT_EQ(cs.decimalSeparator, ',');
    const LocalDateTime t{2024, 3, 5, 7, 9, 41, 0};
    EXPECT_EQ(formatDateTimeText(cs.datePattern, t, cs), "5.3.2024");
    EXPECT_EQ(formatDateTimeText(cs.timePattern, t, cs), "07:09:41");
}

TEST(CurrentFormats, SetKeepsTheValueAndPuttingBackRestoresIt)
{
    const LocaleFormats before = localeFormats();
    {
        LocaleScope point(pointFormats());
        EXPECT_EQ(localeFormats(), pointFormats());
        {
            LocaleScope comma(commaFormats());
            EXPECT_EQ(localeFormats().decimalSeparator, ',');
        }
        EXPECT_EQ(localeFormats(), pointFormats());
    }
    EXPECT_EQ(localeFormats(), before);
}

// A worker formatting numbers and dates while the current set is replaced sees, in each
// call, the old set or the new one, never a torn or freed one.
TEST(CurrentFormats, ReadersOnAnotherThreadSeeOneSetOrTheOther)
{
    LocaleScope restore(localeFormats());
    const DayTime t = toDayTime(LocalDateTime{2024, 3, 5, 7, 9, 41, 0});
    std::atomic<bool> keepReading{true};
    std::set<std::string> numbers;
    std::set<std::string> dateTimes;
    std::thread reader([&] {
        do {
            numbers.insert(formatNumber("%5.1fV", 24.0));
            dateTimes.insert(formatDateTime(t));
        } while (keepReading.load());
    });
    for (int i = 0; i < 2000; ++i)
        setLocaleFormats(i % 2 == 0 ? pointFormats() : commaFormats());
    keepReading = false;
    reader.join();
    const std::set<std::string> allowedNumbers = {" 24.0V", " 24,0V"};
    const std::set<std::string> allowedDateTimes = {"03/05/2024 07:09:41 AM", "5.3.2024 7:09:41"};
    EXPECT_FALSE(numbers.empty());
    for (const std::string& n : numbers)
        EXPECT_TRUE(allowedNumbers.count(n) == 1) << n;
    EXPECT_FALSE(dateTimes.empty());
    for (const std::string& d : dateTimes)
        EXPECT_TRUE(allowedDateTimes.count(d) == 1) << d;
}

} // namespace
} // namespace kapsorel
