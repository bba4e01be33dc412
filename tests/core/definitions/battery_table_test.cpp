// The battery type table: lookups, the window's operations with their limits, and
// loading and saving "Baterie.cfg".
#include "core/definitions/battery_table.h"
#include "core/definitions/definition_paths.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using kapsorel::test::FakeClock;
using kapsorel::test::TempHome;

namespace {

BatteryType type(const std::string& name, std::vector<std::uint8_t> allowed)
{
    BatteryType t;
    t.name = name;
    t.allowedProcedures = std::move(allowed);
    return t;
}

} // namespace

TEST(BatteryTable, LookupsByName)
{
    BatteryTable table;
    ASSERT_TRUE(table.assign({type("A", {1, 2}), type("B", {3}), type("A", {2, 5})}));
    EXPECT_EQ(table.findByName("A"), 0);
    EXPECT_EQ(table.findByName("B"), 1);
    EXPECT_EQ(table.findByName("a"), -1);
    EXPECT_TRUE(table.anyAllows(5));
    EXPECT_FALSE(table.anyAllows(4));
    EXPECT_FALSE(table.anyAllows(256 + 5));
}

TEST(BatteryTable, AddCopiesTheSelectedTypesVariablesAndProcedures)
{
    BatteryTable table;
    auto first = table.add(-1);
    ASSERT_TRUE(first);
    EXPECT_TRUE(table.at(0).variables.empty());
    EXPECT_EQ(table.at(0).chemistry, kChemistryInvalid);
    ASSERT_TRUE(table.addVariable(0, {"Nabíjecí napětí", "U1", 28.8f}));
    ASSERT_TRUE(table.setAllowedProcedures(0, {0, 3}));
    table.setName(0, "NiCd 20");
    auto second = table.add(0);
    ASSERT_TRUE(second);
    EXPECT_EQ(second.value(), 1);
    EXPECT_EQ(table.at(1).variables, table.at(0).variables);
    EXPECT_EQ(table.at(1).allowedProcedures, table.at(0).allowedProcedures);
    EXPECT_EQ(table.at(1).name, "");
}

TEST(BatteryTable, LimitsAreRefusedWithAMessage)
{
    BatteryTable table;
    for (int i = 0; i < kMaxBatteryTypes; ++i)
        ASSERT_TRUE(table.add(-1));
    auto r = table.add(0);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), tooManyBatteryTypesMessage());
    EXPECT_EQ(table.size(), 101);

    for (int i = 0; i < kMaxBatteryVariables; ++i)
        ASSERT_TRUE(table.addVariable(0, {"v", "V" + std::to_string(i % 10), 1.0f}));
    auto v = table.addVariable(0, {"v", "XX", 1.0f});
    ASSERT_FALSE(v);
    EXPECT_EQ(v.error(), tooManyVariablesMessage());
    EXPECT_FALSE(table.setVariables(1, std::vector<BatteryVariable>(21)));

    EXPECT_TRUE(table.setAllowedProcedures(0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    auto a = table.setAllowedProcedures(0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    ASSERT_FALSE(a);
    EXPECT_EQ(a.error(), tooManyAllowedProceduresMessage());
    EXPECT_EQ(table.at(0).allowedProcedures.size(), 10u);
}

TEST(BatteryTable, StoredFieldsAreCut)
{
    BatteryTable table;
    ASSERT_TRUE(table.add(-1));
    ASSERT_TRUE(table.setVariables(0, {{"Popis delší než dvacet znaků", "U1X", 1.5f}}));
    EXPECT_EQ(table.at(0).variables[0].id, "U1");
    EXPECT_EQ(table.at(0).variables[0].description, "Popis delší než dvac");
    table.setName(0, std::string(35, 'n'));
    EXPECT_EQ(table.at(0).name, std::string(30, 'n'));
    // The file keeps one byte per allowed procedure: a number above 255 is refused
    // instead of allowing the procedure numbered modulo 256.
    ASSERT_TRUE(table.setAllowedProcedures(0, {7}));
    for (int refused : {256, 300, -1}) {
        const Status st = table.setAllowedProcedures(0, {0, refused});
        ASSERT_FALSE(st) << refused;
        EXPECT_EQ(st.error(), "Postup číslo " + std::to_string(refused) +
                                  " nelze povolit, typ baterie povoluje jen "
                                  "postupy 0 až 255");
        EXPECT_EQ(table.at(0).allowedProcedures, std::vector<std::uint8_t>{7});
    }
    ASSERT_TRUE(table.setAllowedProcedures(0, {255, 0}));
    EXPECT_EQ(table.at(0).allowedProcedures, (std::vector<std::uint8_t>{255, 0}));
}

TEST(BatteryTable, NamesAreKeptAsTheFileGivesThemBack)
{
    // Characters outside Windows-1250 are stored as '?': two names that differ only in
    // them are one name already while typed, as they will be after a restart.
    TempHome home;
    FakeClock clock;
    BatteryTable table;
    ASSERT_TRUE(table.load(home.path(), clock).ok());
    ASSERT_TRUE(table.add(-1));
    ASSERT_TRUE(table.add(-1));
    table.setName(0, "Článek ★");
    table.setName(1, "Článek ☆");
    table.at(0).chemistry = kChemistryPb;
    table.at(1).chemistry = kChemistryPb;
    EXPECT_EQ(table.at(0).name, "Článek ?");
    EXPECT_EQ(table.at(1).name, table.at(0).name);
    EXPECT_EQ(table.findByName(table.at(1).name), 0);
    table.setName(1, std::string(29, 'n') + "žř"); // cut after conversion, to 30 characters
    EXPECT_EQ(table.at(1).name, std::string(29, 'n') + "ž");

    ASSERT_TRUE(table.save(home.path(), clock).ok());
    BatteryTable again;
    ASSERT_TRUE(again.load(home.path(), clock).ok());
    EXPECT_EQ(again.types(), table.types());
}

TEST(BatteryTable, ChangesOutsideTheTableAreRefused)
{
    BatteryTable table;
    EXPECT_EQ(table.addVariable(0, {"v", "V1", 1.0f}).error(), noSuchTypeMessage());
    EXPECT_FALSE(table.setVariables(-1, {}));
    EXPECT_FALSE(table.setAllowedProcedures(3, {1}));
    table.setName(0, "x");
    table.removeVariable(0, 0);
    table.remove(0);
    EXPECT_EQ(table.size(), 0);
}

TEST(BatteryTable, MoveAndRemove)
{
    BatteryTable table;
    ASSERT_TRUE(table.assign({type("A", {}), type("B", {}), type("C", {})}));
    EXPECT_FALSE(table.moveUp(0));
    EXPECT_FALSE(table.moveDown(2));
    EXPECT_TRUE(table.moveDown(0));
    EXPECT_EQ(table.at(0).name, "B");
    EXPECT_EQ(table.at(1).name, "A");
    EXPECT_TRUE(table.moveUp(2));
    EXPECT_EQ(table.at(1).name, "C");
    table.remove(0);
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.at(0).name, "C");
}

TEST(BatteryTableFile, SaveAndLoad)
{
    TempHome home;
    FakeClock clock;
    BatteryTable table;
    ASSERT_TRUE(table.load(home.path(), clock).ok());
    EXPECT_EQ(table.size(), 0);

    auto t = type("20KSX25P", {0, 1});
    t.head = 1;
    t.chemistry = kChemistryNiCd;
    t.variables = {{"Kapacita", "C1", 25.0f}};
    t.currentChangeInterval = 300;
    auto bad = type("Bez typu", {});
    bad.chemistry = 9;
    ASSERT_TRUE(table.assign({t, bad}));
    auto saved = table.save(home.path(), clock);
    ASSERT_TRUE(saved.ok()) << saved.status.error();
    EXPECT_EQ(saved.warnings, std::vector<std::string>{"Není zadán typ baterie"});
    EXPECT_EQ(std::filesystem::file_size(batteryFilePath(home.path())), 2 + 2 * kBatteryTypeSize);

    BatteryTable loaded;
    auto report = loaded.load(home.path(), clock);
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(report.warnings, std::vector<std::string>{"Chyba v souboru baterií"});
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded.at(0), t);
    EXPECT_EQ(loaded.at(1).chemistry, kChemistryInvalid);
}

TEST(BatteryTableFile, FileWithZeroTypesAndDamagedFile)
{
    TempHome home;
    FakeClock clock;
    home.writeBytes("Postupy/Baterie.cfg", {0, 0});
    BatteryTable table;
    ASSERT_TRUE(table.load(home.path(), clock).ok());
    EXPECT_EQ(table.size(), 0);

    const std::vector<std::uint8_t> damaged = {0, 3, 1, 2, 3};
    home.writeBytes("Postupy/Baterie.cfg", damaged);
    auto report = table.load(home.path(), clock);
    ASSERT_FALSE(report.ok());
    EXPECT_NE(report.status.error().find("Baterie.cfg"), std::string::npos);
    EXPECT_EQ(table.size(), 0);
    EXPECT_FALSE(table.writable());
    // Saving would replace the unread types with nothing: refused, the file stays.
    EXPECT_FALSE(table.save(home.path(), clock).ok());
    EXPECT_EQ(home.readBytes("Postupy/Baterie.cfg"), damaged);
}
