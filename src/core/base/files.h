// File helpers with the station's rules: files that another window or station may hold are
// opened with retries (only while the failure is one that can pass), whole-file reads take
// only regular files up to a size, saves go through the atomic writer (atomic_file.h), and
// folders are created on demand.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

constexpr int kOpenAttempts = 10;
constexpr int kOpenRetryMs = 1000;

// Largest file a whole-file read takes unless its format names a smaller cap.
constexpr std::uint64_t kDefaultReadCap = std::uint64_t{16} << 20;

// Message shown when a file stays unavailable after all attempts: "Soubor <path> nelze
// otevřít", and with an error number " (<why>)".
std::string cannotOpenMessage(const std::filesystem::path& path);
std::string cannotOpenMessage(const std::filesystem::path& path, int err);
// Why a file operation failed, in words for the user ("přístup odepřen", "soubor neexistuje").
std::string fileErrorText(int err);
// True for a failure that can pass by itself: the file shared or locked by another program
// or station (EAGAIN, EBUSY, ETXTBSY, ENOLCK, EDEADLK) or an interrupted call. Anything else
// (EACCES, ENOENT, EROFS, a folder, a loop of links ...) will not pass by waiting.
bool transientFileError(int err);
// Runs `attempt` (0 = done, else an errno) up to kOpenAttempts times kOpenRetryMs apart while
// it fails with a transient error; returns the last attempt's result.
int retryingTransient(Clock& clock, const std::function<int()>& attempt);

// Reads the whole file, trying again while it is transiently unavailable (up to 10 times
// 1000 ms apart). Only a regular file of at most `maxBytes` is read (a pipe, a device or a
// huge file is refused at once). Fails with "Soubor <path> nelze otevřít (<why>)".
Result<std::vector<std::uint8_t>> readFileRetrying(const std::filesystem::path& path,
                                                   Clock& clock = SystemClock::instance(),
                                                   std::uint64_t maxBytes = kDefaultReadCap);

// A regular file read piece by piece, for files too large to hold at once. Opened with the
// same retries as readFileRetrying; the file is closed when the reader goes.
class FileReader {
  public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Fails with "Soubor <path> nelze otevřít".
    Status open(const std::filesystem::path& path, Clock& clock = SystemClock::instance());
    // Size of the file when it was opened.
    std::uint64_t size() const { return size_; }
    // Replaces `out` by up to `count` bytes from `offset`; fewer only where the file ends.
    Status readAt(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out);

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::filesystem::path path_;
};

// Replaces the file's contents through the atomic writer (atomic_file.h), trying again while
// the folder is transiently unavailable. A failure leaves the old file untouched.
Status writeFileRetrying(const std::filesystem::path& path, const std::vector<std::uint8_t>& data,
                         Clock& clock = SystemClock::instance());

// True when both name one existing file: the same name, another name of it (a hard link) or
// a symbolic link to it.
bool sameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Creates the folder (and its parents) when missing. Fails with "Nelze vytvořit : <path>".
Status ensureFolder(const std::filesystem::path& path);

// Writes the bytes to the end of an existing file and syncs it to the device.
Status appendFileSynced(const std::filesystem::path& path, const std::vector<std::uint8_t>& data);

// Writes the bytes at a given offset of an existing file and syncs it to the device.
Status writeAtSynced(const std::filesystem::path& path, std::uint64_t offset, const std::vector<std::uint8_t>& data);

// The whole-file and in-place operations of a component that keeps a file, as one
// interface, so that a test can stand between the component and the disk (hold a write
// in its sync, say). DiskFileStore does them with the functions above.
class FileStore {
  public:
    virtual ~FileStore() = default;
    // As writeAtSynced.
    virtual Status writeAt(const std::filesystem::path& path, std::uint64_t offset,
                           const std::vector<std::uint8_t>& data) = 0;
    // As writeFileRetrying.
    virtual Status replace(const std::filesystem::path& path, const std::vector<std::uint8_t>& data, Clock& clock) = 0;
    // As readFileRetrying.
    virtual Result<std::vector<std::uint8_t>> read(const std::filesystem::path& path, Clock& clock) = 0;
    // As copyFileReplacing (atomic_file.h): the file streamed, never held whole.
    virtual Status copy(const std::filesystem::path& source, const std::filesystem::path& target, Clock& clock,
                        std::span<const std::uint8_t> head = {}, std::uint64_t length = UINT64_MAX);
};

class DiskFileStore final : public FileStore {
  public:
    static DiskFileStore& instance();

    Status writeAt(const std::filesystem::path& path, std::uint64_t offset,
                   const std::vector<std::uint8_t>& data) override
    {
        return writeAtSynced(path, offset, data);
    }
    Status replace(const std::filesystem::path& path, const std::vector<std::uint8_t>& data, Clock& clock) override
    {
        return writeFileRetrying(path, data, clock);
    }
    Result<std::vector<std::uint8_t>> read(const std::filesystem::path& path, Clock& clock) override
    {
        return readFileRetrying(path, clock);
    }
};

} // namespace kapsorel
