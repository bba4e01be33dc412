#include "core/base/numbers.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace kapsorel {

double roundHalfEven(double v)
{
    if (!std::isfinite(v))
        return v;
    const double floorV = std::floor(v);
    const double diff = v - floorV;
    if (diff < 0.5)
        return floorV;
    if (diff > 0.5)
        return floorV + 1.0;
    return std::fmod(floorV, 2.0) == 0.0 ? floorV : floorV + 1.0;
}

long long roundHalfEvenToInt(double v)
{
    const double r = roundHalfEven(v);
    if (!(r == r))
        return 0;
    if (r >= 9.2e18)
        return 9200000000000000000LL;
    if (r <= -9.2e18)
        return -9200000000000000000LL;
    return static_cast<long long>(r);
}

std::string formatNumber(const char* format, double value, char separator)
{
    std::vector<char> buf(64);
    int n = std::snprintf(buf.data(), buf.size(), format, value);
    if (n < 0)
        return {};
    if (static_cast<std::size_t>(n) >= buf.size()) {
        buf.resize(static_cast<std::size_t>(n) + 1);
        std::snprintf(buf.data(), buf.size(), format, value);
    }
    std::string out(buf.data(), static_cast<std::size_t>(n));
    // Only the decimal point of the number itself: the first '.' that follows a digit
    // or stands before one.
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '.') {
            const bool digitBefore = i > 0 && out[i - 1] >= '0' && out[i - 1] <= '9';
            const bool digitAfter = i + 1 < out.size() && out[i + 1] >= '0' && out[i + 1] <= '9';
            if (digitBefore || digitAfter) {
                out[i] = separator;
                break;
            }
        }
    }
    return out;
}

} // namespace kapsorel
