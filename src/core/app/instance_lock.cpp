#include "core/app/instance_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace kapsorel {

namespace {

// Long enough for any address; a longer name keeps its start and a hash of the whole.
constexpr std::size_t kMaxFileNameLength = 200;

std::string sanitise(const std::string& name)
{
    std::string out;
    for (unsigned char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    if (out.size() > kMaxFileNameLength) {
        std::uint64_t h = 14695981039346656037ull; // FNV-1a
        for (unsigned char c : name)
            h = (h ^ c) * 1099511628211ull;
        char tail[20];
        std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(h));
        out = out.substr(0, kMaxFileNameLength) + tail;
    }
    return out;
}

} // namespace

std::string InstanceLock::nameFor(const std::string& powerModuleAddress)
{
    return "Kapsorel_" + powerModuleAddress;
}

InstanceLock::InstanceLock(std::string name, std::filesystem::path folder)
    : name_(std::move(name)), folder_(folder.empty() ? defaultFolder() : std::move(folder))
{
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the flock
}

std::filesystem::path InstanceLock::defaultFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, ec))
        return runtime;
    return "/tmp";
}

std::filesystem::path InstanceLock::filePath() const
{
    return folder_ / (sanitise(name_) + ".lock");
}

bool InstanceLock::acquire()
{
    if (fd_ >= 0)
        return true;
    const std::filesystem::path path = filePath();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error_ = "Zámek " + path.string() + ": " + std::strerror(errno);
        return true;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return false;
        error_ = "Zámek " + path.string() + ": " + std::strerror(err);
        return true;
    }
    fd_ = fd;
    error_.clear();
    return true;
}

} // namespace kapsorel
