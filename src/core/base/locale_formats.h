// How the program writes and reads numbers, dates and times: the system's conventions,
// taken once at start-up and used by every number text, number parse and date or time
// text of the program (formatNumber and parseNumber in numbers.h, formatDate and
// formatTime here). Nothing else in the program chooses a decimal separator or a date
// order.
//
// The process holds one current set. Reading it is safe from any thread at any time: a
// set, once made current, is never changed or freed, and replacing the current set is
// one atomic pointer store. The program replaces it once, at start-up, before any worker
// starts; tests replace it for a scope (each reader then sees the old set or the new
// one, never a mix).
#pragma once

#include "core/base/day_time.h"

#include <string>
#include <string_view>

namespace kapsorel {

struct LocaleFormats {
    // The one character between a number's whole part and its decimals.
    char decimalSeparator = ',';
    // Date and time patterns in the C library's strftime notation, limited to the numeric
    // conversions: %d %e %m %y %Y %H %k %I %l %M %S %p and the short forms %D %F %R %T %r,
    // with glibc's flags "-" (no padding), "_" (space padding) and "0" (zero padding);
    // %n, %t and %% stand for a line break, a tab and a percent sign.
    std::string datePattern = "%-d.%-m.%Y";
    std::string timePattern = "%-H:%M:%S";
    // What %p writes before noon and after it.
    std::string amText = "AM";
    std::string pmText = "PM";

    bool operator==(const LocaleFormats&) const = default;

    // The conventions the program's texts are written for (Czech): a decimal comma,
    // dates as 7.3.2024 and times as 9:05:07. The process starts with these.
    static LocaleFormats czech();
    // The C library's "C" conventions: a decimal point, 03/07/24 and 09:05:07.
    static LocaleFormats point();

    // The conventions of the system locale the environment names (LC_ALL, then
    // LC_NUMERIC or LC_TIME, then LANG), read through the C library without touching the
    // process's own C locale. A category whose locale is not installed counts as "C";
    // a separator longer than one byte becomes a point; a pattern with a conversion
    // other than the ones above becomes the "C" pattern.
    static LocaleFormats fromSystem();
    // The same for one named locale ("cs_CZ.UTF-8", "C"); "C" conventions when the
    // locale is not installed.
    static LocaleFormats fromLocaleName(const char* name);
};

// The process's current set.
const LocaleFormats& localeFormats();
// Makes `formats` the current set (see the top of this file for when).
void setLocaleFormats(const LocaleFormats& formats);

// Whether the pattern uses only the conversions that formatDateTimeText knows.
bool isSupportedPattern(std::string_view pattern);

// `pattern` filled with the fields of `t` (see datePattern); an unknown conversion is
// written as it stands.
std::string formatDateTimeText(std::string_view pattern, const LocalDateTime& t, const LocaleFormats& formats);

// A day-time's date, time, and date and time joined by a space, in the current set's
// patterns.
std::string formatDate(DayTime t);
std::string formatTime(DayTime t);
std::string formatDateTime(DayTime t);

} // namespace kapsorel
