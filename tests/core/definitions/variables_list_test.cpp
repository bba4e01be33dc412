// The variables list table built from the battery types.
#include "core/definitions/variables_list.h"

#include <gtest/gtest.h>
#include <optional>

using namespace kapsorel;

TEST(VariablesList, RowsByFirstOccurrenceColumnsPerTypeWithVariables)
{
    BatteryType a;
    a.name = "NiCd 20";
    a.variables = {{"Nabíjecí napětí", "U1", 28.8f}, {"Kapacita", "C1", 25.0f}};
    BatteryType none;
    none.name = "Bez proměnných";
    BatteryType b;
    b.name = "Pb 12";
    b.variables = {{"Nabíjecí napětí", "U1", 14.4f}, {"Napětí článku", "U1", 2.4f}, {"Proud", "I1", 2.5f}};

    const VariablesList list = buildVariablesList({a, none, b});
    EXPECT_EQ(list.headers(), (std::vector<std::string>{"ID", "Popis", "NiCd 20", "Pb 12"}));
    EXPECT_EQ(list.batteryOfColumn, (std::vector<int>{0, 2}));
    ASSERT_EQ(list.rows.size(), 4u);
    EXPECT_EQ(list.rows[0].id, "U1");
    EXPECT_EQ(list.rows[0].values, (std::vector<std::string>{"28,80", "14,40"}));
    EXPECT_EQ(list.rows[1].id, "C1");
    EXPECT_EQ(list.rows[1].values, (std::vector<std::string>{"25,00", ""}));
    EXPECT_EQ(list.rows[2].description, "Napětí článku");
    EXPECT_EQ(list.rows[2].values, (std::vector<std::string>{"", "2,40"}));
    EXPECT_EQ(list.rows[3].values, (std::vector<std::string>{"", "2,50"}));

    EXPECT_TRUE(buildVariablesList({none}).rows.empty());
    EXPECT_TRUE(buildVariablesList({none}).batteryColumns.empty());
}

TEST(VariablesList, PickGivesAReferenceOnlyForATwoCharacterId)
{
    BatteryType t;
    t.name = "NiCd 20";
    t.variables = {
        {"Nabíjecí napětí", "U1", 28.8f}, {"Jednoznakové", "C", 1.0f}, {"Bez ID", "", 2.0f}, {"Česky", "Uč", 3.0f}};
    const VariablesList list = buildVariablesList({t});
    struct Case {
        std::string pickResult;
        int row;
        std::optional<std::string> reference;
    };
    const Case cases[] = {
        {"", 0, "#U1"},         {"", 1, std::nullopt}, // "#C" would refer to no variable
        {"", 2, std::nullopt},  {"", 3, "#Uč"},
        {"", -1, std::nullopt}, // the header row
        {"", 4, std::nullopt},  {std::string(kInformationOnlyPick), 0, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pickVariable(c.pickResult, list, c.row), c.reference) << c.pickResult << " " << c.row;
}
