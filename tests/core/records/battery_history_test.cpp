// The battery history: the SQLite store keeps, finds and drops entries, starts afresh from
// a file it cannot use, and the index follows the test files of the data and archive
// folders (new, changed, gone, not test files), so deleting it loses nothing.
#include "core/records/history_index.h"
#include "core/records/sqlite_history_store.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace kapsorel::test {
namespace {

HistoryEntry entry(const std::string& path, const std::string& battery, DayTime start)
{
    HistoryEntry e;
    e.path = path;
    e.batteryNumber = battery;
    e.start = start;
    e.batteryType = "20KSX25P";
    e.procedure = "Kapacitní test";
    e.operatorName = "Novák";
    e.result = HistoryResult::Completed;
    e.fileSize = 1234;
    e.modified = 42;
    return e;
}

std::vector<std::filesystem::path> pathsOf(const std::vector<HistoryEntry>& entries)
{
    std::vector<std::filesystem::path> out;
    for (const auto& e : entries)
        out.push_back(e.path);
    return out;
}

class SqliteStore : public ::testing::TestWithParam<bool> {
  protected:
    std::unique_ptr<SqliteHistoryStore> open()
    {
        auto store = SqliteHistoryStore::open(GetParam() ? home_ / "Historie.db" : std::filesystem::path(":memory:"));
        EXPECT_TRUE(store.ok()) << store.error();
        return store.ok() ? std::move(store.value()) : nullptr;
    }
    TempHome home_;
};

TEST_P(SqliteStore, FindsABatterysTestsOldestFirstAndReplacesByPath)
{
    auto store = open();
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->add(entry("/d/c.tst", "A12", 45002.0)));
    ASSERT_TRUE(store->add(entry("/d/a.tst", "A12", 45000.0)));
    ASSERT_TRUE(store->add(entry("/d/b.tst", "B7", 45001.0)));
    ASSERT_TRUE(store->add(entry("/d/d.tst", "a12", 44999.0))); // another battery: exact numbers

    const auto a12 = store->findByBattery("A12");
    ASSERT_TRUE(a12.ok()) << a12.error();
    EXPECT_EQ(pathsOf(a12.value()), (std::vector<std::filesystem::path>{"/d/a.tst", "/d/c.tst"}));
    EXPECT_EQ(a12->front(), entry("/d/a.tst", "A12", 45000.0));

    HistoryEntry moved = entry("/d/a.tst", "B7", 45003.0);
    moved.result = HistoryResult::Interrupted;
    moved.archived = true;
    ASSERT_TRUE(store->add(moved));
    EXPECT_EQ(pathsOf(store->findByBattery("A12").value()), (std::vector<std::filesystem::path>{"/d/c.tst"}));
    EXPECT_EQ(store->findByBattery("B7")->back(), moved);
    EXPECT_TRUE(store->findByBattery("none")->empty());

    ASSERT_TRUE(store->update({entry("/d/e.tst", "B7", 44000.0)}, {"/d/c.tst", "/d/never.tst"}));
    EXPECT_EQ(pathsOf(store->list().value()),
              (std::vector<std::filesystem::path>{"/d/e.tst", "/d/d.tst", "/d/b.tst", "/d/a.tst"}));
}

TEST_P(SqliteStore, KeepsTextsAsTheyAre)
{
    auto store = open();
    ASSERT_TRUE(store);
    HistoryEntry e = entry("/d/Žluťoučký kůň.tst", "Č-01", 45000.5);
    e.operatorName = "O'Brien \"x\"";
    e.procedure = "";
    ASSERT_TRUE(store->add(e));
    EXPECT_EQ(store->findByBattery("Č-01").value(), std::vector<HistoryEntry>{e});
}

INSTANTIATE_TEST_SUITE_P(InMemoryAndOnDisk, SqliteStore, ::testing::Bool());

TEST(SqliteStoreFile, KeepsItsEntriesAcrossOpens)
{
    TempHome home;
    {
        auto store = SqliteHistoryStore::open(home / "Historie.db");
        ASSERT_TRUE(store.ok()) << store.error();
        ASSERT_TRUE((*store)->add(entry("/d/a.tst", "A12", 45000.0)));
    }
    auto again = SqliteHistoryStore::open(home / "Historie.db");
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_EQ((*again)->list()->size(), 1u);
}

TEST(SqliteStoreFile, FileItCannotUseIsStartedAfresh)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases{
        {"not SQLite", std::string(4096, 'x')},
        {"cut SQLite header", std::string("SQLite format 3\0", 16) + std::string(100, '\0')},
    };
    for (const auto& c : cases) {
        TempHome home;
        home.writeText("Historie.db", c.bytes);
        auto store = SqliteHistoryStore::open(home / "Historie.db");
        ASSERT_TRUE(store.ok()) << c.name << ": " << store.error();
        EXPECT_TRUE((*store)->list()->empty()) << c.name;
        EXPECT_TRUE((*store)->add(entry("/d/a.tst", "A12", 45000.0))) << c.name;
    }
}

// A history of another layout (a newer program on the share, say) is rebuilt as well.
TEST(SqliteStoreFile, AFileOfAnotherLayoutIsStartedAfresh)
{
    TempHome home;
    {
        auto store = SqliteHistoryStore::open(home / "Historie.db");
        ASSERT_TRUE(store.ok()) << store.error();
        ASSERT_TRUE((*store)->add(entry("/d/a.tst", "A12", 45000.0)));
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((home / "Historie.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version=7", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    auto again = SqliteHistoryStore::open(home / "Historie.db");
    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_TRUE((*again)->list()->empty());
}

// A history held by another connection (the history window's refresh, another station on
// the share) is only unavailable: the open says so and leaves the file and the other
// connection's work alone.
TEST(SqliteStoreFile, AHistoryHeldElsewhereIsLeftAlone)
{
    TempHome home;
    const auto path = home / "Historie.db";
    {
        auto store = SqliteHistoryStore::open(path);
        ASSERT_TRUE(store.ok()) << store.error();
        ASSERT_TRUE((*store)->add(entry("/d/a.tst", "A12", 45000.0)));
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "BEGIN EXCLUSIVE; INSERT INTO tests SELECT 'b.tst', archived, battery, start, "
                           "type, procedure, operator, result, size, modified FROM tests",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    auto blocked = SqliteHistoryStore::open(path);
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.error(), "Historie baterií: nelze otevřít " + path.string() + ": database is locked");
    EXPECT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(other);
    sqlite3_close(other);

    auto after = SqliteHistoryStore::open(path);
    ASSERT_TRUE(after.ok()) << after.error();
    EXPECT_EQ((*after)->list()->size(), 2u);
}

// A test file of `steps` steps for battery `battery` started at `start`; with `samples` 0
// no step started, and with `ended` every step ended.
void writeTest(const std::filesystem::path& path, const std::string& battery, DayTime start, std::size_t samples,
               bool ended = false)
{
    LongTestSpec spec{.samples = samples, .steps = 2, .start = start};
    BatteryTestHeader header = longTestHeader(spec);
    header.batteryNumber = battery;
    writeTestFile(path, header, 0, samples, [&spec](std::size_t i) { return longTestSample(spec, i); });
    if (ended) {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(
            static_cast<std::streamoff>(test_file_layout::stepResultOffset(1) + test_file_layout::kStepStatusOffset));
        f.put(static_cast<char>(test_file_layout::kEndedPerformed));
    }
}

class HistoryIndex : public ::testing::Test {
  protected:
    void SetUp() override
    {
        std::filesystem::create_directories(home_ / "Data");
        std::filesystem::create_directories(home_ / "Archiv");
        auto s = SqliteHistoryStore::open(historyStorePath(home_ / "Data"));
        ASSERT_TRUE(s.ok()) << s.error();
        store_ = std::move(s.value());
    }
    HistoryFolders folders() const { return {home_ / "Data", home_ / "Archiv"}; }

    TempHome home_;
    std::unique_ptr<SqliteHistoryStore> store_;
};

TEST_F(HistoryIndex, StoreLiesBesideTheDataFolder)
{
    EXPECT_EQ(historyStorePath("/st/Data"), std::filesystem::path("/st/Historie.db"));
    EXPECT_EQ(historyStorePath("/st/Data/"), std::filesystem::path("/st/Historie.db"));
}

TEST_F(HistoryIndex, ListsEveryTestOfTheBatteryInBothFoldersWithItsResult)
{
    writeTest(home_ / "Data" / "t2.tst", "A12", 45002.0, 10);                 // left running
    writeTest(home_ / "Data" / "t1.tst", "A12", 45001.0, 10, /*ended=*/true); // completed
    writeTest(home_ / "Data" / "t0.tst", "A12", 45000.0, 0);                  // never started
    writeTest(home_ / "Archiv" / "old.tst", "A12", 44000.0, 10, true);
    writeTest(home_ / "Data" / "other.tst", "B7", 45000.5, 10);
    home_.writeText("Data/poznamky.txt", "ne");
    home_.writeText("Data/cizi.tst", "no test file");

    const auto refreshed = refreshHistory(*store_, folders());
    ASSERT_TRUE(refreshed.ok()) << refreshed.error();
    EXPECT_EQ(refreshed->read, 5u);
    EXPECT_EQ(refreshed->refused, 1u);

    const auto a12 = batteryHistory(*store_, folders(), "A12");
    ASSERT_TRUE(a12.ok()) << a12.error();
    ASSERT_EQ(a12->size(), 4u);
    EXPECT_EQ(pathsOf(a12.value()),
              (std::vector<std::filesystem::path>{home_ / "Archiv" / "old.tst", home_ / "Data" / "t0.tst",
                                                  home_ / "Data" / "t1.tst", home_ / "Data" / "t2.tst"}));
    EXPECT_TRUE((*a12)[0].archived);
    EXPECT_FALSE((*a12)[1].archived);
    const std::vector<HistoryResult> results{HistoryResult::Completed, HistoryResult::NotStarted,
                                             HistoryResult::Completed, HistoryResult::Interrupted};
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ((*a12)[i].result, results[i]) << i;
    EXPECT_EQ((*a12)[3].procedure, "Dlouhý test");
    EXPECT_EQ((*a12)[3].batteryType, longTestHeader({}).batteryType);
    EXPECT_STREQ(historyResultText(HistoryResult::Interrupted), "Přerušen");

    // Nothing changed: nothing is read again.
    const auto again = refreshHistory(*store_, folders());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->read, 0u);
    EXPECT_EQ(again->removed, 0u);
}

TEST_F(HistoryIndex, FollowsFilesThatChangeOrGo)
{
    writeTest(home_ / "Data" / "a.tst", "A12", 45001.0, 5);
    writeTest(home_ / "Data" / "b.tst", "A12", 45002.0, 5);
    ASSERT_TRUE(refreshHistory(*store_, folders()).ok());
    ASSERT_EQ(batteryHistory(*store_, folders(), "A12")->size(), 2u);

    writeTest(home_ / "Data" / "a.tst", "B7", 45001.0, 6); // rewritten for another battery
    std::filesystem::remove(home_ / "Data" / "b.tst");
    const auto refreshed = refreshHistory(*store_, folders());
    ASSERT_TRUE(refreshed.ok());
    EXPECT_EQ(refreshed->read, 1u);
    EXPECT_EQ(refreshed->removed, 1u);
    EXPECT_TRUE(batteryHistory(*store_, folders(), "A12")->empty());
    EXPECT_EQ(batteryHistory(*store_, folders(), "B7")->size(), 1u);

    // A file that became no test file leaves the history.
    home_.writeText("Data/a.tst", "cut");
    EXPECT_TRUE(batteryHistory(*store_, folders(), "B7")->empty());
}

TEST_F(HistoryIndex, DeletedStoreIsRebuiltToTheSameEntries)
{
    writeTest(home_ / "Data" / "a.tst", "A12", 45001.0, 5);
    writeTest(home_ / "Archiv" / "b.tst", "A12", 45000.0, 5, true);
    const auto before = batteryHistory(*store_, folders(), "A12");
    ASSERT_TRUE(before.ok());
    store_.reset();
    std::filesystem::remove(historyStorePath(home_ / "Data"));
    auto reopened = SqliteHistoryStore::open(historyStorePath(home_ / "Data"));
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ(batteryHistory(**reopened, folders(), "A12").value(), before.value());
}

// Puts the folder's modification time back to one fixed moment long ago: a folder that has
// not changed since its last listing (the test writes files through folders of their own).
void settle(const std::filesystem::path& folder)
{
    timespec times[2];
    times[0].tv_sec = 1577836800; // 2020-01-01
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

// While neither folder changed (no file added, removed or renamed), a look-up looks only
// at the battery's own files: another battery's file changed in place is not read by it
// (that battery's look-up or the next listing reads it), the battery's own changed file is,
// and a new file makes the folder listed again.
TEST_F(HistoryIndex, ALookUpListsTheFoldersOnlyWhenTheyChanged)
{
    writeTest(home_ / "Data" / "a.tst", "A12", 45001.0, 5);
    writeTest(home_ / "Data" / "b.tst", "B7", 45002.0, 5);
    settle(home_ / "Data");
    settle(home_ / "Archiv");
    ASSERT_EQ(batteryHistory(*store_, folders(), "A12")->size(), 1u);

    writeTest(home_ / "Data" / "b.tst", "A12", 45002.0, 6); // in place: the folder keeps its time
    writeTest(home_ / "Data" / "a.tst", "A12", 45001.0, 9);
    settle(home_ / "Data");
    const auto quick = batteryHistory(*store_, folders(), "A12");
    ASSERT_TRUE(quick.ok()) << quick.error();
    EXPECT_EQ(pathsOf(quick.value()), std::vector<std::filesystem::path>{home_ / "Data" / "a.tst"});
    EXPECT_EQ((*quick)[0].fileSize, std::filesystem::file_size(home_ / "Data" / "a.tst"));
    // B7's look-up reads its own file again: it is A12's now.
    EXPECT_TRUE(batteryHistory(*store_, folders(), "B7")->empty());

    writeTest(home_ / "Data" / "c.tst", "A12", 45003.0, 5); // a new file changes the folder
    const auto listed = batteryHistory(*store_, folders(), "A12");
    ASSERT_TRUE(listed.ok());
    EXPECT_EQ(pathsOf(listed.value()),
              (std::vector<std::filesystem::path>{home_ / "Data" / "a.tst", home_ / "Data" / "b.tst",
                                                  home_ / "Data" / "c.tst"}));
    EXPECT_TRUE(batteryHistory(*store_, folders(), "B7")->empty());
}

// How a test got into the archive folder beside the data folder's "a.tst" (started at 45001).
enum class ArchiveCopy { SameBytes, SameBytesOtherName, Longer, OneByteChanged, OtherStart, OnlyArchived };

TEST(HistoryArchiveCopies, ATestCopiedToTheArchiveIsListedOnceByItsDataCopy)
{
    struct Case {
        const char* name;
        ArchiveCopy copy;
        std::vector<std::string> listed; // folder/file, oldest first
    };
    const std::vector<Case> cases{
        {"same bytes", ArchiveCopy::SameBytes, {"Data/a.tst"}},
        {"same bytes, another name", ArchiveCopy::SameBytesOtherName, {"Data/a.tst"}},
        {"archived copy longer", ArchiveCopy::Longer, {"Data/a.tst", "Archiv/a.tst"}},
        {"same size, one byte differs", ArchiveCopy::OneByteChanged, {"Data/a.tst", "Archiv/a.tst"}},
        {"another test", ArchiveCopy::OtherStart, {"Archiv/a.tst", "Data/a.tst"}},
        {"only in the archive", ArchiveCopy::OnlyArchived, {"Archiv/a.tst"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        std::filesystem::create_directories(home / "Data");
        std::filesystem::create_directories(home / "Archiv");
        const auto data = home / "Data" / "a.tst";
        const auto archived = home / "Archiv" / (c.copy == ArchiveCopy::SameBytesOtherName ? "b.tst" : "a.tst");
        writeTest(data, "A12", 45001.0, 8, true);
        switch (c.copy) {
        case ArchiveCopy::SameBytes:
        case ArchiveCopy::SameBytesOtherName:
        case ArchiveCopy::OnlyArchived:
            std::filesystem::copy_file(data, archived);
            break;
        case ArchiveCopy::Longer:
            writeTest(archived, "A12", 45001.0, 9, true);
            break;
        case ArchiveCopy::OneByteChanged: {
            std::filesystem::copy_file(data, archived);
            const auto size = std::filesystem::file_size(archived);
            std::fstream f(archived, std::ios::in | std::ios::out | std::ios::binary);
            f.seekg(static_cast<std::streamoff>(size - 1));
            const char last = static_cast<char>(f.get());
            f.seekp(static_cast<std::streamoff>(size - 1));
            f.put(static_cast<char>(last ^ 0x01));
            break;
        }
        case ArchiveCopy::OtherStart:
            writeTest(archived, "A12", 45000.0, 8, true);
            break;
        }
        if (c.copy == ArchiveCopy::OnlyArchived)
            std::filesystem::remove(data);
        auto store = SqliteHistoryStore::open(":memory:");
        ASSERT_TRUE(store.ok()) << store.error();
        const auto found = batteryHistory(**store, {home / "Data", home / "Archiv"}, "A12");
        ASSERT_TRUE(found.ok()) << found.error();
        std::vector<std::filesystem::path> expected;
        for (const auto& name : c.listed)
            expected.push_back(home / name);
        EXPECT_EQ(pathsOf(found.value()), expected);
        for (const auto& e : found.value()) {
            EXPECT_EQ(e.archived, e.path.parent_path() == home / "Archiv") << e.path;
        }
    }
}

TEST_F(HistoryIndex, EndedTestIsEnteredAtOnce)
{
    writeTest(home_ / "Data" / "a.tst", "A12", 45001.0, 5, true);
    ASSERT_TRUE(recordHistoryOf(*store_, home_ / "Data" / "a.tst", false));
    const auto found = store_->findByBattery("A12");
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().result, HistoryResult::Completed);
    EXPECT_FALSE(recordHistoryOf(*store_, home_ / "Data" / "none.tst", false));
}

} // namespace
} // namespace kapsorel::test
