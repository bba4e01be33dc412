// The procedure index in a temporary station home: loading, the editor's changes and
// what each leaves on disk.
#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/procedure_index.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kapsorel;
using kapsorel::test::FakeClock;
using kapsorel::test::TempHome;

namespace {

std::vector<std::string> names(const ProcedureIndex& idx)
{
    std::vector<std::string> out;
    for (const auto& e : idx.entries())
        out.push_back(e.name);
    return out;
}

std::vector<ProcedureIndexEntry> onDisk(const TempHome& home)
{
    return parseProcedureIndex(home.readBytes("Postupy/Postupy.idx")).value();
}

} // namespace

TEST(ProcedureFiles, NamesFromNumbers)
{
    EXPECT_EQ(procedureFileName(0), "000.psp");
    EXPECT_EQ(procedureFileName(7), "007.psp");
    EXPECT_EQ(procedureFileName(42), "042.psp");
    EXPECT_EQ(procedureFileName(1000), "1000.psp");
    EXPECT_EQ(procedureFilePath("/st", 7), std::filesystem::path("/st/Postupy/007.psp"));
    EXPECT_EQ(procedureIndexPath("/st"), std::filesystem::path("/st/Postupy/Postupy.idx"));
    EXPECT_EQ(batteryFilePath("/st"), std::filesystem::path("/st/Postupy/Baterie.cfg"));
}

TEST(ProcedureIndexFile, MissingIndexIsEmptyAndFolderIsCreated)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    EXPECT_EQ(idx.size(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(home / "Postupy"));
    EXPECT_TRUE(idx.writable());
}

TEST(ProcedureIndexFile, FolderThatCannotBeCreated)
{
    TempHome home;
    home.writeText("Postupy", "a file where the folder should be");
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    auto st = idx.load();
    ASSERT_FALSE(st);
    EXPECT_EQ(st.status.error().rfind("Nelze vytvořit : ", 0), 0u) << st.status.error();
}

TEST(ProcedureIndexFile, AddNumbersAndFiles)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    for (const char* n : {"A", "B", "C", "D", "E", "F"})
        ASSERT_TRUE(idx.addProcedure(n));
    EXPECT_EQ(idx.at(0).number, 0);
    EXPECT_EQ(idx.at(5).number, 5);
    EXPECT_EQ(home.readBytes("Postupy/000.psp"), std::vector<std::uint8_t>{0});
    EXPECT_EQ(onDisk(home), idx.entries());

    // Deleting procedure 3 frees its number for the next new one.
    ASSERT_TRUE(idx.removeProcedure(3, {}));
    EXPECT_FALSE(std::filesystem::exists(home / "Postupy/003.psp"));
    EXPECT_EQ(names(idx), (std::vector<std::string>{"A", "B", "C", "E", "F"}));
    auto pos = idx.addProcedure("G");
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos.value(), 5);
    EXPECT_EQ(idx.at(5).number, 3);
    EXPECT_EQ(idx.procedureNameByNumber(3), "G");
    EXPECT_EQ(idx.procedureNameByNumber(99), "");
    EXPECT_EQ(onDisk(home), idx.entries());

    // A second index object sees the same.
    ProcedureIndex again(home.path(), clock);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.entries(), idx.entries());
}

TEST(ProcedureIndexFile, NamesAreUniqueExactly)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    ASSERT_TRUE(idx.addProcedure("Kapacitní test"));
    ASSERT_TRUE(idx.addProcedure("Formování"));
    auto dup = idx.addProcedure("Kapacitní test");
    ASSERT_FALSE(dup);
    EXPECT_EQ(dup.error(), "Takový postup již existuje");
    EXPECT_TRUE(idx.addProcedure("kapacitní test")); // case matters

    EXPECT_EQ(idx.renameProcedure(1, "Kapacitní test").error(), "Takový postup již existuje");
    EXPECT_TRUE(idx.renameProcedure(0, "Kapacitní test")); // its own name
    ASSERT_TRUE(idx.renameProcedure(1, "Formování 2"));
    EXPECT_EQ(onDisk(home)[1].name, "Formování 2");

    // Two names that differ only beyond 30 characters would be equal once stored.
    const std::string longName(30, 'x');
    ASSERT_TRUE(idx.addProcedure(longName + "1"));
    EXPECT_EQ(idx.at(3).name, longName);
    EXPECT_FALSE(idx.addProcedure(longName + "2"));
}

TEST(ProcedureIndexFile, NamesAreComparedAsTheyWillBeStored)
{
    // Characters outside Windows-1250 are stored as '?', so these names would read
    // back equal: the second is refused when typed, not found doubled after a restart.
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    ASSERT_TRUE(idx.addProcedure("Zkouška ★"));
    EXPECT_EQ(idx.at(0).name, "Zkouška ?"); // kept in memory as the file has it
    struct Case {
        const char* name;
        bool taken;
    };
    const Case cases[] = {
        {"Zkouška ☆", true},  {"Zkouška ?", true},
        {"Zkouška 😀", true}, // one character beyond the basic plane: one '?'
        {"Zkouška", false},   {"Zkouška ??", false},
        {"Zkouška ž", false}, // within the code page
    };
    for (const auto& c : cases) {
        EXPECT_EQ(idx.nameTaken(c.name), c.taken) << c.name;
        auto added = idx.addProcedure(c.name);
        EXPECT_EQ(added.ok(), !c.taken) << c.name;
        if (!added) {
            EXPECT_EQ(added.error(), duplicateProcedureMessage()) << c.name;
        } else {
            ASSERT_TRUE(idx.removeProcedure(added.value(), {}));
        }
    }
    ASSERT_TRUE(idx.addProcedure("Formování"));
    EXPECT_EQ(idx.renameProcedure(1, "Zkouška ◆").error(), duplicateProcedureMessage());
    ASSERT_TRUE(idx.renameProcedure(1, "Formování ◆"));
    EXPECT_EQ(idx.at(1).name, "Formování ?");

    // Read again, the index holds the same names as before.
    ProcedureIndex again(home.path(), clock);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.entries(), idx.entries());
}

TEST(ProcedureIndexFile, EntryNumberedAboveAThousandIsRefusedAlone)
{
    TempHome home;
    FakeClock clock;
    home.writeBytes("Postupy/Postupy.idx",
                    serializeProcedureIndex({{3, "Nabíjení"}, {4000, "Poškozený"}, {1000, "Vybíjení"}}));
    ProcedureIndex idx(home.path(), clock);
    const FileReport report = idx.load();
    ASSERT_TRUE(report.ok()) << report.status.error();
    EXPECT_EQ(names(idx), (std::vector<std::string>{"Nabíjení", "Vybíjení"}));
    EXPECT_EQ(report.warnings, std::vector<std::string>{refusedIndexEntryMessage({4000, "Poškozený"})});
    EXPECT_TRUE(idx.writable());
    EXPECT_EQ(idx.procedureNameByNumber(1000), "Vybíjení");
}

TEST(ProcedureIndexFile, RefusesTheHundredAndSecondProcedure)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    for (int i = 0; i < kMaxProcedures; ++i)
        ASSERT_TRUE(idx.addProcedure("P" + std::to_string(i)));
    auto r = idx.addProcedure("one too many");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), tooManyProceduresMessage());
    EXPECT_EQ(onDisk(home).size(), 101u);
}

TEST(ProcedureIndexFile, ExchangeKeepsNumbersWithNames)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    ASSERT_TRUE(idx.addProcedure("A"));
    ASSERT_TRUE(idx.addProcedure("B"));
    ASSERT_TRUE(idx.addProcedure("C"));
    ASSERT_TRUE(idx.exchange(0, 1));
    EXPECT_EQ(names(idx), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(idx.at(0).number, 1);
    EXPECT_EQ(idx.at(1).number, 0);
    EXPECT_EQ(onDisk(home), idx.entries());
    EXPECT_FALSE(idx.exchange(2, 3));
}

TEST(ProcedureIndexFile, ProcedureAllowedByABatteryTypeIsKept)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    ASSERT_TRUE(idx.addProcedure("A"));
    ASSERT_TRUE(idx.addProcedure("B"));
    std::vector<BatteryType> types(1);
    types[0].allowedProcedures = {1};
    auto st = idx.removeProcedure(1, types);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error(), "Postup použit, nelze smazat");
    EXPECT_TRUE(std::filesystem::exists(home / "Postupy/001.psp"));
    EXPECT_EQ(idx.size(), 2);
    EXPECT_TRUE(idx.removeProcedure(0, types));
}

TEST(ProcedureIndexFile, UnreadableIndexIsNeverOverwritten)
{
    TempHome home;
    FakeClock clock;
    std::vector<std::uint8_t> big(102 * kIndexEntrySize, 0);
    for (std::size_t i = 0; i < 102; ++i)
        big[i * kIndexEntrySize] = static_cast<std::uint8_t>(i);
    home.writeBytes("Postupy/Postupy.idx", big);
    ProcedureIndex idx(home.path(), clock);
    auto st = idx.load();
    ASSERT_FALSE(st);
    EXPECT_NE(st.status.error().find("Postupy.idx"), std::string::npos);
    EXPECT_EQ(idx.size(), 0);
    EXPECT_FALSE(idx.writable());
    EXPECT_FALSE(idx.addProcedure("new"));
    EXPECT_EQ(home.readBytes("Postupy/Postupy.idx"), big);
    EXPECT_FALSE(std::filesystem::exists(home / "Postupy/000.psp"));
}

TEST(ProcedureIndexFile, ProcedureSaveAndLoad)
{
    TempHome home;
    FakeClock clock;
    ProcedureIndex idx(home.path(), clock);
    ASSERT_TRUE(idx.load());
    ASSERT_TRUE(idx.addProcedure("A"));
    auto empty = idx.loadProcedure(0);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->steps.empty());

    Procedure p;
    p.note = "Poznámka";
    p.steps.resize(3);
    p.steps[1].type = 5;
    p.steps[1].recordInterval = 60;
    ASSERT_TRUE(idx.saveProcedure(0, p));
    EXPECT_EQ(std::filesystem::file_size(home / "Postupy/000.psp"), kProcedureHeaderSize + 3 * kProcedureStepSize);
    auto back = idx.loadProcedure(0);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value(), p);

    // A missing file loads as an empty procedure; a damaged one names the file.
    std::filesystem::remove(home / "Postupy/000.psp");
    EXPECT_TRUE(idx.loadProcedure(0)->steps.empty());
    home.writeBytes("Postupy/000.psp", {5, 1, 2});
    auto bad = idx.loadProcedure(0);
    ASSERT_FALSE(bad);
    EXPECT_NE(bad.error().find("000.psp"), std::string::npos);
}
