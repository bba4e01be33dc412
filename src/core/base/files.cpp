#include "core/base/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kapsorel {

namespace {

// Closes a POSIX descriptor when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release()
    {
        int f = fd_;
        fd_ = -1;
        return f;
    }

  private:
    int fd_;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool pwriteAll(int fd, const std::uint8_t* data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

int openRetrying(const std::filesystem::path& path, int flags, Clock& clock)
{
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
        if (fd >= 0)
            return fd;
        if (attempt + 1 < kOpenAttempts)
            clock.sleepMs(kOpenRetryMs);
    }
    return -1;
}

void syncFolderOf(const std::filesystem::path& path)
{
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

} // namespace

std::string cannotOpenMessage(const std::filesystem::path& path)
{
    return "Soubor " + path.string() + " nelze otevřít";
}

Result<std::vector<std::uint8_t>> readFileRetrying(const std::filesystem::path& path, Clock& clock)
{
    Fd fd(openRetrying(path, O_RDONLY, clock));
    if (!fd.valid())
        return Error{cannotOpenMessage(path)};
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Error{cannotOpenMessage(path)};
        }
        if (n == 0)
            break;
        data.insert(data.end(), chunk, chunk + n);
    }
    return data;
}

FileReader::~FileReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Status FileReader::open(const std::filesystem::path& path, Clock& clock)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = openRetrying(path, O_RDONLY, clock);
    path_ = path;
    size_ = 0;
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || st.st_size < 0)
        return Error{cannotOpenMessage(path)};
    size_ = static_cast<std::uint64_t>(st.st_size);
    return {};
}

Status FileReader::readAt(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    out.resize(count);
    std::size_t got = 0;
    while (fd_ >= 0 && got < count) {
        const ssize_t n = ::pread(fd_, out.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            out.clear();
            return Error{cannotOpenMessage(path_)};
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (fd_ < 0) {
        out.clear();
        return Error{cannotOpenMessage(path_)};
    }
    out.resize(got);
    return {};
}

Status writeFileRetrying(const std::filesystem::path& path, const std::vector<std::uint8_t>& data, Clock& clock)
{
    const std::filesystem::path tmp = path.string() + ".tmp";
    Fd fd(openRetrying(tmp, O_WRONLY | O_CREAT | O_TRUNC, clock));
    if (!fd.valid())
        return Error{cannotOpenMessage(path)};
    if (!writeAll(fd.get(), data.data(), data.size()) || ::fsync(fd.get()) != 0) {
        ::unlink(tmp.c_str());
        return Error{cannotOpenMessage(path)};
    }
    ::close(fd.release());
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return Error{cannotOpenMessage(path)};
    }
    syncFolderOf(path);
    return {};
}

Status ensureFolder(const std::filesystem::path& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return {};
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path, ec))
        return Error{"Nelze vytvořit : " + path.string()};
    return {};
}

Status appendFileSynced(const std::filesystem::path& path, const std::vector<std::uint8_t>& data)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!fd.valid())
        return Error{cannotOpenMessage(path)};
    if (!writeAll(fd.get(), data.data(), data.size()) || ::fdatasync(fd.get()) != 0)
        return Error{"Zápis do souboru " + path.string() + " selhal"};
    return {};
}

DiskFileStore& DiskFileStore::instance()
{
    static DiskFileStore store;
    return store;
}

Status writeAtSynced(const std::filesystem::path& path, std::uint64_t offset, const std::vector<std::uint8_t>& data)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid())
        return Error{cannotOpenMessage(path)};
    if (!pwriteAll(fd.get(), data.data(), data.size(), static_cast<off_t>(offset)) || ::fdatasync(fd.get()) != 0)
        return Error{"Zápis do souboru " + path.string() + " selhal"};
    return {};
}

} // namespace kapsorel
