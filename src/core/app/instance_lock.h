// One running instance per station: a system-wide lock named "Kapsorel_" + the power
// module's address, held until the object is destroyed. On Linux it is a Unix socket
// bound to that name in the abstract namespace: one name for every user and every
// environment on the machine, no file to leave behind or to share permissions on, and
// the system frees it when its holder ends in any way. The holder also listens on the
// socket: a second instance connects to it to ask the running window to come to the front.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace kapsorel {

// Who holds a lock: the holding process and its user.
struct LockHolder {
    pid_t pid = 0;
    uid_t uid = 0;
    std::string user; // the account's name, or its number when it has none
};

// "Stanici <name> už používá uživatel <user> (proces <pid>)": what a station blocked by
// another user's instance shows before it ends.
std::string heldByAnotherUserMessage(const std::string& lockName, const LockHolder& holder);

class InstanceLock {
  public:
    // The lock of the station whose power module has this address.
    static std::string nameFor(const std::string& powerModuleAddress);

    explicit InstanceLock(std::string name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process holds the lock (now or already); false when another
    // holder has it. When the lock cannot be set up at all, the instance is let run:
    // acquire() is true, held() false and error() says why.
    bool acquire();
    bool held() const { return fd_ >= 0; }
    // After acquire() was refused: the holder as the system tells it (its process and user
    // at the time it took the lock), when it can be asked.
    std::optional<LockHolder> holder() const;
    // The listening socket while held (-1 otherwise); it stays the lock's own.
    int descriptor() const { return fd_; }
    const std::string& error() const { return error_; }
    const std::string& name() const { return name_; }

    // The socket's name in the abstract namespace (without the leading zero byte): the
    // lock's name, or for a name too long for a socket address its start and a hash of
    // the whole.
    std::string socketName() const;

  private:
    std::string name_;
    std::string error_;
    int fd_ = -1;
};

} // namespace kapsorel
