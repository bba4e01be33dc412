#include "core/base/atomic_file.h"

#include "core/base/files.h"
#include "core/base/posix_fd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kapsorel {

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kNameAttempts = 100;
constexpr std::size_t kMaxStemBytes = 200; // leaves room for the marks of a temporary in a 255-byte name
constexpr std::size_t kCopyPieceBytes = std::size_t{1} << 20;

// The file a path names once its symbolic links are followed (a missing last part is
// returned as named: the file is yet to be created there). errno-style code on a failure.
int linkTarget(const std::filesystem::path& path, std::filesystem::path& out)
{
    std::filesystem::path p = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            out = p;
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            out = p;
            return 0;
        }
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n < 0)
            return errno;
        if (static_cast<std::size_t>(n) >= buf.size())
            return ENAMETOOLONG;
        const std::filesystem::path link(std::string(buf.data(), static_cast<std::size_t>(n)));
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
    return ELOOP;
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

void syncFolder(const std::filesystem::path& folder)
{
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

// ".<name>.<six random characters>" beside the target: hidden, and never matching the
// patterns that readers list (*.tst, *.csv, *.ses).
std::filesystem::path temporaryName(const std::filesystem::path& target)
{
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name = "." + target.filename().string().substr(0, kMaxStemBytes) + ".";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    for (int i = 0; i < 6; ++i)
        name.push_back(kChars[pick(random)]);
    return folderOf(target) / name;
}

std::string writeFailedMessage(const std::filesystem::path& path, int err)
{
    return "Zápis do souboru " + path.string() + " selhal (" + fileErrorText(err) + ")";
}

} // namespace

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

Status AtomicFileWriter::failed(int err, const std::string& message)
{
    error_ = err;
    return Error{message};
}

Status AtomicFileWriter::open(const std::filesystem::path& target, bool followLinks)
{
    discard();
    shown_ = target;
    target_ = target;
    error_ = 0;
    if (int err = followLinks ? linkTarget(target, target_) : 0; err != 0)
        return failed(err, cannotOpenMessage(shown_, err));
    struct stat old {};
    const bool exists = followLinks && ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return failed(EISDIR, cannotOpenMessage(shown_, EISDIR));
    if (exists && !S_ISREG(old.st_mode))
        return failed(EINVAL, cannotOpenMessage(shown_) + " (není to obyčejný soubor)");
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path name = temporaryName(target_);
        // 0666 less the umask, as any new file; the old file's mode replaces it below.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return failed(errno, cannotOpenMessage(shown_, errno));
        }
        fd_ = fd;
        temporary_ = name;
        if (exists && ::fchmod(fd_, old.st_mode & 07777) != 0) {
            const int err = errno;
            discard();
            return failed(err, cannotOpenMessage(shown_, err));
        }
        return {};
    }
    return failed(EEXIST, cannotOpenMessage(shown_, EEXIST));
}

Status AtomicFileWriter::write(std::span<const std::uint8_t> bytes)
{
    if (fd_ < 0)
        return failed(EBADF, writeFailedMessage(shown_, EBADF));
    if (!writeAll(fd_, bytes.data(), bytes.size())) {
        const int err = errno;
        discard();
        return failed(err, writeFailedMessage(shown_, err));
    }
    return {};
}

Status AtomicFileWriter::write(std::string_view text)
{
    return write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Status AtomicFileWriter::sync()
{
    if (fd_ < 0)
        return failed(EBADF, writeFailedMessage(shown_, EBADF));
    if (::fsync(fd_) != 0) {
        const int err = errno;
        discard();
        return failed(err, writeFailedMessage(shown_, err));
    }
    return {};
}

Status AtomicFileWriter::commit()
{
    if (Status st = sync(); !st)
        return st;
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        discard();
        return failed(err, writeFailedMessage(shown_, err));
    }
    return placed(target_);
}

Status AtomicFileWriter::placed(const std::filesystem::path& target)
{
    target_ = target;
    temporary_.clear();
    ::close(fd_);
    fd_ = -1;
    syncFolder(folderOf(target_));
    return {};
}

Status AtomicFileWriter::commitNew()
{
    return commitNewAs(target_);
}

Status AtomicFileWriter::commitNewAs(const std::filesystem::path& target)
{
    if (Status st = sync(); !st)
        return st;
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        int err = errno;
        // A file system without RENAME_NOREPLACE: a hard link is refused just the same
        // when the name is taken.
        if (err == EINVAL || err == ENOSYS) {
            err = ::link(temporary_.c_str(), target.c_str()) == 0 ? 0 : errno;
            if (err == 0)
                ::unlink(temporary_.c_str());
        }
        if (err == EEXIST) {
            error_ = EEXIST;
            return Error{writeFailedMessage(target, EEXIST)};
        }
        if (err != 0) {
            discard();
            return failed(err, writeFailedMessage(target, err));
        }
    }
    return placed(target);
}

void AtomicFileWriter::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

Status replaceFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes)
{
    AtomicFileWriter out;
    if (Status st = out.open(target); !st)
        return st;
    if (Status st = out.write(bytes); !st)
        return st;
    return out.commit();
}

Result<std::filesystem::path> createUnderFreeName(const std::function<std::filesystem::path(int)>& nameAt,
                                                  std::span<const std::uint8_t> bytes, int maxNames)
{
    AtomicFileWriter out;
    const std::filesystem::path first = nameAt(0);
    if (Status st = out.open(first, false); !st)
        return Error{st.error()};
    if (Status st = out.write(bytes); !st)
        return Error{st.error()};
    for (int k = 0; k < maxNames; ++k) {
        const std::filesystem::path name = k == 0 ? first : nameAt(k);
        if (Status st = out.commitNewAs(name); st)
            return name;
        else if (out.errorNumber() != EEXIST)
            return Error{st.error()};
    }
    return Error{writeFailedMessage(first, EEXIST)};
}

Status copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target, Clock& clock,
                         std::span<const std::uint8_t> head, std::uint64_t length)
{
    FileReader in;
    if (Status st = in.open(source, clock); !st)
        return st;
    AtomicFileWriter out;
    if (retryingTransient(clock, [&] { return out.open(target).ok() ? 0 : out.errorNumber(); }) != 0)
        return Error{cannotOpenMessage(target, out.errorNumber())};
    if (Status st = out.write(head); !st)
        return st;
    std::vector<std::uint8_t> piece;
    for (std::uint64_t offset = head.size(); offset < length; offset += piece.size()) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPieceBytes, length - offset));
        if (Status st = in.readAt(offset, count, piece); !st)
            return st;
        if (piece.empty())
            break;
        if (Status st = out.write(piece); !st)
            return st;
    }
    return out.commit();
}

} // namespace kapsorel
