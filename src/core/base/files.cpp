#include "core/base/files.h"

#include "core/base/atomic_file.h"
#include "core/base/posix_fd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kapsorel {

namespace {

// Opens the file for reading: only a regular file (a pipe would block, a device never end),
// without blocking on a pipe's open. errno-style code in `err` on a failure.
int openRegular(const std::filesystem::path& path, struct stat& st, int& err)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string readRefusal(const std::filesystem::path& path, int err)
{
    if (err == EINVAL)
        return cannotOpenMessage(path) + " (není to obyčejný soubor)";
    return cannotOpenMessage(path, err);
}

} // namespace

std::string cannotOpenMessage(const std::filesystem::path& path)
{
    return "Soubor " + path.string() + " nelze otevřít";
}

std::string cannotOpenMessage(const std::filesystem::path& path, int err)
{
    return cannotOpenMessage(path) + " (" + fileErrorText(err) + ")";
}

std::string fileErrorText(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return "přístup odepřen";
    case ENOENT:
        return "soubor neexistuje";
    case ENOTDIR:
        return "složka neexistuje";
    case EROFS:
        return "jen pro čtení";
    case EISDIR:
        return "je to složka";
    case EIO:
        return "chyba vstupu/výstupu";
    case ELOOP:
        return "smyčka symbolických odkazů";
    case ENOSPC:
        return "disk je plný";
    case EFBIG:
        return "soubor je příliš velký";
    case EEXIST:
        return "soubor už existuje";
    default:
        return std::strerror(err);
    }
}

bool transientFileError(int err)
{
    switch (err) {
    case EAGAIN:
    case EBUSY:
    case EINTR:
    case ETXTBSY:
    case ENOLCK:
    case EDEADLK:
        return true;
    default:
        return false;
    }
}

int retryingTransient(Clock& clock, const std::function<int()>& attempt)
{
    int err = 0;
    for (int i = 0; i < kOpenAttempts; ++i) {
        err = attempt();
        if (err == 0 || !transientFileError(err))
            return err;
        if (i + 1 < kOpenAttempts)
            clock.sleepMs(kOpenRetryMs);
    }
    return err;
}

Result<std::vector<std::uint8_t>> readFileRetrying(const std::filesystem::path& path, Clock& clock,
                                                   std::uint64_t maxBytes)
{
    struct stat st {};
    Fd fd;
    const int err = retryingTransient(clock, [&] {
        int e = 0;
        fd.reset(openRegular(path, st, e));
        return e;
    });
    if (err != 0)
        return Error{readRefusal(path, err)};
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return Error{cannotOpenMessage(path, EFBIG)};
    // The size at the open is only a hint (the file may grow meanwhile): the read stops at
    // the cap whatever the file does.
    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Error{cannotOpenMessage(path, errno)};
        }
        if (n == 0)
            break;
        if (data.size() + static_cast<std::size_t>(n) > maxBytes)
            return Error{cannotOpenMessage(path, EFBIG)};
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
    fd_ = -1;
    path_ = path;
    size_ = 0;
    struct stat st {};
    const int err = retryingTransient(clock, [&] {
        int e = 0;
        fd_ = openRegular(path, st, e);
        return e;
    });
    if (err != 0)
        return Error{readRefusal(path, err)};
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
    AtomicFileWriter out;
    Status opened;
    retryingTransient(clock, [&] {
        opened = out.open(path);
        return opened ? 0 : out.errorNumber();
    });
    if (!opened)
        return opened;
    if (Status st = out.write(data); !st)
        return st;
    return out.commit();
}

bool sameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    if (!std::filesystem::exists(a, ec) || !std::filesystem::exists(b, ec))
        return false;
    return std::filesystem::equivalent(a, b, ec) && !ec;
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

Status FileStore::copy(const std::filesystem::path& source, const std::filesystem::path& target, Clock& clock,
                       std::span<const std::uint8_t> head, std::uint64_t length)
{
    return copyFileReplacing(source, target, clock, head, length);
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
