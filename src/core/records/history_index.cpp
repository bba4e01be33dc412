#include "core/records/history_index.h"

#include "core/base/files.h"

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace kapsorel {

namespace {

struct Seen {
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

// The ".tst" files of a folder with their size and modification time: one stat each.
std::unordered_map<std::string, Seen> testFilesIn(const std::filesystem::path& folder)
{
    std::unordered_map<std::string, Seen> files;
    if (folder.empty())
        return files;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return files;
    const int fd = ::dirfd(dir);
    while (const dirent* d = ::readdir(dir)) {
        const std::string_view name(d->d_name);
        if (name.size() <= 4 || !name.ends_with(".tst"))
            continue;
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        files.emplace((folder / d->d_name).string(),
                      Seen{static_cast<std::uint64_t>(st.st_size), historyModifiedTime(st)});
    }
    ::closedir(dir);
    return files;
}

// Whether two files hold the same bytes; a file that cannot be read holds none.
bool sameBytes(const std::filesystem::path& a, const std::filesystem::path& b)
{
    FileReader ra;
    FileReader rb;
    if (!ra.open(a) || !rb.open(b) || ra.size() != rb.size())
        return false;
    constexpr std::size_t kChunk = 1 << 16;
    std::vector<std::uint8_t> ca;
    std::vector<std::uint8_t> cb;
    for (std::uint64_t at = 0; at < ra.size(); at += kChunk) {
        if (!ra.readAt(at, kChunk, ca) || !rb.readAt(at, kChunk, cb) || ca != cb || ca.empty())
            return false;
    }
    return true;
}

bool isCopyOf(const HistoryEntry& archived, const HistoryEntry& data)
{
    return !data.archived && data.batteryNumber == archived.batteryNumber && data.start == archived.start &&
           data.fileSize == archived.fileSize && sameBytes(data.path, archived.path);
}

} // namespace

void dropArchivedCopies(std::vector<HistoryEntry>& entries)
{
    // A copy has its original's start: only files of the same start are compared.
    std::unordered_multimap<DayTime, const HistoryEntry*> dataByStart;
    for (const HistoryEntry& e : entries)
        if (!e.archived)
            dataByStart.emplace(e.start, &e);
    std::vector<bool> copies(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const HistoryEntry& e = entries[i];
        if (!e.archived)
            continue;
        const auto [from, to] = dataByStart.equal_range(e.start);
        copies[i] = std::any_of(from, to, [&e](const auto& d) { return isCopyOf(e, *d.second); });
    }
    std::vector<HistoryEntry> kept;
    kept.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!copies[i])
            kept.push_back(std::move(entries[i]));
    entries = std::move(kept);
}

std::filesystem::path historyStorePath(const std::filesystem::path& dataFolder)
{
    const std::filesystem::path folder = dataFolder.has_filename() ? dataFolder : dataFolder.parent_path();
    return folder.parent_path() / "Historie.db";
}

namespace {

// A folder whose time was this close to its listing may have changed within the same tick of
// a coarse clock (a share's): it is listed again.
constexpr std::int64_t kSettleNs = 2'000'000'000;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The folder's own modification time, -1 when it cannot be looked at.
std::int64_t folderModified(const std::filesystem::path& folder)
{
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 ? historyModifiedTime(st) : -1;
}

// Entries to write and drop, gathered before one update of the store.
struct Pending {
    HistoryRefresh done;
    std::vector<HistoryEntry> changed;
    std::vector<std::filesystem::path> gone;

    // Brings one file's entry up to the file: `seen` its state now (none: the file is gone),
    // `known` what the entry was read from (none: no entry).
    void follow(const std::string& path, bool archived, const Seen* seen, const HistoryFileStamp* known)
    {
        if (seen == nullptr) {
            if (known != nullptr)
                gone.push_back(path);
            return;
        }
        if (known != nullptr && known->fileSize == seen->size && known->modified == seen->modified &&
            known->archived == archived)
            return;
        auto entry = readHistoryEntry(path, archived);
        if (!entry) {
            ++done.refused;
            if (known != nullptr)
                gone.push_back(path);
            return;
        }
        changed.push_back(std::move(entry.value()));
    }

    Status commit(BatteryHistoryStore& store)
    {
        done.read = changed.size();
        done.removed = gone.size();
        if (changed.empty() && gone.empty())
            return {};
        return store.update(changed, gone);
    }
};

std::vector<std::pair<std::filesystem::path, bool>> foldersOf(const HistoryFolders& folders)
{
    std::vector<std::pair<std::filesystem::path, bool>> out{{folders.data, false}};
    if (!folders.archive.empty())
        out.emplace_back(folders.archive, true);
    return out;
}

// True when some folder may hold files the store has not seen: it changed since its last
// whole listing, or was never listed.
Result<bool> foldersChanged(BatteryHistoryStore& store, const HistoryFolders& folders)
{
    for (const auto& [folder, archived] : foldersOf(folders)) {
        auto scan = store.folderScan(folder);
        if (!scan)
            return Error{scan.error()};
        const std::int64_t modified = folderModified(folder);
        if (scan->folderModified < 0 || scan->folderModified != modified || scan->scanned - modified < kSettleNs)
            return true;
    }
    return false;
}

// The entries of one battery brought up to their files, each file looked at alone.
Status followBattery(BatteryHistoryStore& store, const std::string& batteryNumber)
{
    auto known = store.findByBattery(batteryNumber);
    if (!known)
        return Error{known.error()};
    Pending pending;
    for (const HistoryEntry& e : known.value()) {
        struct stat st {};
        const bool present = ::stat(e.path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        const Seen seen{static_cast<std::uint64_t>(st.st_size), historyModifiedTime(st)};
        const HistoryFileStamp stamp{e.path, e.archived, e.fileSize, e.modified};
        pending.follow(e.path.string(), e.archived, present ? &seen : nullptr, &stamp);
    }
    return pending.commit(store);
}

} // namespace

Result<HistoryRefresh> refreshHistory(BatteryHistoryStore& store, const HistoryFolders& folders)
{
    auto known = store.stamps();
    if (!known)
        return Error{known.error()};
    std::unordered_map<std::string, const HistoryFileStamp*> indexed;
    indexed.reserve(known->size());
    for (const auto& e : known.value())
        indexed.emplace(e.path.string(), &e);

    Pending pending;
    std::unordered_set<std::string> present;
    std::vector<std::pair<std::filesystem::path, FolderScan>> scans;
    for (const auto& [folder, archived] : {std::pair{folders.data, false}, std::pair{folders.archive, true}}) {
        // The folder's time before its listing: a change while it is listed is seen next time.
        if (!folder.empty())
            scans.emplace_back(folder, FolderScan{folderModified(folder), nowNs()});
        for (const auto& [path, seen] : testFilesIn(folder)) {
            present.insert(path);
            const auto it = indexed.find(path);
            pending.follow(path, archived, &seen, it != indexed.end() ? it->second : nullptr);
        }
    }
    for (const auto& [path, entry] : indexed) {
        if (!present.contains(path))
            pending.gone.push_back(path);
    }
    if (Status st = pending.commit(store); !st)
        return Error{st.error()};
    for (const auto& [folder, scan] : scans)
        if (Status st = store.setFolderScan(folder, scan); !st)
            return Error{st.error()};
    return pending.done;
}

Result<std::vector<HistoryEntry>> batteryHistory(BatteryHistoryStore& store, const HistoryFolders& folders,
                                                 const std::string& batteryNumber)
{
    // A whole listing only when a folder changed; otherwise only this battery's files are
    // looked at (a data folder on a share may hold thousands).
    auto changed = foldersChanged(store, folders);
    if (!changed)
        return Error{changed.error()};
    if (changed.value()) {
        if (auto refreshed = refreshHistory(store, folders); !refreshed)
            return Error{refreshed.error()};
    } else if (Status st = followBattery(store, batteryNumber); !st) {
        return Error{st.error()};
    }
    auto found = store.findByBattery(batteryNumber);
    if (!found)
        return found;
    std::stable_sort(found->begin(), found->end(), [](const HistoryEntry& a, const HistoryEntry& b) {
        return a.start != b.start ? a.start < b.start : !a.archived && b.archived;
    });
    dropArchivedCopies(found.value());
    return found;
}

Status recordHistoryOf(BatteryHistoryStore& store, const std::filesystem::path& testFile, bool archived)
{
    auto entry = readHistoryEntry(testFile, archived);
    if (!entry)
        return Error{entry.error()};
    return store.add(entry.value());
}

} // namespace kapsorel
