#include "core/records/graph_colours.h"

#include "core/records/sample_decimation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kapsorel {

std::uint32_t defaultSeriesRgb(int series)
{
    static constexpr std::uint32_t kRgb[graph_series::kCount] = {
        0xFF00FF, 0x008000, 0xFFFF00, 0x808000, 0xFFFFFF, 0x808080, 0xFF00FF, 0x008080, 0x000080, 0x800000, 0x00FF00,
        0x808000, 0x800080, 0x00FFFF, 0x000000, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x00FF80, 0xFF0000, 0x0000FF};
    return kRgb[std::clamp(series, 0, graph_series::kCount - 1)];
}

namespace {

std::array<double, 3> lab(std::uint32_t rgb)
{
    const auto linear = [](std::uint32_t channel) {
        const double c = static_cast<double>(channel & 0xFFu) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double r = linear(rgb >> 16);
    const double g = linear(rgb >> 8);
    const double b = linear(rgb);
    // sRGB to XYZ, relative to the D65 white.
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

} // namespace

double colourDifference(std::uint32_t rgbA, std::uint32_t rgbB)
{
    const auto a = lab(rgbA);
    const auto b = lab(rgbB);
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

} // namespace kapsorel
