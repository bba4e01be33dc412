#include "core/base/locale_formats.h"

#include <atomic>
#include <clocale>
#include <cstring>
#include <forward_list>
#include <langinfo.h>
#include <locale.h>
#include <mutex>

namespace kapsorel {

namespace {

constexpr const char* kPointDatePattern = "%m/%d/%y";
constexpr const char* kPointTimePattern = "%H:%M:%S";

// A conversion's padding: the flag written before it, or its own default.
enum class Pad { Zero, Space, None };

void appendNumber(std::string& out, int value, Pad pad, int width)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    const char fill = pad == Pad::Zero ? '0' : ' ';
    if (pad != Pad::None)
        while (static_cast<int>(digits.size()) < width)
            digits.insert(digits.begin(), fill);
    if (value < 0)
        out += '-';
    out += digits;
}

int twelveHour(int hour)
{
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}

// The pattern a short form stands for; null when `c` is no short form.
const char* shortForm(char c)
{
    switch (c) {
    case 'D':
        return "%m/%d/%y";
    case 'F':
        return "%Y-%m-%d";
    case 'R':
        return "%H:%M";
    case 'T':
        return "%H:%M:%S";
    case 'r':
        return "%I:%M:%S %p";
    default:
        return nullptr;
    }
}

bool isNumericConversion(char c)
{
    return std::strchr("deymYHkIlMS", c) != nullptr;
}

// Writes one conversion; false when `c` is not one of the known conversions.
bool appendConversion(std::string& out, char flag, char c, const LocalDateTime& t, const LocaleFormats& formats)
{
    if (const char* expanded = shortForm(c)) {
        out += formatDateTimeText(expanded, t, formats);
        return true;
    }
    if (c == 'p') {
        out += t.hour < 12 ? formats.amText : formats.pmText;
        return true;
    }
    if (c == 'n' || c == 't' || c == '%') {
        out += c == 'n' ? '\n' : c == 't' ? '\t' : '%';
        return true;
    }
    if (!isNumericConversion(c))
        return false;
    // Default padding: spaces for %e, %k and %l, none for %Y, zeros for the others.
    Pad pad = (c == 'e' || c == 'k' || c == 'l') ? Pad::Space : c == 'Y' ? Pad::None : Pad::Zero;
    if (flag == '-')
        pad = Pad::None;
    else if (flag == '_')
        pad = Pad::Space;
    else if (flag == '0')
        pad = Pad::Zero;
    int value = 0;
    int width = 2;
    switch (c) {
    case 'd':
    case 'e':
        value = t.day;
        break;
    case 'm':
        value = t.month;
        break;
    case 'y':
        value = ((t.year % 100) + 100) % 100;
        break;
    case 'Y':
        value = t.year;
        width = 4;
        break;
    case 'H':
    case 'k':
        value = t.hour;
        break;
    case 'I':
    case 'l':
        value = twelveHour(t.hour);
        break;
    case 'M':
        value = t.minute;
        break;
    case 'S':
        value = t.second;
        break;
    default:
        return false;
    }
    appendNumber(out, value, pad, width);
    return true;
}

bool isFlag(char c)
{
    return c == '-' || c == '_' || c == '0';
}

// The process's sets: every set ever made current, kept so that a reference handed out
// stays valid. The program makes one or two; tests switch between a few equal ones.
struct CurrentFormats {
    const LocaleFormats initial = LocaleFormats::czech();
    std::mutex keptMutex;
    std::forward_list<LocaleFormats> kept;
    std::atomic<const LocaleFormats*> current{&initial};
};

CurrentFormats& currentFormats()
{
    static CurrentFormats formats;
    return formats;
}

// Reads the conventions of the locale `numeric` gives for numbers and `time` for dates
// and times; a null locale counts as "C".
LocaleFormats readLocales(locale_t numeric, locale_t time)
{
    LocaleFormats f = LocaleFormats::point();
    if (numeric != nullptr) {
        const char* radix = nl_langinfo_l(RADIXCHAR, numeric);
        if (radix != nullptr && std::strlen(radix) == 1)
            f.decimalSeparator = radix[0];
    }
    if (time != nullptr) {
        const auto text = [time](nl_item item) {
            const char* s = nl_langinfo_l(item, time);
            return std::string(s != nullptr ? s : "");
        };
        // %r is the locale's twelve-hour time: written out here, as the locale says it.
        std::string ampm = text(T_FMT_AMPM);
        if (ampm.empty() || !isSupportedPattern(ampm) || ampm.find("%r") != std::string::npos)
            ampm = "%I:%M:%S %p";
        const auto withAmPm = [&ampm](std::string pattern) {
            for (std::size_t at = pattern.find("%r"); at != std::string::npos;
                 at = pattern.find("%r", at + ampm.size()))
                pattern.replace(at, 2, ampm);
            return pattern;
        };
        const std::string date = withAmPm(text(D_FMT));
        const std::string clock = withAmPm(text(T_FMT));
        if (!date.empty() && isSupportedPattern(date))
            f.datePattern = date;
        if (!clock.empty() && isSupportedPattern(clock))
            f.timePattern = clock;
        const std::string am = text(AM_STR);
        const std::string pm = text(PM_STR);
        if (!am.empty() && !pm.empty()) {
            f.amText = am;
            f.pmText = pm;
        }
    }
    return f;
}

} // namespace

LocaleFormats LocaleFormats::czech()
{
    return LocaleFormats{};
}

LocaleFormats LocaleFormats::point()
{
    LocaleFormats f;
    f.decimalSeparator = '.';
    f.datePattern = kPointDatePattern;
    f.timePattern = kPointTimePattern;
    return f;
}

LocaleFormats LocaleFormats::fromSystem()
{
    locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    locale_t time = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    LocaleFormats f = readLocales(numeric, time);
    if (numeric != nullptr)
        freelocale(numeric);
    if (time != nullptr)
        freelocale(time);
    return f;
}

LocaleFormats LocaleFormats::fromLocaleName(const char* name)
{
    locale_t both = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, name, static_cast<locale_t>(nullptr));
    LocaleFormats f = readLocales(both, both);
    if (both != nullptr)
        freelocale(both);
    return f;
}

const LocaleFormats& localeFormats()
{
    return *currentFormats().current.load(std::memory_order_acquire);
}

void setLocaleFormats(const LocaleFormats& formats)
{
    CurrentFormats& c = currentFormats();
    std::lock_guard lock(c.keptMutex);
    const LocaleFormats* chosen = nullptr;
    if (formats == c.initial)
        chosen = &c.initial;
    for (const LocaleFormats& k : c.kept)
        if (chosen == nullptr && k == formats)
            chosen = &k;
    if (chosen == nullptr) {
        c.kept.push_front(formats);
        chosen = &c.kept.front();
    }
    c.current.store(chosen, std::memory_order_release);
}

bool isSupportedPattern(std::string_view pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%')
            continue;
        ++i;
        if (i < pattern.size() && isFlag(pattern[i]))
            ++i;
        if (i >= pattern.size())
            return false;
        const char c = pattern[i];
        if (!isNumericConversion(c) && shortForm(c) == nullptr && std::strchr("pnt%", c) == nullptr)
            return false;
    }
    return true;
}

std::string formatDateTimeText(std::string_view pattern, const LocalDateTime& t, const LocaleFormats& formats)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 >= pattern.size()) {
            out += pattern[i];
            continue;
        }
        const std::size_t start = i;
        char flag = 0;
        if (isFlag(pattern[i + 1]) && i + 2 < pattern.size()) {
            flag = pattern[i + 1];
            ++i;
        }
        const char c = pattern[++i];
        if (!appendConversion(out, flag, c, t, formats))
            out.append(pattern.substr(start, i - start + 1));
    }
    return out;
}

std::string formatDate(DayTime t)
{
    const LocaleFormats& f = localeFormats();
    return formatDateTimeText(f.datePattern, fromDayTime(t), f);
}

std::string formatTime(DayTime t)
{
    const LocaleFormats& f = localeFormats();
    return formatDateTimeText(f.timePattern, fromDayTime(t), f);
}

std::string formatDateTime(DayTime t)
{
    const LocaleFormats& f = localeFormats();
    const LocalDateTime fields = fromDayTime(t);
    return formatDateTimeText(f.datePattern, fields, f) + " " + formatDateTimeText(f.timePattern, fields, f);
}

} // namespace kapsorel
