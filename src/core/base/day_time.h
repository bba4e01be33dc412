// The station's date-time: days since 30 December 1899 in local time, the fraction
// being the time of day (as stored in test files and the run state).
#pragma once

#include <chrono>
#include <string>

namespace kapsorel {

using DayTime = double;

constexpr double kSecondsPerDay = 86400.0;

// Civil local date and time fields.
struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Day-times that stand for a calendar date: 1 January 1 to 31 December 9999 (four-digit
// years). Not-numbers and infinities lie outside.
constexpr DayTime kFirstDayTime = -693593.0; // 0001-01-01 00:00
constexpr DayTime kEndDayTime = 2958466.0;   // 10000-01-01 00:00, the first one outside
bool dayTimeInRange(DayTime d);

DayTime toDayTime(const LocalDateTime& t);
// Defined for every value: one outside the range gives the nearest end (a not-number the
// epoch), so a damaged record never leads to undefined arithmetic.
LocalDateTime fromDayTime(DayTime d);

DayTime toDayTime(std::chrono::system_clock::time_point tp);
std::chrono::system_clock::time_point toTimePoint(DayTime d);

// Whole seconds between two day-times (b - a), rounded to the nearest second.
long long secondsBetween(DayTime a, DayTime b);

// Whole seconds elapsed from `from` to `to`, the difference truncated toward zero, as the
// step time condition ("Doba") counts them: 2.9 s -> 2. A difference a hair under a whole
// second (a time stored in days and read back) still counts that second. Negative when
// `to` lies before `from`.
long long elapsedWholeSeconds(DayTime from, DayTime to);

// Duration between two day-times in whole seconds: the absolute difference, truncated.
// The difference is first taken to the millisecond, so that 600 s stored as days and read
// back as 599.9999999 s still counts 600.
long long wholeSecondsBetween(DayTime a, DayTime b);

} // namespace kapsorel
