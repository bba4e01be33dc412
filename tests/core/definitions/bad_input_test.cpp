// Readers given damaged or hostile images: each refuses with a message naming what is
// wrong, or takes the record with a remark where nothing can be lost.
#include "core/definitions/battery_type.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/procedure_index.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

std::vector<std::uint8_t> procedureImage(std::uint8_t count, std::size_t steps)
{
    std::vector<std::uint8_t> b(kProcedureHeaderSize + steps * kProcedureStepSize, 0);
    b[0] = count;
    for (std::size_t i = 0; i < steps; ++i)
        b[kProcedureHeaderSize + i * kProcedureStepSize + 2] = 5; // "Pauza"
    return b;
}

std::size_t stepOffset(std::size_t step, std::size_t field)
{
    return kProcedureHeaderSize + step * kProcedureStepSize + field;
}

} // namespace

TEST(ProcedureReader, RefusesDamagedFiles)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> data;
        const char* message;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, "zkrácený"});
    cases.push_back({"count above 200", procedureImage(201, 201), "počet kroků 201"});
    {
        auto b = procedureImage(2, 2);
        b.pop_back();
        cases.push_back({"last step cut short", b, "zkrácený (733 bajtů, potřeba 734)"});
    }
    cases.push_back({"count beyond the data", procedureImage(3, 1), "potřeba 1025"});
    cases.push_back({"header only for one step", std::vector<std::uint8_t>{1, 0, 0}, "zkrácený"});
    {
        auto b = procedureImage(2, 2);
        b[stepOffset(1, 2)] = 11;
        cases.push_back({"step type 11", b, "krok 2: neznámý typ kroku 11"});
    }
    {
        auto b = procedureImage(1, 1);
        b[stepOffset(0, 3)] = 16;
        cases.push_back({"value 1 format 16", b, "krok 1: neplatný formát hodnoty 1 (16)"});
    }
    {
        auto b = procedureImage(1, 1);
        b[stepOffset(0, 8)] = 200;
        cases.push_back({"value 2 format 200", b, "neplatný formát hodnoty 2 (200)"});
    }
    {
        auto b = procedureImage(1, 1);
        b[stepOffset(0, 169 + 18 + 7)] = 2;  // second end term used
        b[stepOffset(0, 169 + 7)] = 1;       // first end term used
        b[stepOffset(0, 169 + 18 + 2)] = 99; // with a bad format
        cases.push_back({"used term format 99", b, "podmínka ukončení, člen 2: neplatný formát hodnoty 99"});
    }
    for (const auto& c : cases) {
        auto r = parseProcedure(c.data);
        ASSERT_FALSE(r) << c.what;
        EXPECT_NE(r.error().find(c.message), std::string::npos) << c.what << ": " << r.error();
    }
}

TEST(ProcedureReader, AcceptsWhatCarriesNoMeaning)
{
    {
        auto r = parseProcedure(std::vector<std::uint8_t>{0});
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->steps.empty());
    }
    {
        std::vector<std::uint8_t> b(500, 0xCD);
        b[0] = 0; // count 0 followed by anything
        auto r = parseProcedure(b);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r->steps.empty());
    }
    {
        // A bad format in a term after the condition has ended is never looked at.
        auto b = procedureImage(1, 1);
        b[stepOffset(0, 97 + 2 * 18 + 2)] = 77;
        b[stepOffset(0, 97 + 2 * 18 + 7)] = 1; // term 3 says OR, but term 1 ended the condition
        auto r = parseProcedure(b);
        EXPECT_TRUE(r) << r.error();
    }
    {
        auto b = procedureImage(200, 200);
        b.resize(b.size() + 1000, 0xAB);
        auto r = parseProcedure(b);
        ASSERT_TRUE(r) << r.error();
        EXPECT_EQ(r->steps.size(), 200u);
    }
}

TEST(ProcedureWriter, RefusesTheTwoHundredAndFirstStep)
{
    Procedure p;
    p.steps.resize(200);
    EXPECT_TRUE(serializeProcedure(p));
    EXPECT_TRUE(checkRoomForSteps(p, 0));
    EXPECT_FALSE(checkRoomForSteps(p, 1));
    EXPECT_EQ(checkRoomForSteps(p, 1).error(), "Postup může mít nejvýše 200 kroků");
    p.steps.resize(201);
    auto r = serializeProcedure(p);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), tooManyStepsMessage());
}

TEST(IndexReader, LimitsAndRemainder)
{
    EXPECT_EQ(parseProcedureIndex(std::vector<std::uint8_t>(33, 1)).value().size(), 0u);
    EXPECT_EQ(parseProcedureIndex(std::vector<std::uint8_t>(101 * 34, 0)).value().size(), 101u);
    auto tooMany = parseProcedureIndex(std::vector<std::uint8_t>(102 * 34, 0));
    ASSERT_FALSE(tooMany);
    EXPECT_NE(tooMany.error().find("102"), std::string::npos);
}

TEST(IndexReader, EntryNumberedAboveAThousandIsLeftOutAlone)
{
    std::vector<std::uint8_t> b;
    for (const auto& e : std::vector<ProcedureIndexEntry>{{1000, "Tisícovka"}, {1001, "Přes mez"}, {7, "Sedmička"}}) {
        const auto rec = serializeIndexEntry(e);
        b.insert(b.end(), rec.begin(), rec.end());
    }
    std::vector<std::string> warnings;
    auto r = parseProcedureIndex(b, &warnings);
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r.value(), (std::vector<ProcedureIndexEntry>{{1000, "Tisícovka"}, {7, "Sedmička"}}));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], refusedIndexEntryMessage({1001, "Přes mez"}));
    EXPECT_NE(warnings[0].find("Přes mez"), std::string::npos);
    EXPECT_NE(warnings[0].find("1001"), std::string::npos);
}

TEST(BatteryReader, RefusesDamagedFiles)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> data;
        const char* message;
    };
    std::vector<std::uint8_t> twoClaimedOneThere = {0, 2};
    twoClaimedOneThere.resize(2 + kBatteryTypeSize, 0);
    std::vector<std::uint8_t> tooMany = {0, 102};
    tooMany.resize(2 + 102 * kBatteryTypeSize, 0);
    const Case cases[] = {
        {"empty", {}, "zkrácený (0 bajtů, potřeba 2)"},
        {"one byte", {0}, "zkrácený (1 bajtů, potřeba 2)"},
        {"count beyond the data", twoClaimedOneThere, "potřeba 1314"},
        {"102 types", tooMany, "počet typů baterií 102"},
    };
    for (const auto& c : cases) {
        auto r = parseBatteryFile(c.data);
        ASSERT_FALSE(r) << c.what;
        EXPECT_NE(r.error().find(c.message), std::string::npos) << c.what << ": " << r.error();
    }
}

TEST(BatteryReader, TakesRecordsWithRemarks)
{
    std::vector<std::uint8_t> b = {0, 2};
    b.resize(2 + 2 * kBatteryTypeSize, 0);
    b[2 + 44] = 3;                      // bad chemistry in type 1
    b[2 + kBatteryTypeSize + 45] = 25;  // 25 variables claimed in type 2
    b[2 + kBatteryTypeSize + 33] = 200; // 200 allowed procedures claimed
    auto r = parseBatteryFile(b);
    ASSERT_TRUE(r) << r.error();
    ASSERT_EQ(r->types.size(), 2u);
    EXPECT_EQ(r->types[0].chemistry, 3);
    EXPECT_STREQ(chemistryName(r->types[0].chemistry), "");
    EXPECT_EQ(r->types[1].variables.size(), 20u);
    EXPECT_EQ(r->types[1].allowedProcedures.size(), 10u);
    ASSERT_EQ(r->warnings.size(), 3u);
    EXPECT_EQ(r->warnings[0], "Chyba v souboru baterií");
    EXPECT_NE(r->warnings[1].find("povolených postupů 200"), std::string::npos);
    EXPECT_NE(r->warnings[2].find("proměnných 25"), std::string::npos);
}

TEST(BatteryReader, BytesAfterTheLastTypeAreReadSilently)
{
    // A writer that does not cut the file leaves deleted types (or parts of them) behind.
    std::vector<BatteryType> three(3);
    three[0].name = "A";
    three[1].name = "B";
    three[2].name = "C";
    auto image = serializeBatteryFile(three);
    ASSERT_TRUE(image);
    struct Case {
        const char* what;
        std::uint8_t count;
        std::size_t keep; // bytes of the three-type image kept
    };
    const Case cases[] = {
        {"one byte left over", 2, 2 + 2 * kBatteryTypeSize + 1},
        {"part of a record", 2, 2 + 2 * kBatteryTypeSize + 300},
        {"one deleted type", 2, image->size()},
        {"two deleted types", 1, image->size()},
        {"every type deleted", 0, image->size()},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> b(image->begin(), image->begin() + static_cast<std::ptrdiff_t>(c.keep));
        b[1] = c.count;
        auto r = parseBatteryFile(b);
        ASSERT_TRUE(r) << c.what << ": " << r.error();
        ASSERT_EQ(r->types.size(), c.count) << c.what;
        for (std::size_t i = 0; i < c.count; ++i)
            EXPECT_EQ(r->types[i].name, three[i].name) << c.what;
        EXPECT_EQ(r->warnings, std::vector<std::string>{}) << c.what;
    }
}

TEST(BatteryWriter, LimitsAndInvalidChemistry)
{
    std::vector<BatteryType> types(1);
    types[0].name = "Bez typu";
    types[0].chemistry = 7;
    std::vector<std::string> warnings;
    auto written = serializeBatteryFile(types, &warnings);
    ASSERT_TRUE(written);
    EXPECT_EQ((*written)[2 + 44], 255);
    ASSERT_EQ(warnings, std::vector<std::string>{"Není zadán typ baterie"});
    // Reading it again reports the bad chemistry.
    EXPECT_EQ(parseBatteryFile(written.value())->warnings, std::vector<std::string>{"Chyba v souboru baterií"});

    auto tooManyVariables = types;
    tooManyVariables[0].variables.resize(21);
    EXPECT_FALSE(serializeBatteryFile(tooManyVariables));
    auto tooManyAllowed = types;
    tooManyAllowed[0].allowedProcedures.resize(11);
    EXPECT_FALSE(serializeBatteryFile(tooManyAllowed));
    EXPECT_FALSE(serializeBatteryFile(std::vector<BatteryType>(102)));
    EXPECT_TRUE(serializeBatteryFile(std::vector<BatteryType>(101)));
}
