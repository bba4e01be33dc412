// The procedure editor's state in a temporary station home: the buffer stays with the
// procedure it was loaded from, what a save writes (byte for byte), the questions, and
// check mode.
#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_editor_state.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/step_types.h"
#include "core/definitions/value_text.h"
#include "core/definitions/variables_list.h"
#include "support/fake_clock.h"
#include "support/fixture_bytes.h"
#include "support/locale_scope.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using kapsorel::test::FakeClock;
using kapsorel::test::TempHome;

namespace {

// Writes like the station's store, or refuses every whole-file write.
class SwitchableFileStore final : public FileStore {
  public:
    bool refuse = false;
    Status writeAt(const std::filesystem::path& path, std::uint64_t offset,
                   const std::vector<std::uint8_t>& data) override
    {
        return writeAtSynced(path, offset, data);
    }
    Status replace(const std::filesystem::path& path, const std::vector<std::uint8_t>& data, Clock& clock) override
    {
        if (refuse)
            return Error{"Soubor " + path.string() + " nelze zapsat"};
        return writeFileRetrying(path, data, clock);
    }
    Result<std::vector<std::uint8_t>> read(const std::filesystem::path& path, Clock& clock) override
    {
        return readFileRetrying(path, clock);
    }
};

constexpr auto kCol = [](int c) { return static_cast<StepColumn>(c); };

struct Station {
    TempHome home;
    FakeClock clock;
    SwitchableFileStore store;
    ProcedureIndex index{home.path(), clock};
    BatteryTable batteries;
    ProcedureEditorState editor{index, batteries, clock, store};

    // Procedures "A", "B", "C" numbered 0, 1, 2, each with a charge step whose print
    // number is its own number, saved; the editor shows "A".
    Station()
    {
        EXPECT_TRUE(index.load());
        editor.setServiceRights(true);
        for (const char* name : {"A", "B", "C"}) {
            const int pos = index.addProcedure(name).value();
            EXPECT_TRUE(editor.selectProcedure(pos));
            EXPECT_TRUE(editor.appendSteps(0, 0));
            EXPECT_TRUE(editor.editCell(0, StepColumn::Action, "Nabíjení"));
            EXPECT_TRUE(editor.editCell(0, StepColumn::Print, std::to_string(pos)));
            EXPECT_TRUE(editor.save());
        }
        EXPECT_TRUE(editor.selectProcedure(0));
    }

    Procedure onDisk(int number) const
    {
        return parseProcedure(home.readBytes("Postupy/" + procedureFileName(number))).value();
    }
};

} // namespace

TEST(ProcedureEditorState, BufferStaysWithItsProcedureWhenRowsMove)
{
    Station st;
    ASSERT_TRUE(st.editor.selectProcedure(1)); // "B", number 1
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Description, "upraveno"));

    // Moving "B" up, then "C" up over it, and deleting "A": the buffer follows "B".
    EXPECT_EQ(st.editor.moveProcedureUp(1).value(), 0);
    EXPECT_EQ(st.editor.selectedPosition(), 0);
    EXPECT_EQ(st.editor.moveProcedureUp(2).value(), 1);
    EXPECT_EQ(st.editor.selectedPosition(), 0);
    ASSERT_TRUE(st.editor.deleteProcedure(st.index.positionOfNumber(0)));
    EXPECT_TRUE(st.editor.stepsModified());
    EXPECT_EQ(st.editor.procedureNumber(), 1);

    // Leaving with "Ano" saves into B's file only.
    ASSERT_TRUE(st.editor.selectProcedure(st.index.positionOfNumber(2), SaveAnswer::Save));
    EXPECT_EQ(st.onDisk(1).steps[0].description, "upraveno");
    EXPECT_EQ(st.onDisk(2).steps[0].description, "");
    EXPECT_EQ(st.onDisk(2).steps[0].printNumber, 2);
    EXPECT_EQ(st.editor.caption(), "Postupy - " + (st.home / "Postupy/002.psp").string());
}

TEST(ProcedureEditorState, DeletingTheEditedProcedureDiscardsItsBuffer)
{
    Station st;
    ASSERT_TRUE(st.editor.selectProcedure(1));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Description, "neuloženo"));
    EXPECT_EQ(st.editor.deleteQuestion(1).value(), "Opravdu smazat postup?  ");
    ASSERT_TRUE(st.editor.deleteProcedure(1));
    EXPECT_FALSE(st.editor.stepsModified());
    EXPECT_FALSE(std::filesystem::exists(st.home / "Postupy/001.psp"));
    // The row now holds "C", and so does the buffer.
    EXPECT_EQ(st.editor.procedureNumber(), 2);
    EXPECT_EQ(st.editor.procedure(), st.onDisk(2));
    // Saving writes C's file as it was, nothing of the deleted buffer anywhere.
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Report, "7"));
    ASSERT_TRUE(st.editor.save());
    EXPECT_EQ(st.onDisk(2).steps[0].description, "");
    EXPECT_FALSE(std::filesystem::exists(st.home / "Postupy/001.psp"));

    // Deleting the last one leaves nothing loaded.
    ASSERT_TRUE(st.editor.deleteProcedure(1));
    EXPECT_EQ(st.editor.procedureNumber(), 0);
    ASSERT_TRUE(st.editor.deleteProcedure(0));
    EXPECT_EQ(st.editor.procedureNumber(), -1);
    EXPECT_FALSE(st.editor.save());
}

TEST(ProcedureEditorState, ProcedureInUseIsRefusedBeforeTheQuestion)
{
    Station st;
    BatteryType t;
    t.name = "NiCd";
    t.allowedProcedures = {1};
    ASSERT_TRUE(st.batteries.assign({t}));
    const auto q = st.editor.deleteQuestion(1);
    ASSERT_FALSE(q);
    EXPECT_EQ(q.error(), "Postup použit, nelze smazat");
    EXPECT_EQ(st.editor.deleteProcedure(1).error(), "Postup použit, nelze smazat");
    EXPECT_TRUE(std::filesystem::exists(st.home / "Postupy/001.psp"));
    EXPECT_EQ(st.editor.deleteQuestion(2).value(), "Opravdu smazat postup?  ");
}

TEST(ProcedureEditorState, RenameCommitsAtOnceInStoredForm)
{
    Station st;
    struct Case {
        int position;
        std::string name;
        std::string message; // "" = renamed
    };
    const std::string thirty(30, 'x');
    const Case cases[] = {
        {0, "", "Název postupu nesmí být prázdný"},
        {1, "A", "Takový postup již existuje"},
        {0, thirty + "1", ""},
        {1, thirty + "2", "Takový postup již existuje"}, // equal once cut to 30
        {1, "Zkouška ★", ""},
        {2, "Zkouška ☆", "Takový postup již existuje"}, // both stored as "Zkouška ?"
        {2, "Zkouška ž", ""},
    };
    for (const auto& c : cases) {
        const Status r = st.editor.renameProcedure(c.position, c.name);
        EXPECT_EQ(r ? std::string() : r.error(), c.message) << c.name;
    }
    const auto onDisk = parseProcedureIndex(st.home.readBytes("Postupy/Postupy.idx")).value();
    ASSERT_EQ(onDisk.size(), 3u);
    EXPECT_EQ(onDisk[0].name, thirty);
    EXPECT_EQ(onDisk[1].name, "Zkouška ?");
    EXPECT_EQ(onDisk[2].name, "Zkouška ž");
}

TEST(ProcedureEditorState, StepWithoutActionIsNeitherSavedNorCopied)
{
    Station st;
    ASSERT_TRUE(st.editor.removeStep(0));
    ASSERT_TRUE(st.editor.appendSteps(0, 0)); // the empty procedure's new row
    EXPECT_EQ(st.editor.row(0)[2], "");
    EXPECT_EQ(st.editor.save().error(), "Krok 1: není zvolena akce");
    EXPECT_EQ(st.editor.copyProcedure().error(), "Krok 1: není zvolena akce");
    EXPECT_FALSE(st.editor.canPaste());
    EXPECT_EQ(st.onDisk(0).steps.size(), 1u); // the file keeps what it had

    EXPECT_EQ(st.editor.editCell(0, StepColumn::Action, "Skok").error(), "Neznámá akce Skok");
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Action, "Pauza"));
    EXPECT_TRUE(st.editor.save());
    EXPECT_EQ(st.onDisk(0).steps[0].type, static_cast<std::uint8_t>(StepType::Pause));
}

TEST(ProcedureEditorState, SaveRefusesValuesTheNewTypeDoesNotAccept)
{
    test::LocaleScope comma(test::commaFormats());
    Station st;
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Action, "Vybíjení"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Value2, "50"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Action, "Nabíjení")); // maximum 22
    EXPECT_EQ(st.editor.save().error(), "Krok 1: Maximum je 22");
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Value2, "20"));
    EXPECT_TRUE(st.editor.save());
}

TEST(ProcedureEditorState, ChangingTheActionResetsAHiddenEndCondition)
{
    test::LocaleScope comma(test::commaFormats());
    Station st;
    ConditionRows rows = st.editor.conditionRows(0, kEndCondition);
    rows[0] = {1, 1, 4, "28,8"};
    ASSERT_TRUE(st.editor.applyConditions(0, kEndCondition, rows));
    EXPECT_EQ(st.editor.row(0)[6], "U>=28,8 V ");

    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Action, "Signalizace"));
    EXPECT_EQ(st.editor.procedure().steps[0].endCondition, Condition{});
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Action, "Pauza"));
    EXPECT_EQ(st.editor.row(0)[6], "");

    ASSERT_TRUE(st.editor.applyConditions(0, kEndCondition, rows));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Action, "Volba"));
    Condition choice{};
    setDefaultChoiceEndCondition(choice);
    EXPECT_EQ(st.editor.procedure().steps[0].endCondition, choice);
}

TEST(ProcedureEditorState, CellEditsLandInTheBuffer)
{
    test::LocaleScope comma(test::commaFormats());
    Station st;
    struct Case {
        int column;
        const char* text;
        const char* message; // "" = accepted
        const char* shown;   // the cell after the edit
    };
    const Case cases[] = {
        {1, "60", "", "60"},
        {1, "abc", "Perioda musí být celé číslo 0 až 65535", "60"},
        {3, "28.8", "", "28,8"},
        {3, "#U1", "", "#U1"},
        {3, "#U", "Odkaz na proměnnou je # a dva znaky", "#U1"},
        {4, "22,6", "Maximum je 22", ""},
        {4, "2,5", "", " 2,5"},
        {7, "300", "Hodnota musí být celé číslo 0 až 255", "0"},
        {8, "12", "", "12"},
        {9, "Nabíjení proudem 2,5 A se sledováním napětí", "", "Nabíjení proudem 2,5 A se sled"},
        {6, "text", "Tuto hodnotu krok nepoužívá", ""},
    };
    for (const auto& c : cases) {
        const bool wasModified = st.editor.stepsModified();
        const Status r = st.editor.editCell(0, kCol(c.column), c.text);
        EXPECT_EQ(r ? std::string() : r.error(), c.message) << c.text;
        EXPECT_EQ(st.editor.row(0)[static_cast<std::size_t>(c.column)], c.shown) << c.text;
        EXPECT_EQ(st.editor.stepsModified(), wasModified || r.ok()) << c.text;
    }
}

TEST(ProcedureEditorState, SavedFileExactBytes)
{
    Station st;
    ASSERT_TRUE(st.editor.editNote("Zkouška"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Interval, "60"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Value1, "#U1"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Value2, "2.5"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Report, "4"));
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Description, "Nabití"));
    ASSERT_TRUE(st.editor.appendSteps(0, 0));
    ASSERT_TRUE(st.editor.editCell(1, StepColumn::Action, "Volba"));
    ASSERT_TRUE(st.editor.editCell(1, StepColumn::EndConditionOrText, "Dále?"));
    ASSERT_TRUE(st.editor.save());

    using test::putF32;
    using test::putText;
    using test::putU16;
    std::vector<std::uint8_t> expected(152 + 2 * 291, 0);
    expected[0] = 2;
    putText(expected, 1,
            "Zkou\x9A"
            "ka");
    const std::size_t s1 = 152;
    putU16(expected, s1, 60);
    expected[s1 + 2] = 0; // "Nabíjení"
    expected[s1 + 3] = 12;
    expected[s1 + 4] = 'U';
    expected[s1 + 5] = '1';
    expected[s1 + 8] = 2;
    putF32(expected, s1 + 9, 2.5f);
    expected[s1 + 13] = 0; // "Tisk" as typed when created
    expected[s1 + 14] = 4;
    putText(expected, s1 + 66, "Nabit\xED");
    const std::size_t s2 = s1 + 291;
    expected[s2 + 2] = 6;  // "Volba": the copied values take its format codes
    expected[s2 + 3] = 11; // "Krok OK" #U1
    expected[s2 + 4] = 'U';
    expected[s2 + 5] = '1';
    expected[s2 + 8] = 1; // "Krok KO" 2.5
    putF32(expected, s2 + 9, 2.5f);
    expected[s2 + 14] = 4; // "Rep." copied from step 1
    putText(expected, s2 + 15, "D\xE1le?");
    putText(expected, s2 + 66, "Nabit\xED");
    expected[s2 + 169] = 5; // "Volba tl."
    expected[s2 + 170] = 3; // ">"
    expected[s2 + 171] = 2; // format 2, value 0.0
    expected[s2 + 176] = 1; // used
    EXPECT_EQ(st.home.readBytes("Postupy/000.psp"), expected);

    // A procedure without steps is the 152-byte header, its note read back.
    while (st.editor.stepCount() > 0)
        ASSERT_TRUE(st.editor.removeStep(0));
    ASSERT_TRUE(st.editor.save());
    expected.resize(152);
    expected[0] = 0;
    EXPECT_EQ(st.home.readBytes("Postupy/000.psp"), expected);
    ASSERT_TRUE(st.editor.selectProcedure(1));
    ASSERT_TRUE(st.editor.selectProcedure(0));
    EXPECT_EQ(st.editor.procedure().note, "Zkouška");
}

TEST(ProcedureEditorState, FailedSaveKeepsFileAndChanges)
{
    Station st;
    const auto before = st.home.readBytes("Postupy/000.psp");
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Report, "9"));
    st.store.refuse = true;
    EXPECT_FALSE(st.editor.save());
    EXPECT_TRUE(st.editor.stepsModified());
    // Leaving with "Ano" while the save fails keeps the procedure and its changes.
    EXPECT_FALSE(st.editor.selectProcedure(1, SaveAnswer::Save));
    EXPECT_EQ(st.editor.procedureNumber(), 0);
    EXPECT_EQ(st.editor.row(0)[8], "9");
    EXPECT_EQ(st.home.readBytes("Postupy/000.psp"), before);
    st.store.refuse = false;
    EXPECT_TRUE(st.editor.save());
    EXPECT_EQ(st.onDisk(0).steps[0].reportNumber, 9);
}

TEST(ProcedureEditorState, QuestionsAndClosing)
{
    Station st;
    EXPECT_EQ(st.editor.leaveQuestion(), std::nullopt);
    EXPECT_EQ(st.editor.closeQuestion(), std::nullopt);
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Report, "9"));
    EXPECT_EQ(st.editor.leaveQuestion(), "Provedeny změny v krocích.  Uložit?   ");
    EXPECT_EQ(st.editor.closeQuestion(), "Provedeny změny v krocích.  Uložit?  ");

    // "Ne" on closing: the buffer is the file again.
    ASSERT_TRUE(st.editor.close(SaveAnswer::Discard));
    EXPECT_FALSE(st.editor.stepsModified());
    EXPECT_EQ(st.editor.procedure(), st.onDisk(0));

    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Report, "8"));
    ASSERT_TRUE(st.editor.close(SaveAnswer::Save));
    EXPECT_EQ(st.onDisk(0).steps[0].reportNumber, 8);

    // "Ne" when leaving for another procedure drops the change.
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Report, "7"));
    ASSERT_TRUE(st.editor.selectProcedure(1, SaveAnswer::Discard));
    EXPECT_EQ(st.onDisk(0).steps[0].reportNumber, 8);
}

TEST(ProcedureEditorState, CopyPasteDuplicatesIntoANewProcedure)
{
    Station st;
    ASSERT_TRUE(st.editor.editNote("vzor"));
    ASSERT_TRUE(st.editor.copyProcedure());
    const int pos = st.editor.addProcedure("Kopie").value();
    EXPECT_EQ(st.editor.procedureNumber(), 0); // the selection stays
    ASSERT_TRUE(st.editor.selectProcedure(pos, SaveAnswer::Discard));
    ASSERT_TRUE(st.editor.canPaste());
    ASSERT_TRUE(st.editor.paste());
    ASSERT_TRUE(st.editor.save());
    EXPECT_EQ(st.onDisk(3).note, "vzor");
    EXPECT_EQ(st.onDisk(3).steps, st.onDisk(0).steps);
}

TEST(ProcedureEditorState, WithoutServiceRightsNothingChanges)
{
    Station st;
    st.editor.setServiceRights(false);
    EXPECT_TRUE(st.editor.readOnly());
    EXPECT_FALSE(st.editor.editCell(0, StepColumn::Report, "1"));
    EXPECT_FALSE(st.editor.appendSteps(0, 0));
    EXPECT_FALSE(st.editor.renameProcedure(0, "Z"));
    EXPECT_FALSE(st.editor.addProcedure("Z"));
    EXPECT_FALSE(st.editor.deleteQuestion(0));
    EXPECT_FALSE(st.editor.stepsModified());
    EXPECT_EQ(st.index.size(), 3);
}

TEST(ProcedureEditorState, CheckModeShowsTheChosenTypeByTableIndex)
{
    test::LocaleScope comma(test::commaFormats());
    Station st;
    ASSERT_TRUE(st.editor.editCell(0, StepColumn::Value1, "#U1"));
    ConditionRows rows = st.editor.conditionRows(0, kEndCondition);
    rows[0] = {1, 1, 4, "#U1"};
    ASSERT_TRUE(st.editor.applyConditions(0, kEndCondition, rows));

    BatteryType first;
    first.name = "20KSX25P";
    first.allowedProcedures = {0};
    first.variables = {{"Nabíjecí napětí", "U1", 28.8f}};
    BatteryType other = first;
    other.allowedProcedures = {1};
    BatteryType second = first; // same name, other values
    second.variables = {{"Nabíjecí napětí", "U1", 31.0f}};
    BatteryType lacking = first;
    lacking.name = "Pb";
    lacking.variables = {{"Proud", "I1", 2.5f}};
    ASSERT_TRUE(st.batteries.assign({first, other, second, lacking}));

    // Turning it on with unsaved steps: "Ne" keeps it off, "Ano" saves first.
    EXPECT_EQ(st.editor.enterCheckMode(SaveAnswer::Discard).value(), false);
    EXPECT_FALSE(st.editor.checkMode());
    ASSERT_EQ(st.editor.enterCheckMode(SaveAnswer::Save).value(), true);
    EXPECT_FALSE(st.editor.stepsModified());
    EXPECT_EQ(st.onDisk(0).steps[0].value1, StepValue::reference(2, "U1"));

    EXPECT_EQ(st.editor.checkModeChoices(),
              (std::vector<CheckModeChoice>{{0, "20KSX25P"}, {2, "20KSX25P"}, {3, "Pb"}}));
    struct Case {
        int tableIndex;
        const char* value1;
        const char* endCondition;
    };
    const Case cases[] = {
        {0, "28,8", "U>=28,8V "},
        {2, "31,0", "U>=31,0V "},
        {3, "???", "U>=???V "},
        {-1, "#U1", "U>=#U1V "},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(st.editor.showBatteryType(c.tableIndex));
        const StepGridRow row = st.editor.row(0);
        EXPECT_EQ(row[3], c.value1) << c.tableIndex;
        EXPECT_EQ(row[6], c.endCondition) << c.tableIndex;
        EXPECT_EQ(cellShowsMissingVariable(row[3]), c.tableIndex == 3);
    }
    // Read-only while it is on.
    EXPECT_TRUE(st.editor.readOnly());
    EXPECT_FALSE(st.editor.editCell(0, StepColumn::Report, "1"));
    EXPECT_FALSE(st.editor.applyConditions(0, kEndCondition, rows));
    EXPECT_FALSE(st.editor.moveProcedureDown(0));
    st.editor.leaveCheckMode();
    EXPECT_EQ(st.editor.row(0)[3], "#U1");
    EXPECT_TRUE(st.editor.editCell(0, StepColumn::Report, "1"));
}

TEST(ProcedureEditorState, VariablePickedFromTheListFillsAValueCell)
{
    Station st;
    BatteryType t;
    t.variables = {{"Nabíjecí napětí", "U1", 28.8f}, {"Jednoznakové", "C", 1.0f}};
    const VariablesList list = buildVariablesList({t});
    const auto picked = pickVariable("", list, 0);
    ASSERT_TRUE(picked);
    ASSERT_TRUE(st.editor.setValueReference(0, StepColumn::Value1, *picked));
    EXPECT_EQ(st.editor.row(0)[3], "#U1");
    EXPECT_EQ(st.editor.procedure().steps[0].value1, StepValue::reference(2, "U1"));
    EXPECT_FALSE(st.editor.setValueReference(0, StepColumn::Print, *picked));
    EXPECT_FALSE(st.editor.setValueReference(0, StepColumn::Value2, "#C"));
}
