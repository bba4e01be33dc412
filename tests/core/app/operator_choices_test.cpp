// The main window's choice rules: family items, the battery types listed for a head and
// family, the items a hardware kind shows, and the hidden service sequence.
#include "core/app/operator_choices.h"
#include "core/app/service_access.h"
#include "core/definitions/offered_procedures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kapsorel {
namespace {

using ::testing::ElementsAre;

TEST(OperatorChoices, PbChosenAgainLeavesNoFamilyTheOthersStaySelected)
{
    using F = BatteryFamily;
    const struct {
        F current, chosen, expected;
    } cases[] = {{F::NiCd, F::NiCd, F::NiCd}, {F::NiCd, F::NiCdPb, F::NiCdPb}, {F::NiCdPb, F::NiCdPb, F::NiCdPb},
                 {F::NiCd, F::Pb, F::Pb},     {F::Pb, F::Pb, F::None},         {F::None, F::Pb, F::Pb}};
    for (const auto& c : cases)
        EXPECT_EQ(familyAfterChoice(c.current, c.chosen), c.expected) << int(c.current) << " then " << int(c.chosen);
    EXPECT_EQ(headFilterForFamily(F::NiCd, 7), 7);
    EXPECT_EQ(headFilterForFamily(F::Pb, 7), -1);
}

BatteryType type(const char* name, std::int16_t head, std::uint8_t chemistry)
{
    BatteryType t;
    t.name = name;
    t.head = head;
    t.chemistry = chemistry;
    return t;
}

TEST(OperatorChoices, BatteryTypesListedByHeadAndChemistryOnceEachWithNAOnlyWithoutAHead)
{
    const std::vector<BatteryType> types = {type("A", 3, kChemistryNiCd), type("B", 4, kChemistryNiCd),
                                            type("A", 3, kChemistryNiCd), type("P", 3, kChemistryPb),
                                            type("X", 3, kChemistryInvalid)};
    EXPECT_THAT(listedBatteryTypes(types, 3, BatteryFamily::NiCd), ElementsAre("A"));
    EXPECT_THAT(listedBatteryTypes(types, 0, BatteryFamily::NiCd), ElementsAre("A", "B"));
    EXPECT_THAT(listedBatteryTypes(types, -1, BatteryFamily::Pb), ElementsAre("P"));
    EXPECT_THAT(listedBatteryTypes(types, -1, BatteryFamily::None), ElementsAre("P"));
    // A head with no type of its own lists nothing; no head and nothing to list gives "N/A".
    EXPECT_TRUE(listedBatteryTypes(types, 9, BatteryFamily::NiCd).empty());
    EXPECT_THAT(listedBatteryTypes({}, -1, BatteryFamily::NiCd), ElementsAre(std::string(kNoBatteryTypeName)));
}

TEST(OperatorChoices, HardwareKindShowsItsFamilyItems)
{
    const auto kind0 = familyItemsForHardwareKind(0);
    ASSERT_TRUE(kind0);
    EXPECT_TRUE(kind0->nicd);
    EXPECT_FALSE(kind0->pb);
    EXPECT_FALSE(kind0->sourceVoltage);
    const auto kind1 = familyItemsForHardwareKind(1);
    ASSERT_TRUE(kind1);
    EXPECT_FALSE(kind1->nicd);
    EXPECT_FALSE(kind1->pb);
    EXPECT_TRUE(kind1->sourceVoltage);
    EXPECT_FALSE(familyItemsForHardwareKind(7));
}

TEST(ServiceAccess, TheSequenceInItsOrderBeforeExpertGivesTheServiceLevel)
{
    using E = DiagramElement;
    ServiceAccess access;
    for (E e : {E::Load, E::Source, E::DischargeSwitch, E::ChargeSwitch})
        EXPECT_TRUE(access.click(e));
    EXPECT_EQ(access.progress(), 4);
    access.setExpert(true);
    EXPECT_EQ(access.level(), 2);
    EXPECT_EQ(access.progress(), 0);
    access.setExpert(false);
    EXPECT_EQ(access.level(), 0);

    // Out of its place a sequence element starts it again; the battery changes nothing.
    EXPECT_TRUE(access.click(E::Load));
    EXPECT_FALSE(access.click(E::Battery));
    EXPECT_EQ(access.progress(), 1);
    EXPECT_FALSE(access.click(E::ChargeSwitch));
    EXPECT_EQ(access.progress(), 0);
    access.setExpert(true);
    EXPECT_EQ(access.level(), 1);
}

} // namespace
} // namespace kapsorel
