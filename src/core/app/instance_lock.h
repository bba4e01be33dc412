// One running instance per station: a system-wide lock named "Kapsorel_" + the power
// module's address, held until the object is destroyed. On Linux it is a Unix socket
// bound to that name in the abstract namespace: one name for every user and every
// environment on the machine, no file to leave behind or to share permissions on, and
// the system frees it when its holder ends in any way.
#pragma once

#include <string>

namespace kapsorel {

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
