// The procedures offered for a chosen battery type name: the union over every type of
// that name, one row per procedure, in the order the types list them.
#include "core/definitions/offered_procedures.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

BatteryType type(const std::string& name, std::vector<std::uint8_t> allowed)
{
    BatteryType t;
    t.name = name;
    t.allowedProcedures = std::move(allowed);
    return t;
}

std::vector<int> numbers(const std::vector<ProcedureIndexEntry>& entries)
{
    std::vector<int> out;
    for (const auto& e : entries)
        out.push_back(e.number);
    return out;
}

} // namespace

TEST(OfferedProcedures, UnionOverTypesOfTheNameInEntryOrder)
{
    // Number 300 cannot be allowed (one byte per number, 300 is stored as 44); number 9
    // is allowed but not in the index.
    const std::vector<ProcedureIndexEntry> index = {{5, "Pět"},      {1, "Jedna"},           {2, "Dvě"},
                                                    {300, "Třista"}, {44, "Čtyřicet čtyři"}, {3, "Tři"}};
    const std::vector<BatteryType> types = {type("NiCd 20", {1, 2, 9}), type("Pb 12V", {3}), type("NiCd 20", {2, 5, 1}),
                                            type("Jiná", {44})};
    struct Case {
        const char* name;
        std::vector<int> offered;
    };
    const Case cases[] = {
        {"NiCd 20", {1, 2, 5}}, // the first entry's list, then what the second adds
        {"Pb 12V", {3}},        {"Jiná", {44}},
        {"nicd 20", {}},                                        // names compare exactly
        {"Neznámá", {}},        {"N/A", {5, 1, 2, 300, 44, 3}}, // no battery type: the whole index
    };
    for (const auto& c : cases)
        EXPECT_EQ(numbers(offeredProcedures(types, c.name, index)), c.offered) << c.name;
    const auto rows = offeredProcedures(types, "NiCd 20", index);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (ProcedureIndexEntry{1, "Jedna"}));
    EXPECT_EQ(rows[2].name, "Pět");
}

TEST(OfferedProcedures, OneRowPerNumberEvenInADamagedIndex)
{
    const std::vector<ProcedureIndexEntry> index = {{4, "Čtyři"}, {4, "Znovu čtyři"}, {6, "Šest"}};
    const std::vector<BatteryType> types = {type("A", {4, 6}), type("A", {4})};
    EXPECT_EQ(offeredProcedures(types, "A", index), (std::vector<ProcedureIndexEntry>{{4, "Čtyři"}, {6, "Šest"}}));
    EXPECT_EQ(numbers(offeredProcedures({}, kNoBatteryTypeName, index)), (std::vector<int>{4, 6}));
}
