#include "core/app/operator_choices.h"

#include "core/definitions/offered_procedures.h"

#include <algorithm>

namespace kapsorel {

BatteryFamily familyAfterChoice(BatteryFamily current, BatteryFamily chosen)
{
    if (chosen == BatteryFamily::Pb && current == BatteryFamily::Pb)
        return BatteryFamily::None;
    return chosen;
}

std::int16_t headFilterForFamily(BatteryFamily family, std::int16_t headCode)
{
    return family == BatteryFamily::NiCd ? headCode : std::int16_t{-1};
}

std::vector<std::string> listedBatteryTypes(const std::vector<BatteryType>& types, std::int16_t head,
                                            BatteryFamily family)
{
    const std::uint8_t chemistry = family == BatteryFamily::NiCd ? kChemistryNiCd : kChemistryPb;
    std::vector<std::string> names;
    for (const auto& t : types) {
        if (head > 0 && t.head != head)
            continue;
        if (t.chemistry != chemistry)
            continue;
        if (std::find(names.begin(), names.end(), t.name) == names.end())
            names.push_back(t.name);
    }
    if (head <= 0 && names.empty())
        names.emplace_back(kNoBatteryTypeName);
    return names;
}

std::optional<FamilyItemsShown> familyItemsForHardwareKind(std::uint8_t kind)
{
    if (kind == 0)
        return FamilyItemsShown{true, false, false};
    if (kind == 1)
        return FamilyItemsShown{false, false, true};
    return std::nullopt;
}

} // namespace kapsorel
