#include "core/app/instance_lock.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace kapsorel {

namespace {

// sun_path less the leading zero byte that marks the abstract namespace.
constexpr std::size_t kMaxSocketName = sizeof(sockaddr_un::sun_path) - 1;
// Connections a holder keeps waiting (never accepted): enough for a few asking who holds it.
constexpr int kAskBacklog = 4;

socklen_t addressOf(const std::string& socket, sockaddr_un& addr)
{
    addr = sockaddr_un{};
    addr.sun_family = AF_UNIX;
    addr.sun_path[0] = '\0';
    std::memcpy(addr.sun_path + 1, socket.data(), socket.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + socket.size());
}

std::string userName(uid_t uid)
{
    struct passwd pw {};
    struct passwd* found = nullptr;
    std::vector<char> buf(16384);
    if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return std::to_string(uid);
}

} // namespace

std::string heldByAnotherUserMessage(const std::string& lockName, const LockHolder& holder)
{
    return "Stanici " + lockName + " už používá uživatel " + holder.user + " (proces " + std::to_string(holder.pid) +
           ")";
}

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
    sockaddr_un addr{};
    const socklen_t length = addressOf(socketName(), addr);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), length) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EADDRINUSE)
            return false;
        error_ = "Zámek " + name_ + ": " + std::strerror(err);
        return true;
    }
    // Listening (and never accepting here) lets a refused instance ask the system who holds
    // it, and the window's server take a second instance's request to come to the front.
    ::listen(fd, kAskBacklog);
    fd_ = fd;
    error_.clear();
    return true;
}

std::optional<LockHolder> InstanceLock::holder() const
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return std::nullopt;
    sockaddr_un addr{};
    const socklen_t length = addressOf(socketName(), addr);
    std::optional<LockHolder> found;
    ucred cred{};
    socklen_t credLength = sizeof cred;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), length) == 0 &&
        ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &credLength) == 0 && cred.pid > 0)
        found = LockHolder{cred.pid, cred.uid, userName(cred.uid)};
    ::close(fd);
    return found;
}

} // namespace kapsorel
