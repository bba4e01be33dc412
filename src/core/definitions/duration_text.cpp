#include "core/definitions/duration_text.h"

#include "core/base/numbers.h"

#include <cstdio>

namespace kapsorel {

namespace {

std::string twoDigits(long long v)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02lld", v);
    return buf;
}

} // namespace

std::string formatDurationHms(std::int32_t seconds)
{
    long long s = seconds;
    const std::string sign = s < 0 ? "-" : "";
    if (s < 0)
        s = -s;
    return sign + twoDigits(s / 3600) + ":" + twoDigits((s % 3600) / 60) + ":" + twoDigits(s % 60);
}

std::string formatDurationHm(std::int32_t seconds)
{
    long long s = seconds;
    const std::string sign = s < 0 ? "-" : "";
    if (s < 0)
        s = -s;
    long long h = s / 3600;
    long long m = roundHalfEvenToInt(static_cast<float>(s % 3600) / 60.0f);
    if (m >= 60) {
        h += 1;
        m -= 60;
    }
    return sign + twoDigits(h) + ":" + twoDigits(m);
}

} // namespace kapsorel
