#include "core/records/sqlite_history_store.h"

#include <sqlite3.h>
#include <system_error>

namespace kapsorel {

namespace {

// Raised when the layout below changes: an older file is then rebuilt from the test files.
constexpr int kLayoutVersion = 1;

constexpr const char* kCreate = "CREATE TABLE IF NOT EXISTS tests("
                                " path TEXT PRIMARY KEY, archived INTEGER NOT NULL, battery TEXT NOT NULL,"
                                " start REAL NOT NULL, type TEXT NOT NULL, procedure TEXT NOT NULL,"
                                " operator TEXT NOT NULL, result INTEGER NOT NULL, size INTEGER NOT NULL,"
                                " modified INTEGER NOT NULL);"
                                "CREATE INDEX IF NOT EXISTS tests_by_battery ON tests(battery, start);"
                                "CREATE TABLE IF NOT EXISTS folders("
                                " path TEXT PRIMARY KEY, modified INTEGER NOT NULL, scanned INTEGER NOT NULL);";

constexpr const char* kColumns = "SELECT path, archived, battery, start, type, procedure, operator, result, size, "
                                 "modified FROM tests";

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK; }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return ok_; }
    sqlite3_stmt* get() const { return stmt_; }
    void text(int i, const std::string& s)
    {
        sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    bool ok_ = false;
};

std::string columnText(sqlite3_stmt* s, int i)
{
    const auto* t = sqlite3_column_text(s, i);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(s, i)))
             : std::string();
}

Error failure(sqlite3* db, const std::string& what)
{
    return Error{"Historie baterií: " + what + ": " + sqlite3_errmsg(db)};
}

// What opening the file found: a usable history, a file that is damaged or of another
// layout (rebuilt from the test files), or a file that is fine but cannot be used now
// (held by another connection, read-only, not reachable): that one is left alone.
enum class Found { Usable, Damaged, Unavailable };

Found foundBy(int rc)
{
    const int primary = rc & 0xff;
    if (primary == SQLITE_OK || primary == SQLITE_DONE || primary == SQLITE_ROW)
        return Found::Usable;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? Found::Damaged : Found::Unavailable;
}

Found openUsable(const std::filesystem::path& path, sqlite3*& db)
{
    const int opened =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (opened != SQLITE_OK)
        return foundBy(opened);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    int version = -1;
    {
        Statement s(db, "PRAGMA user_version");
        if (!s.ok())
            return foundBy(sqlite3_errcode(db));
        const int rc = sqlite3_step(s.get());
        if (rc != SQLITE_ROW)
            return foundBy(rc);
        version = sqlite3_column_int(s.get(), 0);
    }
    if (version != 0 && version != kLayoutVersion)
        return Found::Damaged;
    const std::string setUp = std::string(kCreate) + "PRAGMA user_version=" + std::to_string(kLayoutVersion) + ";";
    return foundBy(sqlite3_exec(db, setUp.c_str(), nullptr, nullptr, nullptr));
}

std::string cannotOpen(const std::filesystem::path& path, sqlite3* db)
{
    std::string message = "Historie baterií: nelze otevřít " + path.string();
    if (db != nullptr)
        message += ": " + std::string(sqlite3_errmsg(db));
    return message;
}

} // namespace

Result<std::unique_ptr<SqliteHistoryStore>> SqliteHistoryStore::open(const std::filesystem::path& path)
{
    sqlite3* db = nullptr;
    Found found = openUsable(path, db);
    if (found == Found::Damaged) {
        // A file that is no history of this layout is only a cache of the test files:
        // it is started afresh.
        sqlite3_close(db);
        db = nullptr;
        std::error_code ec;
        if (path != ":memory:")
            std::filesystem::remove(path, ec);
        found = openUsable(path, db);
    }
    if (found != Found::Usable) {
        // Busy, locked, read-only or out of reach: said so, and the file stays as it is.
        std::string message = cannotOpen(path, db);
        sqlite3_close(db);
        return Error{message};
    }
    return std::unique_ptr<SqliteHistoryStore>(new SqliteHistoryStore(db));
}

SqliteHistoryStore::~SqliteHistoryStore()
{
    sqlite3_close(db_);
}

Status SqliteHistoryStore::exec(const char* sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return failure(db_, sql);
    return {};
}

Status SqliteHistoryStore::add(const HistoryEntry& e)
{
    std::lock_guard lock(mutex_);
    return addLocked(e);
}

Status SqliteHistoryStore::update(const std::vector<HistoryEntry>& entries,
                                  const std::vector<std::filesystem::path>& gone)
{
    std::lock_guard lock(mutex_);
    // One transaction: a rebuild of thousands of files is one write to the disk.
    if (Status st = exec("BEGIN"); !st)
        return st;
    Status st;
    for (const auto& e : entries)
        if (st = addLocked(e); !st)
            break;
    if (st)
        for (const auto& p : gone)
            if (st = removeLocked(p); !st)
                break;
    if (!st) {
        (void)exec("ROLLBACK");
        return st;
    }
    return exec("COMMIT");
}

Status SqliteHistoryStore::addLocked(const HistoryEntry& e)
{
    Statement s(db_, "INSERT OR REPLACE INTO tests VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    if (!s.ok())
        return failure(db_, "zápis");
    s.text(1, e.path.string());
    sqlite3_bind_int(s.get(), 2, e.archived ? 1 : 0);
    s.text(3, e.batteryNumber);
    sqlite3_bind_double(s.get(), 4, e.start);
    s.text(5, e.batteryType);
    s.text(6, e.procedure);
    s.text(7, e.operatorName);
    sqlite3_bind_int(s.get(), 8, static_cast<int>(e.result));
    sqlite3_bind_int64(s.get(), 9, static_cast<sqlite3_int64>(e.fileSize));
    sqlite3_bind_int64(s.get(), 10, e.modified);
    if (sqlite3_step(s.get()) != SQLITE_DONE)
        return failure(db_, "zápis");
    return {};
}

Status SqliteHistoryStore::removeLocked(const std::filesystem::path& path)
{
    Statement s(db_, "DELETE FROM tests WHERE path = ?1");
    if (!s.ok())
        return failure(db_, "mazání");
    s.text(1, path.string());
    if (sqlite3_step(s.get()) != SQLITE_DONE)
        return failure(db_, "mazání");
    return {};
}

Result<std::vector<HistoryEntry>> SqliteHistoryStore::query(const char* sql, const std::string* batteryNumber)
{
    std::lock_guard lock(mutex_);
    Statement s(db_, sql);
    if (!s.ok())
        return failure(db_, "čtení");
    if (batteryNumber != nullptr)
        s.text(1, *batteryNumber);
    std::vector<HistoryEntry> out;
    int rc = 0;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        HistoryEntry e;
        e.path = columnText(s.get(), 0);
        e.archived = sqlite3_column_int(s.get(), 1) != 0;
        e.batteryNumber = columnText(s.get(), 2);
        e.start = sqlite3_column_double(s.get(), 3);
        e.batteryType = columnText(s.get(), 4);
        e.procedure = columnText(s.get(), 5);
        e.operatorName = columnText(s.get(), 6);
        const int result = sqlite3_column_int(s.get(), 7);
        e.result = result >= 0 && result <= 2 ? static_cast<HistoryResult>(result) : HistoryResult::NotStarted;
        e.fileSize = static_cast<std::uint64_t>(sqlite3_column_int64(s.get(), 8));
        e.modified = sqlite3_column_int64(s.get(), 9);
        out.push_back(std::move(e));
    }
    if (rc != SQLITE_DONE)
        return failure(db_, "čtení");
    return out;
}

Result<std::vector<HistoryEntry>> SqliteHistoryStore::findByBattery(const std::string& batteryNumber)
{
    static const std::string sql = std::string(kColumns) + " WHERE battery = ?1 ORDER BY start, path";
    return query(sql.c_str(), &batteryNumber);
}

Result<std::vector<HistoryEntry>> SqliteHistoryStore::list()
{
    static const std::string sql = std::string(kColumns) + " ORDER BY start, path";
    return query(sql.c_str(), nullptr);
}

} // namespace kapsorel

namespace kapsorel {

Result<std::vector<HistoryFileStamp>> SqliteHistoryStore::stamps()
{
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT path, archived, size, modified FROM tests");
    if (!s.ok())
        return failure(db_, "čtení");
    std::vector<HistoryFileStamp> out;
    int rc = 0;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW)
        out.push_back(HistoryFileStamp{columnText(s.get(), 0), sqlite3_column_int(s.get(), 1) != 0,
                                       static_cast<std::uint64_t>(sqlite3_column_int64(s.get(), 2)),
                                       sqlite3_column_int64(s.get(), 3)});
    if (rc != SQLITE_DONE)
        return failure(db_, "čtení");
    return out;
}

Result<FolderScan> SqliteHistoryStore::folderScan(const std::filesystem::path& folder)
{
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT modified, scanned FROM folders WHERE path = ?1");
    if (!s.ok())
        return failure(db_, "čtení");
    s.text(1, folder.string());
    const int rc = sqlite3_step(s.get());
    if (rc == SQLITE_ROW)
        return FolderScan{sqlite3_column_int64(s.get(), 0), sqlite3_column_int64(s.get(), 1)};
    if (rc != SQLITE_DONE)
        return failure(db_, "čtení");
    return FolderScan{-1, 0};
}

Status SqliteHistoryStore::setFolderScan(const std::filesystem::path& folder, const FolderScan& scan)
{
    std::lock_guard lock(mutex_);
    Statement s(db_, "INSERT OR REPLACE INTO folders VALUES(?1, ?2, ?3)");
    if (!s.ok())
        return failure(db_, "zápis");
    s.text(1, folder.string());
    sqlite3_bind_int64(s.get(), 2, scan.folderModified);
    sqlite3_bind_int64(s.get(), 3, scan.scanned);
    if (sqlite3_step(s.get()) != SQLITE_DONE)
        return failure(db_, "zápis");
    return {};
}

} // namespace kapsorel
