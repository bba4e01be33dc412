#include "core/station/battery_family.h"

namespace kapsorel {

std::string familyName(BatteryFamily f)
{
    switch (f) {
    case BatteryFamily::NiCd:
        return "NiCd";
    case BatteryFamily::NiCdPb:
        return "NiCd - PB";
    case BatteryFamily::Pb:
        return "PB";
    case BatteryFamily::None:
        break;
    }
    return {};
}

} // namespace kapsorel
