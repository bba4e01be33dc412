// A POSIX file descriptor owned by a scope, and whole writes through it: the pieces the
// file helpers of this layer share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace kapsorel {

// Closes the descriptor when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset(int fd = -1);
    // Closes it now; false (errno set) when the close reported an error.
    bool close();

  private:
    int fd_;
};

// Writes all bytes (at the file position, or at `offset`), going on after interruptions.
// False with errno set on a failure.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size);
bool pwriteAll(int fd, const std::uint8_t* data, std::size_t size, off_t offset);

} // namespace kapsorel
