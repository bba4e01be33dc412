// The conditions window's rules: the rows it opens with, which controls show, the value
// field's key filter, "OK", and the time entry.
#include "core/definitions/condition_editor.h"
#include "core/definitions/condition_variables.h"
#include "support/locale_scope.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

ConditionTerm term(std::uint8_t var, std::uint8_t rel, StepValue v, std::uint8_t joiner)
{
    return ConditionTerm{var, rel, v, joiner, {}};
}

} // namespace

TEST(ConditionEditor, KeyFilter)
{
    test::LocaleScope comma(test::commaFormats());
    struct Case {
        const char* text;
        std::size_t selStart;
        std::size_t selLength;
        ValueFieldKey key;
        const char* typed;
        bool accepted;
        const char* insert;
    };
    using K = ValueFieldKey;
    const Case cases[] = {
        {"", 0, 0, K::Character, "#", true, "#"},
        {"", 0, 0, K::Character, ",", true, ","},
        {"", 0, 0, K::Character, ".", true, ","}, // ",5" typed as ".5" too
        {"", 0, 0, K::Character, "5", true, "5"},
        {"", 0, 0, K::Character, "a", false, ""},
        {"", 0, 0, K::Character, "-", false, ""},
        {"12", 2, 0, K::Character, "#", false, ""},
        {"12", 2, 0, K::Character, ",", true, ","},
        {"1,2", 3, 0, K::Character, ",", false, ""},
        {"1,2", 3, 0, K::Character, ".", false, ""},
        {"1,2", 1, 1, K::Character, ".", true, ","}, // the selected separator goes
        {"1,2", 0, 3, K::Character, "#", true, "#"}, // all selected: the remaining text is empty
        {"#", 1, 0, K::Character, "U", true, "U"},
        {"#U", 2, 0, K::Character, "1", true, "1"},
        {"#U", 2, 0, K::Character, "č", true, "č"},
        {"#U1", 3, 0, K::Character, "2", false, ""},
        {"#U1", 2, 1, K::Character, "2", true, "2"},
        {"#Už", 3, 0, K::Character, "x", false, ""}, // characters, not bytes
        {"#U1", 3, 0, K::Backspace, "", true, ""},
        {"#U1", 0, 0, K::Delete, "", true, ""},
        {"1,2", 1, 0, K::Left, "", true, ""},
        {"1,2", 1, 0, K::Right, "", true, ""},
        {"abc", 0, 0, K::Home, "", true, ""},
        {"abc", 0, 0, K::End, "", true, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filterConditionValueKey(c.text, c.selStart, c.selLength, c.key, c.typed),
                  (KeyVerdict{c.accepted, c.insert}))
            << c.text << " " << c.selStart << "+" << c.selLength << " " << c.typed;

    test::LocaleScope point(test::pointFormats());
    EXPECT_EQ(filterConditionValueKey("1", 1, 0, ValueFieldKey::Character, ","), (KeyVerdict{true, "."}));
}

TEST(ConditionEditor, RowsOnOpeningAndTheirControls)
{
    test::LocaleScope comma(test::commaFormats());
    Condition c{};
    c[0] = term(kVarVoltage, kRelGreaterEqual, StepValue::number(2, 28.8f), 1);
    c[1] = term(kVarTime, kRelGreater, StepValue::number(5, 3600.0f), 2);
    c[2] = term(255, 255, StepValue::number(2, 1.0f), 0);     // not used, nonsense codes
    c[3] = term(20, kRelLess, StepValue::number(2, 1.0f), 1); // used, variable outside the list

    const ConditionRows rows = conditionRowsFor(c, nullptr);
    EXPECT_EQ(rows[0], (ConditionRow{1, kVarVoltage, kRelGreaterEqual, "28,8"}));
    EXPECT_EQ(rows[1], (ConditionRow{2, kVarTime, kRelGreater, "3600"}));
    EXPECT_EQ(rows[2], (ConditionRow{0, 0, 0, ""}));
    EXPECT_EQ(rows[3], (ConditionRow{1, -1, kRelLess, " 1,0"}));

    struct Case {
        ConditionRow row;
        ConditionRowControls controls;
    };
    const Case cases[] = {
        {{0, kVarTime, 0, ""}, {false, false}}, {{1, kVarTime, 0, ""}, {true, true}},
        {{2, kVarTime, 0, ""}, {true, true}},   {{1, kVarVoltage, 0, ""}, {true, false}},
        {{1, -1, 0, ""}, {true, false}},
    };
    for (const auto& k : cases)
        EXPECT_EQ(conditionRowControls(k.row), k.controls) << k.row.joiner << " " << k.row.variable;
}

TEST(ConditionEditor, OkStoresOnlyWhatIsComplete)
{
    test::LocaleScope comma(test::commaFormats());
    Condition original{};
    original[0] = term(kVarVoltage, kRelGreaterEqual, StepValue::number(2, 28.8f), 1);
    original[2] = term(7, 2, StepValue::number(1, 3.0f), 0);
    original[2].spare[0] = 0xAB;

    struct Case {
        int row;
        ConditionRow edited;
        const char* message; // "" = stored
    };
    const Case cases[] = {
        {1, {1, kVarTime, kRelGreater, "3600"}, ""},
        {1, {1, kVarCurrent, kRelLess, "#I1"}, ""},
        {1, {1, kVarCurrent, kRelLess, ""}, ""},
        {1, {1, -1, kRelGreater, "1"}, "Řádek 2: není zvolena veličina"},
        {1, {1, kVarVoltage, -1, "1"}, "Řádek 2: není zvolen vztah"},
        {1, {3, kVarVoltage, 0, "1"}, "Řádek 2: není zvoleno spojení"},
        {0, {2, kVarVoltage, 0, "1"}, "Řádek 1: není zvoleno spojení"}, // row 0 has two entries
        {3, {1, kVarVoltage, 0, ","}, "Řádek 4: hodnota , není číslo"},
        {3, {1, kVarVoltage, 0, "#U"}, "Řádek 4: Odkaz na proměnnou je # a dva znaky"},
        {3, {0, 99, -1, "x"}, ""}, // not used: never looked at
    };
    for (const auto& k : cases) {
        ConditionRows rows = conditionRowsFor(original, nullptr);
        rows[static_cast<std::size_t>(k.row)] = k.edited;
        Condition c = original;
        const Status st = applyConditionRows(c, rows);
        EXPECT_EQ(st ? std::string() : st.error(), k.message) << k.row << " " << k.edited.valueText;
        if (!st) {
            EXPECT_EQ(c, original);
            continue;
        }
        const ConditionTerm& t = c[static_cast<std::size_t>(k.row)];
        EXPECT_EQ(t.joiner, k.edited.joiner);
        if (k.edited.joiner != 0) {
            EXPECT_EQ(t.variable, k.edited.variable);
        }
        if (k.edited.joiner != 0 && !k.edited.valueText.empty()) {
            EXPECT_EQ(t.value.format % kFormatReferenceOffset,
                      kConditionVariables[static_cast<std::size_t>(k.edited.variable)].defaultFormat);
        }
        EXPECT_EQ(c[2], original[2]); // a row not used keeps its bytes
    }

    // A row turned on right after opening stores its listed choices, never 255.
    ConditionRows rows = conditionRowsFor(Condition{}, nullptr);
    rows[0].joiner = 1;
    rows[0].valueText = "5";
    Condition c{};
    ASSERT_TRUE(applyConditionRows(c, rows));
    EXPECT_EQ(c[0].variable, kVarTime);
    EXPECT_EQ(c[0].relation, kRelEqual);
    EXPECT_EQ(c[0].value, StepValue::number(5, 5.0f));
}

TEST(ConditionEditor, TimeEntryOfAValueField)
{
    test::LocaleScope comma(test::commaFormats());
    struct Case {
        const char* text;
        TimeEntry entry;
        const char* message; // "" = opened
    };
    const Case cases[] = {
        {"", {0, 0, 0}, ""},
        {"3725", {1, 2, 5}, ""},
        {" 42", {0, 0, 42}, ""},
        {"90,9", {0, 1, 30}, ""}, // the fraction is cut off
        {"3600.5", {1, 0, 0}, ""},
        {"99999999999999999999", {255, 59, 59}, ""},
        {"#T1", {}, "Doba je odkaz na proměnnou, nelze ji převést"},
        {",", {}, "Doba , není číslo"},
    };
    for (const auto& c : cases) {
        const auto r = timeEntryOfField(c.text);
        EXPECT_EQ(r ? std::string() : r.error(), c.message) << c.text;
        if (r) {
            EXPECT_EQ(r.value(), c.entry) << c.text;
        }
    }
    EXPECT_EQ(fieldOfTimeEntry({1, 2, 5}), "3725");
    EXPECT_EQ(fieldOfTimeEntry({0, 0, 0}), "0");
}
