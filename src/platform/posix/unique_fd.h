// The owner of one POSIX file descriptor: closed when it goes, unless handed
// on. Header-only, so the host program, which links no part of the library,
// can use it too.
#pragma once

#include <unistd.h>

#include <utility>

namespace drwa::platform {

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    // Hands the descriptor on: closing it (and seeing its error) is the
    // caller's business then.
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

}  // namespace drwa::platform
