// The battery history of a station's data and archive folders: the store beside the data
// folder is brought up to the test files before it answers (files new or changed since they
// were read are read again, entries of files gone are dropped), and a test that ended is
// entered at once.
#pragma once

#include "core/records/battery_history.h"

#include <cstddef>
#include <filesystem>

namespace kapsorel {

// "Historie.db" beside the data folder (in the folder that holds it).
std::filesystem::path historyStorePath(const std::filesystem::path& dataFolder);

struct HistoryFolders {
    std::filesystem::path data;
    std::filesystem::path archive; // empty: no archive
};

struct HistoryRefresh {
    std::size_t read = 0;    // files (re)read
    std::size_t removed = 0; // entries dropped: files gone, or no test files any more
    std::size_t refused = 0; // ".tst" files that are no test files
};

// Brings `store` up to the ".tst" files of the folders (a missing folder has none).
Result<HistoryRefresh> refreshHistory(BatteryHistoryStore& store, const HistoryFolders& folders);

// Every test of the battery in the folders, oldest first (of the same start a data folder
// file before an archived one). The folders are listed again (refreshHistory) only when one
// has changed since its last listing (a file added, removed or renamed); otherwise only the
// battery's own files are looked at, so a look-up costs the same in a folder of thousands. A test copied to the archive
// (same battery and start, same bytes) is listed once, by its data folder copy; copies that differ are all listed, each
// with its folder.
Result<std::vector<HistoryEntry>> batteryHistory(BatteryHistoryStore& store, const HistoryFolders& folders,
                                                 const std::string& batteryNumber);

// Drops from `entries` each archived file that has a data folder entry of the same battery
// and start with the same bytes; the order of the rest stays.
void dropArchivedCopies(std::vector<HistoryEntry>& entries);

// Enters (or updates) one test file, e.g. when its test has ended.
Status recordHistoryOf(BatteryHistoryStore& store, const std::filesystem::path& testFile, bool archived);

} // namespace kapsorel
