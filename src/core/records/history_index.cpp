#include "core/records/history_index.h"

#include "core/base/files.h"

#include <algorithm>
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

Result<HistoryRefresh> refreshHistory(BatteryHistoryStore& store, const HistoryFolders& folders)
{
    auto known = store.stamps();
    if (!known)
        return Error{known.error()};
    std::unordered_map<std::string, const HistoryFileStamp*> indexed;
    indexed.reserve(known->size());
    for (const auto& e : known.value())
        indexed.emplace(e.path.string(), &e);

    HistoryRefresh done;
    std::vector<HistoryEntry> changed;
    std::vector<std::filesystem::path> gone;
    std::unordered_set<std::string> present;
    for (const auto& [folder, archived] : {std::pair{folders.data, false}, std::pair{folders.archive, true}}) {
        for (const auto& [path, seen] : testFilesIn(folder)) {
            present.insert(path);
            const auto it = indexed.find(path);
            if (it != indexed.end() && it->second->fileSize == seen.size && it->second->modified == seen.modified &&
                it->second->archived == archived)
                continue;
            auto entry = readHistoryEntry(path, archived);
            if (!entry) {
                ++done.refused;
                if (it != indexed.end())
                    gone.push_back(path);
                continue;
            }
            changed.push_back(std::move(entry.value()));
        }
    }
    for (const auto& [path, entry] : indexed) {
        if (present.contains(path))
            continue;
        gone.push_back(path);
    }
    done.read = changed.size();
    done.removed = gone.size();
    if (changed.empty() && gone.empty())
        return done;
    if (Status st = store.update(changed, gone); !st)
        return Error{st.error()};
    return done;
}

Result<std::vector<HistoryEntry>> batteryHistory(BatteryHistoryStore& store, const HistoryFolders& folders,
                                                 const std::string& batteryNumber)
{
    if (auto refreshed = refreshHistory(store, folders); !refreshed)
        return Error{refreshed.error()};
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
