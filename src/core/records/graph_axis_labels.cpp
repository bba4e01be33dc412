#include "core/records/graph_axis_labels.h"

#include "core/definitions/duration_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kapsorel {

std::optional<double> axisLabelNumber(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0) {
            ++i; // UTF-8 non-breaking space
            continue;
        }
        if (c == 0xA0 || c == ' ')
            continue;
        // The narrow no-break space (U+202F) some locales group with.
        if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
            static_cast<unsigned char>(text[i + 2]) == 0xAF) {
            i += 2;
            continue;
        }
        plain.push_back(c == ',' ? '.' : text[i]);
    }
    // U+2212 minus sign is written as '-' by the chart; nothing else is accepted.
    double v = 0.0;
    const char* b = plain.data();
    const char* e = b + plain.size();
    if (b != e && *b == '+')
        ++b;
    const auto res = std::from_chars(b, e, v);
    if (res.ec != std::errc{} || res.ptr != e || b == e)
        return std::nullopt;
    return v;
}

std::string bottomAxisLabel(std::string_view text)
{
    const auto v = axisLabelNumber(text);
    if (!v || !std::isfinite(*v))
        return std::string(text);
    const double r = std::round(*v);
    const double limit = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    if (std::fabs(r) > limit)
        return std::string(text);
    return formatDurationHms(static_cast<std::int32_t>(r));
}

DurationTicks durationTicks(double spanSeconds, int maxTicks)
{
    constexpr double kMinute = 60.0;
    constexpr double kHour = 3600.0;
    constexpr double kDay = 86400.0;
    static constexpr DurationTicks kSteps[] = {
        {1, 0},        {2, 1},           {5, 4},           {10, 1},           {15, 2},           {30, 2},
        {kMinute, 3},  {2 * kMinute, 1}, {5 * kMinute, 4}, {10 * kMinute, 1}, {15 * kMinute, 2}, {30 * kMinute, 2},
        {kHour, 3},    {2 * kHour, 3},   {3 * kHour, 2},   {6 * kHour, 5},    {12 * kHour, 5},   {kDay, 3},
        {2 * kDay, 1}, {5 * kDay, 4},
    };
    const double most = static_cast<double>(std::max(maxTicks, 1));
    const double span = std::isfinite(spanSeconds) ? std::max(spanSeconds, 0.0) : 0.0;
    for (const DurationTicks& t : kSteps)
        if (span / t.step <= most)
            return t;
    // Beyond: 10, 20, 50, 100 ... days.
    for (double days = 10.0;; days *= 10.0) {
        if (span / (days * kDay) <= most)
            return {days * kDay, 1};
        if (span / (2 * days * kDay) <= most)
            return {2 * days * kDay, 1};
        if (span / (5 * days * kDay) <= most || days > 1e12)
            return {5 * days * kDay, 4};
    }
}

namespace {

// The threshold as stored: whole hundredths of a volt.
double stored(float volts)
{
    return std::round(static_cast<double>(volts) * 100.0) / 100.0;
}

} // namespace

std::uint32_t leftAxisLabelRgb(std::string_view text, const CellThresholds& thresholds)
{
    constexpr std::uint32_t kRed = 0xFF0000;
    constexpr std::uint32_t kPaleRed = 0xFF8C8C;
    constexpr std::uint32_t kBlack = 0x000000;
    constexpr std::uint32_t kGreen = 0x008000;
    const auto v = axisLabelNumber(text);
    if (!v)
        return kBlack;
    // The label's text carries two decimals at most where the thresholds matter; compare
    // it as the number it reads.
    if (*v < stored(thresholds.ko))
        return kRed;
    if (*v < stored(thresholds.okMin))
        return kPaleRed;
    if (*v < stored(thresholds.okMax))
        return kBlack;
    return kGreen;
}

} // namespace kapsorel
