// Makes a set of locale formats the process's current one for a scope and puts the
// previous one back at its end.
#pragma once

#include "core/base/locale_formats.h"

namespace kapsorel::test {

class LocaleScope {
  public:
    explicit LocaleScope(const LocaleFormats& formats) : previous_(localeFormats()) { setLocaleFormats(formats); }
    ~LocaleScope() { setLocaleFormats(previous_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

  private:
    LocaleFormats previous_;
};

// The two kinds of system the program meets: a decimal comma (Czech) and a point.
inline LocaleFormats commaFormats()
{
    return LocaleFormats::czech();
}

inline LocaleFormats pointFormats()
{
    LocaleFormats f = LocaleFormats::point();
    f.datePattern = "%m/%d/%Y";
    f.timePattern = "%I:%M:%S %p";
    return f;
}

// What `f` gives under a decimal point.
template <class F> auto underPoint(F f)
{
    LocaleScope point(LocaleFormats::point());
    return f();
}

} // namespace kapsorel::test
