#include "core/definitions/offered_procedures.h"

#include <algorithm>

namespace kapsorel {

std::vector<ProcedureIndexEntry> offeredProcedures(const std::vector<BatteryType>& types, std::string_view typeName,
                                                   const std::vector<ProcedureIndexEntry>& index)
{
    std::vector<ProcedureIndexEntry> out;
    const auto listed = [&](int number) {
        return std::any_of(out.begin(), out.end(), [&](const ProcedureIndexEntry& e) { return e.number == number; });
    };
    if (typeName == kNoBatteryTypeName) {
        for (const auto& entry : index)
            if (!listed(entry.number))
                out.push_back(entry);
        return out;
    }
    // Each type of the name in table order, each of its procedures in the order it keeps
    // them; a procedure already listed (allowed by an earlier type) is not listed again.
    for (const auto& type : types) {
        if (type.name != typeName)
            continue;
        for (const std::uint8_t number : type.allowedProcedures) {
            if (listed(number))
                continue;
            const auto entry = std::find_if(index.begin(), index.end(),
                                            [&](const ProcedureIndexEntry& e) { return e.number == number; });
            if (entry != index.end())
                out.push_back(*entry);
        }
    }
    return out;
}

} // namespace kapsorel
