// File helpers with the station's rules: files that another window may hold are
// opened with retries, and folders are created on demand.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kapsorel {

constexpr int kOpenAttempts = 10;
constexpr int kOpenRetryMs = 1000;

// Message shown when a file stays unavailable after all attempts.
std::string cannotOpenMessage(const std::filesystem::path& path);

// Reads the whole file, trying up to 10 times 1000 ms apart.
// Fails with "Soubor <path> nelze otevřít".
Result<std::vector<std::uint8_t>> readFileRetrying(const std::filesystem::path& path,
                                                   Clock& clock = SystemClock::instance());

// A file read piece by piece, for files too large to hold at once. Opened with the same
// retries as readFileRetrying; the file is closed when the reader goes.
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

// Replaces the file's contents atomically (temporary file, fsync, rename), trying to
// open up to 10 times 1000 ms apart. A failure leaves the old file untouched.
Status writeFileRetrying(const std::filesystem::path& path, const std::vector<std::uint8_t>& data,
                         Clock& clock = SystemClock::instance());

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
