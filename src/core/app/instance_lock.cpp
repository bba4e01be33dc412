#include "core/app/instance_lock.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kapsorel {

namespace {

// sun_path less the leading zero byte that marks the abstract namespace.
constexpr std::size_t kMaxSocketName = sizeof(sockaddr_un::sun_path) - 1;

} // namespace

std::string InstanceLock::nameFor(const std::string& powerModuleAddress)
{
    return "Kapsorel_" + powerModuleAddress;
}

InstanceLock::InstanceLock(std::string name) : name_(std::move(name)) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_); // the name is free again
}

std::string InstanceLock::socketName() const
{
    if (name_.size() <= kMaxSocketName)
        return name_;
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (const char c : name_)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char tail[20];
    std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(h));
    return name_.substr(0, kMaxSocketName - std::strlen(tail)) + tail;
}

bool InstanceLock::acquire()
{
    if (fd_ >= 0)
        return true;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = "Zámek " + name_ + ": " + std::strerror(errno);
        return true;
    }
    const std::string socket = socketName();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    addr.sun_path[0] = '\0';
    std::memcpy(addr.sun_path + 1, socket.data(), socket.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + socket.size());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), length) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EADDRINUSE)
            return false;
        error_ = "Zámek " + name_ + ": " + std::strerror(err);
        return true;
    }
    fd_ = fd;
    error_.clear();
    return true;
}

} // namespace kapsorel
