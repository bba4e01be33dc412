// Step values typed, shown and resolved, and the RunProcedure PrepareRun builds.
#include "core/definitions/definition_paths.h"
#include "core/definitions/prepare_run.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/value_text.h"
#include "support/fake_clock.h"
#include "support/locale_scope.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using kapsorel::test::FakeClock;
using kapsorel::test::TempHome;

namespace {

BatteryType nicd()
{
    BatteryType t;
    t.name = "20KSX25P";
    t.variables = {{"Nabíjecí napětí", "U1", 28.8f},
                   {"Kapacita", "C1", 25.0f},
                   {"Druhé U1", "U1", 99.0f},
                   {"Interval", "T1", 3600.0f}};
    return t;
}

} // namespace

TEST(ParseValueText, Table)
{
    struct Case {
        std::uint8_t def;
        const char* text;
        std::uint8_t format;
        float value;
        bool failed;
    };
    const Case cases[] = {
        {2, "", 0, 0.0f, false},     {2, "28,8", 2, 28.8f, false}, {2, "28.8", 2, 28.8f, false},
        {1, "3", 1, 3.0f, false},    {3, ",5", 3, 0.5f, false},    {2, " 12,5 ", 2, 12.5f, false},
        {2, "-2", 2, -2.0f, false},  {2, "abc", 2, 0.0f, true},    {2, ",", 2, 0.0f, true},
        {2, "1,2,3", 2, 0.0f, true}, {2, "nan", 2, 0.0f, true},    {2, "1e40", 2, 0.0f, true},
    };
    for (const auto& c : cases) {
        const ParsedValue p = parseValueText(c.def, c.text);
        EXPECT_EQ(p.value.format, c.format) << c.text;
        EXPECT_EQ(p.value.single(), c.value) << c.text;
        EXPECT_EQ(p.failed, c.failed) << c.text;
    }
    // An empty text stores four zero bytes.
    EXPECT_EQ(parseValueText(2, "").value.bytes, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(ParseValueText, VariableReferences)
{
    const ParsedValue u1 = parseValueText(2, "#U1");
    EXPECT_EQ(u1.value.format, 12);
    EXPECT_EQ(u1.value.bytes[0], 'U');
    EXPECT_EQ(u1.value.bytes[1], '1');
    EXPECT_FALSE(u1.failed);
    EXPECT_EQ(parseValueText(5, "#T1").value.format, 15);
    const ParsedValue czech = parseValueText(1, "#Čx");
    EXPECT_EQ(czech.value.bytes[0], 0xC8); // Windows-1250 Č
    EXPECT_EQ(czech.value.referenceId(), "Čx");
    EXPECT_EQ(parseValueText(1, "#U").value.referenceId(), "U");
}

TEST(FormatValueText, LiteralsByFormatCode)
{
    struct Case {
        std::uint8_t format;
        float value;
        const char* text;
    };
    const Case cases[] = {
        {0, 5.0f, ""},      {1, 2.5f, "2"},    {1, 3.5f, "4"},    {5, 3600.0f, "3600"},
        {2, 28.8f, "28,8"}, {2, 1.0f, " 1,0"}, {3, 1.5f, "1,50"}, {4, 1.25f, "1,250"},
        {6, 1.0f, ""},      {10, 1.0f, ""},    {1, -0.4f, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatValueText(StepValue::number(c.format, c.value), nullptr), c.text) << int(c.format);
    EXPECT_EQ(test::underPoint([&] { return formatValueText(StepValue::number(2, 28.8f), nullptr); }), "28.8");
}

TEST(FormatValueText, ReferencesWithAndWithoutShownBatteryType)
{
    const BatteryType t = nicd();
    const struct {
        StepValue v;
        const BatteryType* shown;
        const char* text;
    } cases[] = {
        // clang-format off
        {StepValue::reference(2, "U1"), nullptr, "#U1"},
        {StepValue::reference(2, "U1"), &t, "28,8"},  // the first U1
        {StepValue::reference(1, "C1"), &t, "25"},
        {StepValue::reference(3, "C1"), &t, "25,00"},
        {StepValue::reference(4, "U1"), &t, "28,800"},
        {StepValue::reference(5, "T1"), &t, "T1"},
        {StepValue::reference(2, "U2"), &t, "???"},
        {StepValue::reference(2, "u1"), &t, "???"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatValueText(c.v, c.shown), c.text);
}

TEST(ResolveValue, LiteralsReferencesAndTheLoadErrorFlag)
{
    const std::vector<BatteryType> types = {nicd()};
    LoadError err;
    EXPECT_EQ(resolveValue(StepValue::number(2, 14.5f), types, -1, err), 14.5f);
    EXPECT_FALSE(err.set);
    EXPECT_EQ(resolveValue(StepValue::reference(2, "U1"), types, 0, err), 28.8f);
    EXPECT_FALSE(err.set);

    EXPECT_EQ(resolveValue(StepValue::reference(2, "U1"), types, -1, err), 0.0f);
    EXPECT_TRUE(err.set);
    EXPECT_EQ(err.message, ""); // no battery type: the flag alone

    err.clear();
    EXPECT_EQ(resolveValue(StepValue::reference(2, "ZZ"), types, 0, err), 0.0f);
    EXPECT_TRUE(err.set);
    EXPECT_EQ(err.message, "U baterie 20KSX25Pnení proměnná #ZZ");
}

TEST(ResolveValue, MessageCuts)
{
    // Name and first part cut to 40 characters, the text before the ID to 55.
    const std::string name30(30, 'N');
    EXPECT_EQ(missingVariableMessage(name30, "U1"), "U baterie " + name30 + "není proměnná #U1");
    std::string longName;
    std::string thirty;
    for (int i = 0; i < 45; ++i)
        longName += "ž";
    for (int i = 0; i < 30; ++i)
        thirty += "ž";
    EXPECT_EQ(missingVariableMessage(longName, "U1"), "U baterie " + thirty + "není proměnná #U1");
    // A short first part keeps the whole middle text.
    EXPECT_EQ(missingVariableMessage("Pb", "C1"), "U baterie Pbnení proměnná #C1");
}

namespace {

Procedure chargeProcedure()
{
    Procedure p;
    ProcedureStep charge;
    charge.type = 0;
    charge.recordInterval = 10;
    charge.value1 = parseValueText(2, "#U1").value;
    charge.value2 = StepValue::number(2, 2.5f);
    charge.printNumber = 1;
    charge.reportNumber = 2;
    charge.description = "Nabíjení";
    charge.endCondition[0] = {1, 4, StepValue::reference(2, "U1"), 1, {}};
    charge.endCondition[1] = {0, 3, StepValue::number(5, 3600.0f), 1, {}};
    // A joiner-0 term with junk in every other byte.
    charge.endCondition[2] = {9, 4, StepValue::reference(2, "ZZ"), 0, {1, 2, 3}};
    charge.endCondition[3] = {16, 2, StepValue::number(2, 7.0f), 2, {}};
    ProcedureStep choice;
    choice.type = 6;
    choice.text = "Pokračovat?";
    choice.value1 = StepValue::number(1, 0.0f);
    choice.value2 = StepValue::number(1, 5.0f);
    choice.endCondition[0] = {5, 3, StepValue::number(2, 0.0f), 1, {}};
    p.steps = {charge, choice};
    return p;
}

} // namespace

TEST(PrepareRun, ResolvesStepsAndConditions)
{
    const std::vector<BatteryType> types = {nicd()};
    RunProcedure run;
    LoadError err;
    prepareRun(chargeProcedure(), types, 0, run, err);
    ASSERT_FALSE(err.set) << err.message;
    ASSERT_EQ(run.stepCount, 2);
    const RunStep& s = run.steps[0];
    EXPECT_EQ(s.recordInterval, 10);
    EXPECT_EQ(s.type, 0);
    EXPECT_EQ(s.value1, 28.8f);
    EXPECT_EQ(s.value2, 2.5f);
    EXPECT_EQ(s.printNumber, 1);
    EXPECT_EQ(s.reportNumber, 2);
    EXPECT_EQ(s.description, "Nabíjení");
    EXPECT_EQ(s.endCondition[0], (RunConditionTerm{1, 4, 28.8f, 1}));
    EXPECT_EQ(s.endCondition[1], (RunConditionTerm{0, 3, 3600.0f, 1}));
    EXPECT_EQ(s.endCondition[2], (RunConditionTerm{0, 0, 0.0f, 0}));
    EXPECT_EQ(s.endCondition[3], (RunConditionTerm{16, 2, 7.0f, 2}));
    EXPECT_FALSE(s.hasCondition(kStartCondition));
    EXPECT_TRUE(s.hasCondition(kEndCondition));
    EXPECT_EQ(run.steps[1].text, "Pokračovat?");
    EXPECT_EQ(run.steps[1].value2, 5.0f);
}

TEST(PrepareRun, MissingVariableStopsAndLeavesNothingToRun)
{
    BatteryType pb;
    pb.name = "Pb 12V";
    const std::vector<BatteryType> types = {nicd(), pb};
    RunProcedure run;
    run.stepCount = 7; // a stale procedure
    LoadError err;
    prepareRun(chargeProcedure(), types, 1, run, err);
    EXPECT_TRUE(err.set);
    EXPECT_EQ(err.message, "U baterie Pb 12Vnení proměnná #U1");
    EXPECT_EQ(run.stepCount, 0);

    err.clear();
    prepareRun(chargeProcedure(), types, -1, run, err);
    EXPECT_TRUE(err.set);
    EXPECT_EQ(err.message, "");
    EXPECT_EQ(run.stepCount, 0);
}

TEST(PrepareRun, ReferenceComparesBothIdCharacters)
{
    // "#" and "#U" leave zero bytes where characters are missing; a variable must have
    // exactly the two characters, so a one-letter or unnamed variable is not theirs.
    BatteryType pb;
    pb.name = "Pb";
    pb.variables = {{"Bez jména", "", 1.0f}, {"Jedno písmeno", "U", 14.4f}, {"Napětí", "U1", 28.8f}};
    const std::vector<BatteryType> types = {pb};
    struct Case {
        const char* text;
        bool resolves;
        float value;
        const char* message;
    };
    const Case cases[] = {
        {"#", false, 0.0f, "U baterie Pbnení proměnná #"},
        {"#U", false, 0.0f, "U baterie Pbnení proměnná #U"},
        {"#U1", true, 28.8f, ""},
    };
    for (const auto& c : cases) {
        const StepValue ref = parseValueText(2, c.text).value;
        // In a step value and in a condition threshold alike.
        Procedure inValue;
        inValue.steps.resize(1);
        inValue.steps[0].type = 0;
        inValue.steps[0].value1 = ref;
        Procedure inCondition;
        inCondition.steps.resize(1);
        inCondition.steps[0].type = 0;
        inCondition.steps[0].endCondition[0] = {1, 4, ref, 1, {}};
        for (const Procedure* p : {&inValue, &inCondition}) {
            RunProcedure run;
            LoadError err;
            prepareRun(*p, types, 0, run, err);
            EXPECT_EQ(err.set, !c.resolves) << c.text;
            EXPECT_EQ(err.message, c.message) << c.text;
            EXPECT_EQ(run.stepCount, c.resolves ? 1 : 0) << c.text;
            if (c.resolves) {
                EXPECT_EQ(p == &inValue ? run.steps[0].value1 : run.steps[0].endCondition[0].threshold, c.value);
            }
        }
        // The editor's check mode agrees: no value for such a reference.
        EXPECT_EQ(formatValueText(ref, &pb) == "???", !c.resolves) << c.text;
    }
}

TEST(PrepareRun, FromTheProcedureFile)
{
    TempHome home;
    FakeClock clock;
    std::filesystem::create_directories(home / "Postupy");
    ASSERT_TRUE(saveProcedureFile(procedureFilePath(home.path(), 7), chargeProcedure(), clock));
    const std::vector<BatteryType> types = {nicd()};
    RunProcedure run;
    LoadError err;
    prepareRun(home.path(), 7, types, 0, run, err, clock);
    ASSERT_FALSE(err.set) << err.message;
    EXPECT_EQ(run.stepCount, 2);
    EXPECT_EQ(run.steps[0].value1, 28.8f);

    // Missing and empty procedures are refused and leave no stale steps.
    prepareRun(home.path(), 8, types, 0, run, err, clock);
    EXPECT_TRUE(err.set);
    EXPECT_NE(err.message.find("008.psp"), std::string::npos);
    EXPECT_EQ(run.stepCount, 0);

    home.writeBytes("Postupy/009.psp", {0});
    err.clear();
    run.stepCount = 2;
    prepareRun(home.path(), 9, types, 0, run, err, clock);
    EXPECT_TRUE(err.set);
    EXPECT_EQ(err.message, emptyProcedureMessage());
    EXPECT_EQ(run.stepCount, 0);

    home.writeBytes("Postupy/010.psp", {1, 0, 0});
    err.clear();
    prepareRun(home.path(), 10, types, 0, run, err, clock);
    EXPECT_TRUE(err.set);
    EXPECT_NE(err.message.find("010.psp"), std::string::npos);
}
