#include "platform/account_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace drwa::platform {
namespace {

int OpenLockFile(const std::string& lock_path) {
    const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot open " + lock_path);
    return fd;
}

// flock: the lock ends with the process however it ends, so a crashed command
// never leaves the account locked.
bool Lock(int fd, bool wait, const std::string& lock_path) {
    for (;;) {
        if (::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0) return true;
        const int err = errno;
        if (err == EINTR) continue;
        if (err == EWOULDBLOCK && !wait) return false;
        ::close(fd);
        throw std::system_error(err, std::generic_category(), "cannot lock " + lock_path);
    }
}

}  // namespace

std::string AccountLock::LockPathFor(const std::string& account_path) {
    return account_path + ".lock";
}

AccountLock AccountLock::Acquire(const std::string& account_path) {
    const std::string path = LockPathFor(account_path);
    const int fd = OpenLockFile(path);
    Lock(fd, true, path);
    return AccountLock(fd);
}

std::optional<AccountLock> AccountLock::TryAcquire(const std::string& account_path) {
    const std::string path = LockPathFor(account_path);
    const int fd = OpenLockFile(path);
    if (!Lock(fd, false, path)) {
        ::close(fd);
        return std::nullopt;
    }
    return AccountLock(fd);
}

AccountLock::AccountLock(AccountLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

AccountLock& AccountLock::operator=(AccountLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

AccountLock::~AccountLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace drwa::platform
