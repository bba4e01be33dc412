#include "core/definitions/variables_list.h"

#include "core/base/numbers.h"
#include "core/definitions/text_cut.h"

namespace kapsorel {

std::vector<std::string> VariablesList::headers() const
{
    std::vector<std::string> h = {"ID", "Popis"};
    h.insert(h.end(), batteryColumns.begin(), batteryColumns.end());
    return h;
}

VariablesList buildVariablesList(const std::vector<BatteryType>& types)
{
    VariablesList list;
    for (std::size_t ti = 0; ti < types.size(); ++ti) {
        const BatteryType& type = types[ti];
        if (type.variables.empty())
            continue;
        list.batteryColumns.push_back(type.name);
        list.batteryOfColumn.push_back(static_cast<int>(ti));
        const std::size_t column = list.batteryColumns.size() - 1;
        for (auto& row : list.rows)
            row.values.emplace_back();
        for (const auto& var : type.variables) {
            VariablesListRow* found = nullptr;
            for (auto& row : list.rows) {
                if (row.id == var.id && row.description == var.description) {
                    found = &row;
                    break;
                }
            }
            if (!found) {
                list.rows.push_back({var.id, var.description, std::vector<std::string>(column + 1)});
                found = &list.rows.back();
            }
            found->values[column] = formatNumber("%.2f", var.value);
        }
    }
    return list;
}

std::optional<std::string> pickVariable(std::string_view pickResult, const VariablesList& list, int row)
{
    if (!pickResult.empty() || row < 0 || row >= static_cast<int>(list.rows.size()))
        return std::nullopt;
    const std::string& id = list.rows[static_cast<std::size_t>(row)].id;
    if (charCount(id) != kVariableIdMax)
        return std::nullopt;
    return "#" + id;
}

} // namespace kapsorel
