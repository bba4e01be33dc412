// The battery types window's rules in a temporary station home: checked edits, the
// allowed procedures, copy and paste, the modified flag, and what a save writes.
#include "core/definitions/battery_types_editor.h"
#include "core/definitions/definition_paths.h"
#include "support/fake_clock.h"
#include "support/fixture_bytes.h"
#include "support/locale_scope.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using kapsorel::test::FakeClock;
using kapsorel::test::TempHome;

namespace {

struct Station {
    TempHome home;
    FakeClock clock;
    ProcedureIndex index{home.path(), clock};
    BatteryTable table;
    BatteryTypesEditor editor{table, index, home.path(), clock};

    // Procedures "A" (0), "B" (1), "C" (2) and one battery type "NiCd 20" saved.
    Station()
    {
        EXPECT_TRUE(index.load());
        for (const char* name : {"A", "B", "C"})
            EXPECT_TRUE(index.addProcedure(name));
        EXPECT_TRUE(table.load(home.path(), clock));
        editor.setServiceRights(true);
        EXPECT_EQ(editor.addType(-1).value(), 0);
        EXPECT_TRUE(editor.editType(0, BatteryColumn::Name, "NiCd 20"));
        EXPECT_TRUE(editor.editType(0, BatteryColumn::Chemistry, "NiCd"));
        EXPECT_TRUE(editor.save());
    }
};

std::string verdict(const Status& st)
{
    return st ? std::string() : st.error();
}

} // namespace

TEST(BatteryTypesEditor, EditsAreCheckedAsTheyAreMade)
{
    test::LocaleScope comma(test::commaFormats());
    Station st;
    ASSERT_EQ(st.editor.addVariable(0).value(), 0);
    enum Target { Type, Variable, Interval };
    struct Case {
        Target target;
        int column;
        const char* text;
        const char* message; // "" = taken
    };
    const Case cases[] = {
        {Type, 0, "3", ""},
        {Type, 0, "32767", ""},
        {Type, 0, "40000", "Hlava musí být celé číslo 0 až 32767"},
        {Type, 0, "-1", "Hlava musí být celé číslo 0 až 32767"},
        {Type, 0, "abc", "Hlava musí být celé číslo 0 až 32767"},
        {Type, 2, "Pb", ""},
        {Type, 2, "", "Typ baterie je NiCd nebo Pb"},
        {Type, 2, "Li", "Typ baterie je NiCd nebo Pb"},
        {Variable, 1, "U1", ""},
        {Variable, 1, "U", "ID proměnné musí mít právě dva znaky"},
        {Variable, 1, "U12", "ID proměnné musí mít právě dva znaky"},
        {Variable, 1, "", "ID proměnné musí mít právě dva znaky"},
        {Variable, 1, "Uč", ""},
        {Variable, 1, "U✓", "ID proměnné musí mít právě dva znaky"},
        {Variable, 2, "28,8", ""},
        {Variable, 2, "28.8", ""},
        {Variable, 2, "x", "Hodnota x není číslo"},
        {Variable, 2, "1e39", "Hodnota 1e39 není číslo"},
        {Interval, 0, "30", ""},
        {Interval, 0, "", ""},
        {Interval, 0, "70000", "Interval změny proudu musí být celé číslo 0 až 65535"},
        {Interval, 0, "1,5", "Interval změny proudu musí být celé číslo 0 až 65535"},
    };
    for (const auto& c : cases) {
        Status r;
        if (c.target == Type)
            r = st.editor.editType(0, static_cast<BatteryColumn>(c.column), c.text);
        else if (c.target == Variable)
            r = st.editor.editVariable(0, 0, static_cast<VariableColumn>(c.column), c.text);
        else
            r = st.editor.editInterval(0, c.text);
        EXPECT_EQ(verdict(r), c.message) << c.text;
    }
    EXPECT_EQ(st.editor.typeRow(0), (std::array<std::string, 3>{"32767", "NiCd 20", "Pb"}));
    EXPECT_EQ(st.editor.variableRow(0, 0), (std::array<std::string, 3>{"", "Uč", "28,80"}));
    EXPECT_EQ(st.editor.intervalText(0), "0");
}

TEST(BatteryTypesEditor, AllowedProceduresFollowTheIndexAndStayWithinAByte)
{
    Station st;
    ASSERT_TRUE(st.editor.setAllowed(0, 2, true));
    ASSERT_TRUE(st.editor.setAllowed(0, 0, true));
    EXPECT_EQ(st.table.at(0).allowedProcedures, (std::vector<std::uint8_t>{0, 2})); // index order
    EXPECT_EQ(st.editor.allowedRows(0),
              (std::vector<AllowedProcedureRow>{{"A", true, 0}, {"B", false, 1}, {"C", true, 2}}));
    ASSERT_TRUE(st.editor.setAllowed(0, 0, false));
    EXPECT_EQ(st.table.at(0).allowedProcedures, (std::vector<std::uint8_t>{2}));

    // A procedure numbered above 255 cannot be allowed: the file would name procedure 44.
    const auto refused = st.editor.setAllowed(0, 300, true);
    EXPECT_EQ(verdict(refused), "Postup číslo 300 nelze povolit, typ baterie povoluje jen postupy 0 až 255");
    EXPECT_EQ(st.table.at(0).allowedProcedures, (std::vector<std::uint8_t>{2}));
    EXPECT_FALSE(st.table.at(0).allows(44));
}

TEST(BatteryTypesEditor, PasteGivesTheValuesOfTheMomentOfCopy)
{
    Station st;
    ASSERT_EQ(st.editor.addVariable(0).value(), 0);
    ASSERT_TRUE(st.editor.editVariable(0, 0, VariableColumn::Id, "U1"));
    ASSERT_TRUE(st.editor.editVariable(0, 0, VariableColumn::Value, "28.8"));
    ASSERT_TRUE(st.editor.editInterval(0, "30"));
    ASSERT_TRUE(st.editor.setAllowed(0, 1, true));
    ASSERT_TRUE(st.editor.copyType(0));

    // Changed, moved and deleted after the copy: the paste still gives what was copied.
    ASSERT_TRUE(st.editor.editVariable(0, 0, VariableColumn::Value, "99"));
    ASSERT_EQ(st.editor.addType(-1).value(), 1);
    ASSERT_EQ(st.editor.addType(-1).value(), 2);
    ASSERT_EQ(st.editor.moveTypeDown(0).value(), 1);
    ASSERT_TRUE(st.editor.removeType(1));
    ASSERT_TRUE(st.editor.pasteInto(1));
    const BatteryType& t = st.table.at(1);
    ASSERT_EQ(t.variables.size(), 1u);
    EXPECT_EQ(t.variables[0].value, 28.8f);
    EXPECT_EQ(t.currentChangeInterval, 30);
    EXPECT_EQ(t.allowedProcedures, std::vector<std::uint8_t>{1});
}

TEST(BatteryTypesEditor, ModifiedUntilSavedAndNeRevertsToTheFile)
{
    Station st;
    EXPECT_FALSE(st.editor.modified());
    EXPECT_EQ(st.editor.closeQuestion(), std::nullopt);
    ASSERT_TRUE(st.editor.editType(0, BatteryColumn::Name, "Přejmenováno"));
    ASSERT_EQ(st.editor.addType(0).value(), 1);
    // Showing other rows changes nothing of the flag: the window only reads the texts.
    EXPECT_EQ(st.editor.typeRow(1)[1], "");
    EXPECT_EQ(st.editor.typeRow(0)[1], "Přejmenováno");
    EXPECT_TRUE(st.editor.modified());
    EXPECT_EQ(st.editor.closeQuestion(), "Provedeny změny v bateriích.  Uložit?  ");

    ASSERT_TRUE(st.editor.close(SaveAnswer::Discard));
    EXPECT_FALSE(st.editor.modified());
    ASSERT_EQ(st.table.size(), 1);
    EXPECT_EQ(st.table.at(0).name, "NiCd 20");
}

TEST(BatteryTypesEditor, SaveRefusesWhatTheFileCannotGiveBack)
{
    Station st;
    const auto before = st.home.readBytes("Postupy/Baterie.cfg");
    ASSERT_EQ(st.editor.addType(0).value(), 1);
    EXPECT_EQ(verdict(st.editor.save().status), "Není zadán typ baterie (řádek 2)");
    ASSERT_TRUE(st.editor.editType(1, BatteryColumn::Chemistry, "Pb"));
    ASSERT_TRUE(st.editor.editType(1, BatteryColumn::Name, "Olověná"));
    ASSERT_EQ(st.editor.addVariable(1).value(), 0);
    EXPECT_EQ(verdict(st.editor.save().status), "Baterie Olověná (řádek 2), proměnná 1: ID proměnné musí mít právě dva "
                                                "znaky");
    EXPECT_EQ(st.home.readBytes("Postupy/Baterie.cfg"), before);
    EXPECT_TRUE(st.editor.modified());
    ASSERT_TRUE(st.editor.editVariable(1, 0, VariableColumn::Id, "I1"));
    EXPECT_TRUE(st.editor.save());
    EXPECT_FALSE(st.editor.modified());
}

TEST(BatteryTypesEditor, SavedFileExactBytes)
{
    Station st;
    ASSERT_TRUE(st.editor.editType(0, BatteryColumn::Head, "3"));
    ASSERT_TRUE(st.editor.editType(0, BatteryColumn::Name, "NiCd článek"));
    ASSERT_EQ(st.editor.addVariable(0).value(), 0);
    ASSERT_TRUE(st.editor.editVariable(0, 0, VariableColumn::Description, "Nabíjecí napětí"));
    ASSERT_TRUE(st.editor.editVariable(0, 0, VariableColumn::Id, "U1"));
    ASSERT_TRUE(st.editor.editVariable(0, 0, VariableColumn::Value, "28.8"));
    ASSERT_TRUE(st.editor.editInterval(0, "300"));
    ASSERT_TRUE(st.editor.setAllowed(0, 2, true));
    ASSERT_TRUE(st.editor.setAllowed(0, 1, true));
    ASSERT_EQ(st.editor.addType(0).value(), 1);
    ASSERT_TRUE(st.editor.editType(1, BatteryColumn::Chemistry, "Pb"));
    ASSERT_TRUE(st.editor.removeVariable(1, 0));
    ASSERT_TRUE(st.editor.save());

    using test::putF32;
    using test::putText;
    using test::putU16;
    std::vector<std::uint8_t> expected(2 + 2 * 656, 0);
    expected[1] = 2;
    const std::size_t a = 2;
    putU16(expected, a, 3);
    putText(expected, a + 2, "NiCd \xE8l\xE1nek");
    expected[a + 33] = 2;
    expected[a + 34] = 1; // index order: "B" before "C"
    expected[a + 35] = 2;
    expected[a + 44] = 0; // NiCd
    expected[a + 45] = 1;
    putText(expected, a + 46, "Nab\xEDjec\xED nap\xECt\xED");
    putText(expected, a + 46 + 21, "U1");
    putF32(expected, a + 46 + 24, 28.8f);
    putU16(expected, a + 606, 300);
    const std::size_t b = a + 656;
    expected[b + 33] = 2; // the allowed procedures of the type it was added after
    expected[b + 34] = 1;
    expected[b + 35] = 2;
    expected[b + 44] = 1; // Pb
    EXPECT_EQ(st.home.readBytes("Postupy/Baterie.cfg"), expected);
}
