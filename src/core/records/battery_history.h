// The battery history: one entry per test file found in the data and archive folders, kept
// in a store that answers "every test of this battery" quickly. The store is a cache of the
// files' heads: deleting it loses nothing, it is rebuilt from the files.
#pragma once

#include "core/base/day_time.h"
#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct stat;

namespace kapsorel {

// How a test ended, as its step results tell.
enum class HistoryResult : std::uint8_t {
    NotStarted = 0,  // no step ever started
    Completed = 1,   // every started step ended, or the run reached its "Konec" step
    Interrupted = 2, // another step was left running (stopped, lost module, power cut, or running now)
};
const char* historyResultText(HistoryResult r); // "Nezahájen", "Ukončen", "Přerušen"

struct HistoryEntry {
    std::filesystem::path path;
    bool archived = false; // found in the archive folder
    std::string batteryNumber;
    DayTime start = 0.0;
    std::string batteryType;
    std::string procedure;
    std::string operatorName;
    HistoryResult result = HistoryResult::NotStarted;
    // What the entry was read from, to tell a changed file.
    std::uint64_t fileSize = 0;
    std::int64_t modified = 0; // historyModifiedTime of the file

    bool operator==(const HistoryEntry&) const = default;
};

// What an entry was read from: enough to tell whether its file has changed since.
struct HistoryFileStamp {
    std::filesystem::path path;
    bool archived = false;
    std::uint64_t fileSize = 0;
    std::int64_t modified = 0;
};

// When a folder was last listed whole: its own modification time then and the time of the
// listing (nanoseconds since 1970). While the folder's time stays, no file was added,
// removed or renamed in it since.
struct FolderScan {
    std::int64_t folderModified = 0;
    std::int64_t scanned = 0;
};

// Where the history lives; a shared one for many stations can take this place.
class BatteryHistoryStore {
  public:
    virtual ~BatteryHistoryStore() = default;
    // Adds the entry, or replaces the one of the same path.
    virtual Status add(const HistoryEntry& entry) = 0;
    // Adds or replaces `entries` and drops the entries of `gone`, all or nothing.
    virtual Status update(const std::vector<HistoryEntry>& entries, const std::vector<std::filesystem::path>& gone) = 0;
    // Every entry of the battery number (exact), oldest start first.
    virtual Result<std::vector<HistoryEntry>> findByBattery(const std::string& batteryNumber) = 0;
    // Every entry, oldest start first.
    virtual Result<std::vector<HistoryEntry>> list() = 0;
    // The stamps of every entry, in no particular order.
    virtual Result<std::vector<HistoryFileStamp>> stamps() = 0;
    // The last whole listing of `folder`; a value with folderModified -1 when there was none.
    virtual Result<FolderScan> folderScan(const std::filesystem::path& folder) = 0;
    virtual Status setFolderScan(const std::filesystem::path& folder, const FolderScan& scan) = 0;
};

// A file's modification time as the entries hold it (nanoseconds since 1970).
std::int64_t historyModifiedTime(const struct stat& st);

// The entry for a test file from its head; refused when the file is no test file.
Result<HistoryEntry> readHistoryEntry(const std::filesystem::path& path, bool archived);

} // namespace kapsorel
