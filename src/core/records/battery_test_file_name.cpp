#include "core/records/battery_test_file_name.h"

#include <cstdio>
#include <string_view>

namespace kapsorel {

namespace {

std::string safeFileNamePart(const std::string& text)
{
    constexpr std::string_view forbidden = "/\\:*?\"<>|";
    std::string out = text;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || forbidden.find(c) != std::string_view::npos)
            c = '_';
    }
    return out;
}

} // namespace

std::string testFileName(const std::string& batteryNumber, DayTime start, int serial)
{
    const LocalDateTime t = fromDayTime(start);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%d%2.2d%2.2d%2.2d%2.2d", t.year, t.month, t.day, t.hour, t.minute);
    const std::string suffix = serial > 0 ? "_" + std::to_string(serial + 1) : "";
    return "T_" + safeFileNamePart(batteryNumber) + "_" + stamp + suffix + ".tst";
}

} // namespace kapsorel
