// Saving a file in one step, for every file the program writes whole: the new bytes go to a
// temporary created exclusively beside the file (never through a link planted at some
// predictable name), are synced, take the old file's permissions and are renamed over it;
// then the folder is synced. A target that is itself a symbolic link is saved where the
// link points and the link stays. Readers, and writers racing on one file, find the old
// file or one writer's whole new file, never a mix; a failed save leaves the old file and
// no temporary behind.
//
//   AtomicFileWriter out;
//   if (Status st = out.open(path); !st) return st;
//   ... out.write(bytes) as often as needed ...
//   return out.commit();
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>

namespace kapsorel {

class AtomicFileWriter {
  public:
    AtomicFileWriter() = default;
    // An open temporary that was not committed is removed.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Starts a new version of `target`. Fails with "Soubor <target> nelze otevřít (<why>)";
    // errorNumber() then tells the cause (see transientFileError). `followLinks` false: the
    // temporary lies beside the name itself (for commitNew, which never replaces a link).
    Status open(const std::filesystem::path& target, bool followLinks = true);
    // Appends bytes to the new version. Fails with "Zápis do souboru <target> selhal (<why>)".
    Status write(std::span<const std::uint8_t> bytes);
    Status write(std::string_view text);
    // Syncs the new version, puts it in place of the old one and syncs the folder.
    Status commit();
    // As commit, but only when no file of the target's name exists: fails with EEXIST in
    // errorNumber() otherwise, and the temporary is kept for another commitAs.
    Status commitNew();
    // commitNew under another name in the same folder (the next free name of a series).
    Status commitNewAs(const std::filesystem::path& target);
    // Drops the new version; the old file stays as it was.
    void discard();

    // The file the new version replaces: the target with its links followed.
    const std::filesystem::path& target() const { return target_; }
    // errno of the last failure, 0 when none.
    int errorNumber() const { return error_; }

  private:
    Status failed(int err, const std::string& message);
    Status sync();
    // The temporary is in place as `target`: closes it and syncs the folder.
    Status placed(const std::filesystem::path& target);

    std::filesystem::path shown_;  // the target as the caller named it, for messages
    std::filesystem::path target_; // with links followed
    std::filesystem::path temporary_;
    int fd_ = -1;
    int error_ = 0;
};

// The whole file written with an AtomicFileWriter, without retries.
Status replaceFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// Writes a new file under the first name of a series that no file has taken yet:
// nameAt(0), nameAt(1), ... up to nameAt(maxNames - 1), all in one folder. Never replaces a
// file, even one created meanwhile by another writer; returns the name taken.
Result<std::filesystem::path> createUnderFreeName(const std::function<std::filesystem::path(int)>& nameAt,
                                                  std::span<const std::uint8_t> bytes, int maxNames = 1000);

// Copies `source` over `target` a piece at a time (a file of any size in little memory),
// with the writer's guarantees; opening both is retried as readFileRetrying does. The copy
// starts with `head` in place of the source's first head.size() bytes and ends after
// `length` bytes (or at the source's end).
Status copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target,
                         Clock& clock = SystemClock::instance(), std::span<const std::uint8_t> head = {},
                         std::uint64_t length = UINT64_MAX);

} // namespace kapsorel
