#include "core/base/posix_fd.h"

#include <cerrno>
#include <unistd.h>

namespace kapsorel {

void Fd::reset(int fd)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool Fd::close()
{
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

namespace {

// Calls `once(data, size, done)` (a write of what is left, returning its count or -1 with
// errno) until every byte is written; interruptions are tried again.
template <class Once> bool writeWhole(const std::uint8_t* data, std::size_t size, Once once)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = once(data + done, size - done, done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    return writeWhole(data, size,
                      [fd](const std::uint8_t* p, std::size_t n, std::size_t) { return ::write(fd, p, n); });
}

bool pwriteAll(int fd, const std::uint8_t* data, std::size_t size, off_t offset)
{
    return writeWhole(data, size, [fd, offset](const std::uint8_t* p, std::size_t n, std::size_t done) {
        return ::pwrite(fd, p, n, offset + static_cast<off_t>(done));
    });
}

} // namespace kapsorel
