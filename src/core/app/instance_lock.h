// One running instance per station: a system-wide lock named "Kapsorel_" + the power
// module's address, held until the object is destroyed. On Linux it is an advisory
// flock on a file named after the lock in the user's runtime folder.
#pragma once

#include <filesystem>
#include <string>

namespace kapsorel {

class InstanceLock {
  public:
    // The lock of the station whose power module has this address.
    static std::string nameFor(const std::string& powerModuleAddress);

    // `folder` empty: $XDG_RUNTIME_DIR when it is a folder, else /tmp.
    explicit InstanceLock(std::string name, std::filesystem::path folder = {});
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process holds the lock (now or already); false when another
    // holder has it. When the lock cannot be set up at all (no writable folder), the
    // instance is let run: acquire() is true, held() false and error() says why.
    bool acquire();
    bool held() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    const std::string& name() const { return name_; }

    // The lock file: the name with every byte outside [A-Za-z0-9._-] written as %XX.
    std::filesystem::path filePath() const;
    static std::filesystem::path defaultFolder();

  private:
    std::string name_;
    std::filesystem::path folder_;
    std::string error_;
    int fd_ = -1;
};

} // namespace kapsorel
