// Condition texts, durations, the default "Volba" end condition and the time entry.
#include "core/definitions/condition_text.h"
#include "core/definitions/condition_variables.h"
#include "core/definitions/duration_text.h"
#include "core/definitions/step_types.h"
#include "core/definitions/value_text.h"
#include "support/locale_scope.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

ConditionTerm term(std::uint8_t var, std::uint8_t rel, StepValue v, std::uint8_t joiner)
{
    return ConditionTerm{var, rel, v, joiner, {}};
}

} // namespace

TEST(ConditionText, Examples)
{
    Condition c{};
    c[0] = term(1, 4, StepValue::number(2, 28.8f), 1);
    EXPECT_EQ(test::underPoint([&] { return ConditionText(c, nullptr); }), "U>=28.8 V ");
    c[1] = term(0, 3, StepValue::number(5, 3600.0f), 1);
    EXPECT_EQ(test::underPoint([&] { return ConditionText(c, nullptr); }), "U>=28.8 V | T>1h0m0s ");
    EXPECT_EQ(ConditionText(c, nullptr), "U>=28,8 V | T>1h0m0s ");

    Condition tl{};
    tl[0] = term(5, 3, StepValue::number(2, 0.0f), 1);
    EXPECT_EQ(test::underPoint([&] { return ConditionText(tl, nullptr); }), "Tl> 0.0 ");
}

TEST(ConditionText, TermsByVariableAndFormat)
{
    struct Case {
        ConditionTerm t;
        const char* text;
    };
    const Case cases[] = {
        {term(0, 4, StepValue::number(5, 3725.0f), 1), "T>=1h2m5s "},
        {term(0, 1, StepValue::number(5, 125.0f), 1), "T<2m5s "},
        {term(2, 1, StepValue::number(2, 0.5f), 1), "I< 0,5 A "},
        {term(3, 2, StepValue::number(2, 25.0f), 1), "C<=25,0 Ah "},
        {term(4, 1, StepValue::number(3, 1.0f), 1), "Ub<1,00 V"},
        {term(9, 0, StepValue::number(1, 1.0f), 1), "P3=1"},
        {term(15, 0, StepValue::number(1, 2.0f), 1), "P9=2"},
        {term(16, 3, StepValue::number(2, 0.1f), 1), "dI> 0,1 A "},
        {term(1, 3, StepValue::reference(2, "U1"), 1), "U>#U1V "},
        {term(1, 3, StepValue::number(0, 0.0f), 1), "U>V "},
        {term(17, 9, StepValue::number(1, 1.0f), 1), "??1"},
    };
    for (const auto& c : cases) {
        Condition cond{};
        cond[0] = c.t;
        EXPECT_EQ(ConditionText(cond, nullptr), c.text);
    }
}

TEST(ConditionText, JoinersAndTermsAfterTheEnd)
{
    Condition c{};
    c[0] = term(5, 3, StepValue::number(1, 0.0f), 1);
    c[1] = term(9, 0, StepValue::number(1, 1.0f), 2);
    c[2] = term(0, 3, StepValue::number(5, 60.0f), 0); // "konec"
    c[3] = term(1, 3, StepValue::number(2, 1.0f), 1);  // left out though it says OR
    EXPECT_EQ(ConditionText(c, nullptr), "Tl>0& P3=1");
    c[0].joiner = 0;
    EXPECT_EQ(ConditionText(c, nullptr), "");
}

TEST(ConditionText, ReferencesWithAShownBatteryType)
{
    BatteryType t;
    t.name = "NiCd";
    t.variables = {{"Nabíjecí napětí", "U1", 28.8f}, {"Interval", "T1", 7200.0f}};
    Condition c{};
    c[0] = term(1, 4, StepValue::reference(2, "U1"), 1);
    c[1] = term(0, 3, StepValue::reference(5, "T1"), 1);
    c[2] = term(2, 1, StepValue::reference(2, "I9"), 2);
    EXPECT_EQ(ConditionText(c, &t), "U>=28,8V | T>T1& I<???A ");
    ProcedureStep s;
    s.endCondition = c;
    EXPECT_EQ(ConditionText(s, kEndCondition, nullptr), "U>=#U1V | T>#T1& I<#I9A ");
    EXPECT_EQ(ConditionText(s, kStartCondition, nullptr), "");
}

TEST(DefaultChoiceEndCondition, AppliedOnlyToAnUnusedChoiceEndCondition)
{
    ProcedureStep choice;
    choice.type = static_cast<std::uint8_t>(StepType::Choice);
    choice.text = std::string(60, 't');
    choice.endCondition[1] = term(1, 1, StepValue::number(2, 1.0f), 2);
    normaliseStepForSave(choice);
    EXPECT_EQ(choice.endCondition[0], term(5, 3, StepValue::number(2, 0.0f), 1));
    EXPECT_EQ(choice.endCondition[1].joiner, 0);
    EXPECT_EQ(choice.text.size(), 50u);
    EXPECT_EQ(test::underPoint([&] { return ConditionText(choice, kEndCondition, nullptr); }), "Tl> 0.0 ");

    ProcedureStep edited = choice;
    edited.endCondition[0] = term(0, 3, StepValue::number(5, 30.0f), 1);
    normaliseStepForSave(edited);
    EXPECT_EQ(edited.endCondition[0].variable, 0);

    ProcedureStep charge;
    charge.type = 0;
    charge.text = "no text for charging";
    charge.description = std::string(40, 'd');
    normaliseStepForSave(charge);
    EXPECT_FALSE(conditionUsed(charge.endCondition));
    EXPECT_EQ(charge.text, "");
    EXPECT_EQ(charge.description.size(), 30u);
}

TEST(Durations, HmsAndHm)
{
    const std::pair<std::int32_t, const char*> hms[] = {
        {0, "00:00:00"}, {307, "00:05:07"}, {3725, "01:02:05"}, {123 * 3600, "123:00:00"}, {-65, "-00:01:05"},
    };
    for (auto [s, text] : hms)
        EXPECT_EQ(formatDurationHms(s), text) << s;
    const std::pair<std::int32_t, const char*> hm[] = {
        {3725, "01:02"}, {3900, "01:05"}, {89, "00:01"},   {90, "00:02"},
        {150, "00:02"},  {3570, "01:00"}, {3569, "00:59"}, {7199, "02:00"},
    };
    for (auto [s, text] : hm)
        EXPECT_EQ(formatDurationHm(s), text) << s;
}

TEST(TimeEntry, SplitAndJoin)
{
    EXPECT_EQ(splitSeconds(3725), (TimeEntry{1, 2, 5}));
    EXPECT_EQ(splitSeconds(0), (TimeEntry{0, 0, 0}));
    EXPECT_EQ(splitSeconds(-5), (TimeEntry{0, 0, 0}));
    EXPECT_EQ(splitSeconds(256LL * 3600), (TimeEntry{255, 59, 59}));
    EXPECT_EQ(joinSeconds({1, 2, 5}), 3725);
    EXPECT_EQ(joinSeconds({255, 59, 59}), 921599);
    for (long long s : {0LL, 59LL, 3600LL, 86399LL, 900000LL})
        EXPECT_EQ(joinSeconds(splitSeconds(s)), s);
}

TEST(FixedTables, StepTypesAndConditionVariables)
{
    EXPECT_STREQ(kStepTypes[0].name, "Nabíjení");
    EXPECT_STREQ(kStepTypes[9].name, "Kontrola nap.");
    EXPECT_STREQ(kStepTypes[10].name, "Konec");
    EXPECT_STREQ(stepTypeName(11), "");
    int withEnd = 0;
    for (const auto& t : kStepTypes)
        withEnd += t.hasEndCondition() ? 1 : 0;
    EXPECT_EQ(withEnd, 5); // 0, 1, 2, 3 and 5
    EXPECT_TRUE(kStepTypes[5].hasEndCondition());
    EXPECT_FALSE(kStepTypes[4].hasEndCondition());
    EXPECT_EQ(kStepTypes[0].max2, 22.0f);
    EXPECT_EQ(kStepTypes[9].kind1, 3);
    EXPECT_EQ(kStepTypes[1].rowColour.r, 0xFF);
    EXPECT_EQ(kStepTypes[1].rowColour.g, 0xC1);
    EXPECT_TRUE(stepTypeKeepsText(4));
    EXPECT_TRUE(stepTypeKeepsText(6));
    EXPECT_FALSE(stepTypeKeepsText(7));

    EXPECT_STREQ(kConditionVariables[4].name, "Nap. článku");
    EXPECT_STREQ(kConditionVariables[12].name, "Pom. pr. 6");
    EXPECT_STREQ(kConditionVariables[12].symbol, "P6");
    EXPECT_EQ(kConditionVariables[0].defaultFormat, 5);
    EXPECT_EQ(kConditionVariables[4].defaultFormat, 3);
    EXPECT_EQ(kConditionVariables[16].defaultFormat, 2);
}
