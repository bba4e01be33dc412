// The variables list table built from the battery types.
#include "core/definitions/variables_list.h"

#include <gtest/gtest.h>

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

TEST(VariablesList, PickResult)
{
    EXPECT_EQ(pickVariable("", "U1"), "U1");
    EXPECT_EQ(pickVariable("", "ABC"), "AB");
    EXPECT_EQ(pickVariable("??", "U1"), "");
}
