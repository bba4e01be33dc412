// The battery family chosen in the main window: which module is polled and where the
// battery's voltage, temperature and head code come from.
#pragma once

#include <cstdint>
#include <string>

namespace kapsorel {

// Values as stored in the test file's family byte.
enum class BatteryFamily : std::uint8_t {
    NiCd = 0,   // measurement module polled; battery values from it
    NiCdPb = 1, // measurement module not polled; battery values from the power module
    Pb = 2,     // power module only; head code 0 while it answers
    None = 255,
};

std::string familyName(BatteryFamily f);

// The family selected at program start from the configured hardware kind.
inline BatteryFamily familyForHardwareKind(std::uint8_t hardwareKind)
{
    return hardwareKind != 0 ? BatteryFamily::Pb : BatteryFamily::NiCd;
}

// Whether the measurement poller polls its module in this family.
inline bool pollsMeasurementModule(BatteryFamily f)
{
    return f == BatteryFamily::NiCd;
}

// Whether the power poller copies its battery voltage and temperature into the live values.
// "NiCd - PB" (a NiCd battery on a station without its measurement module) takes them from
// the power module as "PB" does; only the head code is left alone there.
inline bool batteryValuesFromPowerModule(BatteryFamily f)
{
    return f == BatteryFamily::Pb || f == BatteryFamily::NiCdPb;
}

} // namespace kapsorel
