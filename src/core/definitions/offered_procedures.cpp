#include "core/definitions/offered_procedures.h"

#include <algorithm>

namespace kapsorel {

std::vector<ProcedureIndexEntry> offeredProcedures(const std::vector<BatteryType>& types, std::string_view typeName,
                                                   const std::vector<ProcedureIndexEntry>& index)
{
    const bool all = typeName == kNoBatteryTypeName;
    std::vector<ProcedureIndexEntry> out;
    for (const auto& entry : index) {
        const bool listed =
            std::any_of(out.begin(), out.end(), [&](const ProcedureIndexEntry& e) { return e.number == entry.number; });
        if (listed)
            continue;
        const bool allowed = all || std::any_of(types.begin(), types.end(), [&](const BatteryType& t) {
                                 return t.name == typeName && t.allows(entry.number);
                             });
        if (allowed)
            out.push_back(entry);
    }
    return out;
}

} // namespace kapsorel
