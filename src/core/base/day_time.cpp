#include "core/base/day_time.h"

#include <cmath>
#include <ctime>

namespace kapsorel {

namespace {

// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar.
long long daysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

constexpr long long kEpochOffsetDays = 25569; // 1899-12-30 .. 1970-01-01

} // namespace

DayTime toDayTime(const LocalDateTime& t)
{
    const long long days =
        daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) + kEpochOffsetDays;
    const double secs = t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
    return static_cast<double>(days) + secs / kSecondsPerDay;
}

bool dayTimeInRange(DayTime d)
{
    return d >= kFirstDayTime && d < kEndDayTime;
}

LocalDateTime fromDayTime(DayTime d)
{
    if (!dayTimeInRange(d))
        d = d >= kEndDayTime ? kEndDayTime - 0.001 / kSecondsPerDay : (d < kFirstDayTime ? kFirstDayTime : 0.0);
    long long days = static_cast<long long>(std::floor(d));
    long long ms = std::llround((d - static_cast<double>(days)) * kSecondsPerDay * 1000.0);
    if (ms >= 86400000LL) {
        ms -= 86400000LL;
        ++days;
    }
    LocalDateTime t;
    civilFromDays(days - kEpochOffsetDays, t.year, t.month, t.day);
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

DayTime toDayTime(std::chrono::system_clock::time_point tp)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    LocalDateTime t{tm.tm_year + 1900,
                    tm.tm_mon + 1,
                    tm.tm_mday,
                    tm.tm_hour,
                    tm.tm_min,
                    tm.tm_sec,
                    static_cast<int>(ms - static_cast<long long>(secs) * 1000)};
    return toDayTime(t);
}

std::chrono::system_clock::time_point toTimePoint(DayTime d)
{
    const LocalDateTime t = fromDayTime(d);
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    const std::time_t secs = mktime(&tm);
    return std::chrono::system_clock::from_time_t(secs) + std::chrono::milliseconds(t.millisecond);
}

long long secondsBetween(DayTime a, DayTime b)
{
    return std::llround((b - a) * kSecondsPerDay);
}

long long elapsedWholeSeconds(DayTime from, DayTime to)
{
    // A hundred-thousandth of a second: far above the error of a day-count double (about
    // 5e-7 s in this century), far below anything the station measures.
    constexpr double kTolerance = 1e-5;
    constexpr double kLimit = 9.0e15;
    const double seconds = (to - from) * kSecondsPerDay;
    if (!(seconds == seconds))
        return 0;
    const double whole = std::floor(std::fabs(seconds) + kTolerance);
    const long long magnitude = whole < kLimit ? static_cast<long long>(whole) : static_cast<long long>(kLimit);
    return seconds < 0 ? -magnitude : magnitude;
}

long long wholeSecondsBetween(DayTime a, DayTime b)
{
    const double ms = std::fabs(b - a) * kSecondsPerDay * 1000.0;
    if (!(ms < 9.0e18))
        return ms == ms ? 9000000000000000LL : 0;
    return std::llround(ms) / 1000;
}

} // namespace kapsorel
