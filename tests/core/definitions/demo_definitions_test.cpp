// The demo station's definition files, written by the generator and read back with
// the station's own readers.
#include "core/definitions/battery_table.h"
#include "core/definitions/condition_text.h"
#include "core/definitions/condition_variables.h"
#include "core/definitions/prepare_run.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/step_types.h"
#include "demo_definitions.h"
#include "support/fake_clock.h"
#include "support/locale_scope.h"
#include "support/temp_home.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

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
    ASSERT_EQ(index.size(), static_cast<int>(demo::demoProcedures().size()));
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
    EXPECT_TRUE(nicd.allows(demo::kCapacityTestNumber));
    EXPECT_TRUE(nicd.allows(demo::kShortDemoNumber));
    EXPECT_TRUE(types[1].allows(demo::kLeadCapacityTestNumber));
    EXPECT_TRUE(types[1].allows(demo::kLeadShortDemoNumber));
    for (const auto& t : types) {
        for (const char* id : {"U1", "I1", "I2", "C1", "CR", "T1"})
            EXPECT_NE(t.findVariable(id), nullptr) << t.name << " " << id;
        EXPECT_GT(t.currentChangeInterval, 0);
        EXPECT_FALSE(t.allowedProcedures.empty()) << t.name;
        EXPECT_LT(t.findVariable("CR")->value, t.findVariable("C1")->value);
    }
}

TEST(DemoDefinitions, EveryAllowedProcedurePreparesForItsBatteryType)
{
    TempHome home;
    FakeClock clock;
    ASSERT_TRUE(demo::writeDemoDefinitions(home.path()));
    const auto types = demo::demoBatteryTypes();
    for (const auto& p : demo::demoProcedures()) {
        EXPECT_TRUE(
            std::any_of(types.begin(), types.end(), [&](const BatteryType& t) { return t.allows(p.entry.number); }))
            << p.entry.name << " is allowed for no battery type";
        for (std::int16_t b = 0; b < static_cast<std::int16_t>(types.size()); ++b) {
            if (!types[static_cast<std::size_t>(b)].allows(p.entry.number))
                continue;
            RunProcedure run;
            LoadError err;
            prepareRun(home.path(), static_cast<std::int16_t>(p.entry.number), types, b, run, err, clock);
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
        const StepTypeRow& t = kStepTypes[s.type];
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
    EXPECT_EQ(test::underPoint([&] { return ConditionText(choice, kEndCondition, nullptr); }), "Tl> 0.0 ");
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
        ASSERT_EQ(s.endCondition[0].variable, 0) << s.description; // every timed step ends on "Doba"
        seconds += s.endCondition[0].value.single();
    }
    EXPECT_EQ(seconds, 130.0);
    EXPECT_EQ(p.steps[0].type, static_cast<std::uint8_t>(StepType::Charge));
}

namespace {

// The used terms of a condition: those before the first joiner 0.
std::vector<ConditionTerm> usedTerms(const Condition& c)
{
    std::vector<ConditionTerm> out;
    for (const auto& t : c) {
        if (t.joiner == kJoinEnd)
            break;
        out.push_back(t);
    }
    return out;
}

// True when the condition turns true once enough step time has passed, whatever the
// measured values: a term "Doba" > or >= joined by OR (or first), with only OR terms
// after it, as the terms combine strictly from left to right.
bool endsInTime(const Condition& c)
{
    const auto terms = usedTerms(c);
    for (std::size_t i = 0; i < terms.size(); ++i) {
        const auto& t = terms[i];
        const bool timed = t.variable == kVarTime && (t.relation == kRelGreater || t.relation == kRelGreaterEqual) &&
                           t.joiner == kJoinOr;
        if (timed && std::all_of(terms.begin() + static_cast<std::ptrdiff_t>(i) + 1, terms.end(),
                                 [](const ConditionTerm& u) { return u.joiner == kJoinOr; }))
            return true;
    }
    return false;
}

} // namespace

TEST(DemoDefinitions, LeadTypeRunsOnlyProceduresThatNeedNoCellVoltages)
{
    const auto types = demo::demoBatteryTypes();
    int leadProcedures = 0;
    for (const auto& t : types) {
        if (t.chemistry != kChemistryPb)
            continue;
        for (const auto& p : demo::demoProcedures()) {
            if (!t.allows(p.entry.number))
                continue;
            ++leadProcedures;
            const std::string name = p.entry.name;
            ASSERT_FALSE(p.procedure.steps.empty()) << name;
            EXPECT_EQ(p.procedure.steps.back().type, static_cast<std::uint8_t>(StepType::End)) << name;
            for (const auto& s : p.procedure.steps) {
                const std::string where = name + " / " + s.description;
                // A lead station measures no cells: nothing may wait for or check them.
                EXPECT_NE(s.type, static_cast<std::uint8_t>(StepType::VoltageCheck)) << where;
                for (const Condition* c : {&s.startCondition, &s.endCondition})
                    for (const auto& term : usedTerms(*c))
                        EXPECT_NE(term.variable, kVarCellVoltage) << where;
                // Every step that drives or waits ends by its own conditions.
                const auto type = static_cast<StepType>(s.type);
                if (type == StepType::Charge || type == StepType::Discharge || type == StepType::Pause) {
                    EXPECT_TRUE(endsInTime(s.endCondition)) << where;
                }
            }
        }
    }
    EXPECT_GE(leadProcedures, 1);
}

TEST(DemoDefinitions, TellsWhetherAStationHasDefinitions)
{
    TempHome home;
    EXPECT_FALSE(demo::hasDefinitions(home.path()));
    home.writeBytes("Postupy/001.psp", {0});
    EXPECT_TRUE(demo::hasDefinitions(home.path()));
    TempHome other;
    ASSERT_TRUE(demo::writeDemoDefinitions(other.path()));
    EXPECT_TRUE(demo::hasDefinitions(other.path()));
}
