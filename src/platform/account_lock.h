// One command at a time per account: the commands that run plugins or move
// mails (receive, send, deliver, import) hold an exclusive lock on a file
// beside the account settings file, so a receive started by cron and a send
// started by hand never work in one group folder at once.
//
// Self-contained on purpose: drwa-host, which never links the core, compiles
// this file on its own.
#pragma once

#include <optional>
#include <string>

namespace drwa::platform {

class AccountLock {
  public:
    // The lock file of an account: its settings file's path + ".lock".
    static std::string LockPathFor(const std::string& account_path);

    // Takes the lock of the account whose settings file is `account_path`
    // (native path; CP932 on Windows), waiting for the holder to let go. Throws
    // std::system_error when the lock file cannot be opened or locked.
    static AccountLock Acquire(const std::string& account_path);

    // Takes the lock if nobody holds it; nothing when another process does.
    // Throws as Acquire for other failures.
    static std::optional<AccountLock> TryAcquire(const std::string& account_path);

    AccountLock(AccountLock&& other) noexcept;
    AccountLock& operator=(AccountLock&& other) noexcept;
    AccountLock(const AccountLock&) = delete;
    AccountLock& operator=(const AccountLock&) = delete;
    // Lets go: the file stays, a lock on it is what counts.
    ~AccountLock();

  private:
#ifdef _WIN32
    explicit AccountLock(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;  // HANDLE of the lock file
#else
    explicit AccountLock(int fd) : fd_(fd) {}
    int fd_ = -1;
#endif
};

}  // namespace drwa::platform
