// The demo station's definition files, written by the generator and read back with
// the station's own readers.
#include <gtest/gtest.h>

#include <set>

#include "core/definitions/battery_table.h"
#include "core/definitions/condition_text.h"
#include "core/definitions/prepare_run.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/step_types.h"
#include "demo_definitions.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

using namespace kapsorel;
using kapsorel::test::FakeClock;
using kapsorel::test::TempHome;

TEST(DemoDefinitions, WrittenFilesReadBack)
{
    TempHome home;
    FakeClock clock;
    ASSERT_TRUE(demo::writeDemoDefinitions(home.path()));

    ProcedureIndex index(home.path(), clock);
    ASSERT_TRUE(index.load());
    ASSERT_EQ(index.size(), 2);
    BatteryTable batteries;
    const FileReport report = batteries.load(home.path(), clock);
    ASSERT_TRUE(report.ok()) << report.status.error();
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(batteries.types(), demo::demoBatteryTypes());

    const auto expected = demo::demoProcedures();
    for (int i = 0; i < index.size(); ++i) {
        EXPECT_EQ(index.at(i), expected[static_cast<std::size_t>(i)].entry);
        auto p = index.loadProcedure(i);
        ASSERT_TRUE(p) << p.error();
        EXPECT_EQ(p.value(), expected[static_cast<std::size_t>(i)].procedure);
    }
}

TEST(DemoDefinitions, BatteryTypes)
{
    const auto types = demo::demoBatteryTypes();
    ASSERT_EQ(types.size(), 2u);
    const BatteryType& nicd = types[0];
    EXPECT_EQ(nicd.head, 1);
    EXPECT_EQ(nicd.chemistry, kChemistryNiCd);
    EXPECT_EQ(types[1].chemistry, kChemistryPb);
    for (const auto& t : types) {
        for (const char* id : {"U1", "I1", "I2", "C1", "CR", "T1"})
            EXPECT_NE(t.findVariable(id), nullptr) << t.name << " " << id;
        EXPECT_GT(t.currentChangeInterval, 0);
        EXPECT_TRUE(t.allows(demo::kCapacityTestNumber));
        EXPECT_TRUE(t.allows(demo::kShortDemoNumber));
        EXPECT_LT(t.findVariable("CR")->value, t.findVariable("C1")->value);
    }
}

TEST(DemoDefinitions, EveryProcedurePreparesForEveryBatteryType)
{
    TempHome home;
    FakeClock clock;
    ASSERT_TRUE(demo::writeDemoDefinitions(home.path()));
    const auto types = demo::demoBatteryTypes();
    for (const auto& p : demo::demoProcedures()) {
        for (std::int16_t b = 0; b < static_cast<std::int16_t>(types.size()); ++b) {
            RunProcedure run;
            LoadError err;
            PrepareRun(home.path(), static_cast<std::int16_t>(p.entry.number), types, b, run, err, clock);
            EXPECT_FALSE(err.set) << p.entry.name << " / " << types[static_cast<std::size_t>(b)].name << ": "
                                  << err.message;
            EXPECT_EQ(run.stepCount, p.procedure.steps.size());
        }
    }
}

TEST(DemoDefinitions, CapacityTestUsesEveryStepTypeSensibly)
{
    const Procedure p = demo::demoProcedures()[0].procedure;
    std::set<int> used;
    for (const auto& s : p.steps) {
        used.insert(s.type);
        ASSERT_LT(s.type, kStepTypeCount);
        const SGKROK& t = kStepTypes[s.type];
        // Values a type does not use are stored empty; ends only where the type has them.
        if (t.kind1 == 0) {
            EXPECT_EQ(s.value1.format, 0) << s.description;
        }
        if (t.kind2 == 0) {
            EXPECT_EQ(s.value2.format, 0) << s.description;
        }
        if (!t.hasEndCondition() && s.type != static_cast<std::uint8_t>(StepType::Choice)) {
            EXPECT_FALSE(conditionUsed(s.endCondition)) << s.description;
        }
        if (!stepTypeKeepsText(s.type)) {
            EXPECT_EQ(s.text, "");
        }
    }
    EXPECT_EQ(used.size(), static_cast<std::size_t>(kStepTypeCount));
    EXPECT_EQ(p.steps.back().type, static_cast<std::uint8_t>(StepType::End));

    // The choice step got the default end condition; the jump's target exists.
    const auto& choice = p.steps[10];
    ASSERT_EQ(choice.type, static_cast<std::uint8_t>(StepType::Choice));
    EXPECT_EQ(ConditionText(choice, kEndCondition, nullptr, '.'), "Tl> 0.0 ");
    const auto& jump = p.steps[8];
    ASSERT_EQ(jump.type, static_cast<std::uint8_t>(StepType::Jump));
    EXPECT_LE(jump.value1.single(), static_cast<float>(p.steps.size()));
    EXPECT_EQ(ConditionText(p.steps[0], kEndCondition, nullptr), "T>=#TN| I<#IKA ");
    EXPECT_EQ(ConditionText(p.steps[5], kEndCondition, &demo::demoBatteryTypes()[0]), "Ub<1,00V| T>=5h0m0s ");
}

TEST(DemoDefinitions, ShortDemoFinishesInMinutes)
{
    const Procedure p = demo::demoProcedures()[1].procedure;
    double seconds = 0;
    for (const auto& s : p.steps) {
        if (!conditionUsed(s.endCondition) || s.type == static_cast<std::uint8_t>(StepType::Choice))
            continue;
        ASSERT_EQ(s.endCondition[0].variable, 0) << s.description;  // every timed step ends on "Doba"
        seconds += s.endCondition[0].value.single();
    }
    EXPECT_EQ(seconds, 130.0);
    EXPECT_EQ(p.steps[0].type, static_cast<std::uint8_t>(StepType::Charge));
}
