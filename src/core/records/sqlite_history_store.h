// The battery history in an SQLite file. A file that cannot be opened as the history (not
// SQLite, another layout, damaged) is replaced by an empty one: the history is a cache of
// the test files and is rebuilt from them.
#pragma once

#include "core/records/battery_history.h"

#include <filesystem>
#include <memory>
#include <mutex>

struct sqlite3;

namespace kapsorel {

class SqliteHistoryStore final : public BatteryHistoryStore {
  public:
    // Opens or creates the store at `path` (":memory:" for one in memory).
    static Result<std::unique_ptr<SqliteHistoryStore>> open(const std::filesystem::path& path);
    ~SqliteHistoryStore() override;
    SqliteHistoryStore(const SqliteHistoryStore&) = delete;
    SqliteHistoryStore& operator=(const SqliteHistoryStore&) = delete;

    Status add(const HistoryEntry& entry) override;
    Status update(const std::vector<HistoryEntry>& entries, const std::vector<std::filesystem::path>& gone) override;
    Result<std::vector<HistoryEntry>> findByBattery(const std::string& batteryNumber) override;
    Result<std::vector<HistoryEntry>> list() override;
    Result<std::vector<HistoryFileStamp>> stamps() override;
    Result<FolderScan> folderScan(const std::filesystem::path& folder) override;
    Status setFolderScan(const std::filesystem::path& folder, const FolderScan& scan) override;

  private:
    explicit SqliteHistoryStore(sqlite3* db) : db_(db) {}
    // With the lock held.
    Status exec(const char* sql);
    Status addLocked(const HistoryEntry& entry);
    Status removeLocked(const std::filesystem::path& path);
    Result<std::vector<HistoryEntry>> query(const char* sql, const std::string* batteryNumber);

    sqlite3* db_;
    std::mutex mutex_;
};

} // namespace kapsorel
