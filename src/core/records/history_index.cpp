#include "core/records/history_index.h"

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

} // namespace

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
    return store.findByBattery(batteryNumber);
}

Status recordHistoryOf(BatteryHistoryStore& store, const std::filesystem::path& testFile, bool archived)
{
    auto entry = readHistoryEntry(testFile, archived);
    if (!entry)
        return Error{entry.error()};
    return store.add(entry.value());
}

} // namespace kapsorel
