// The account lock on Windows: LockFileEx on the lock file. The lock belongs
// to the handle and ends with it, or with the process however it ends, so a
// crashed command never leaves the account locked. Self-contained (no other
// file of the library): the host program compiles it alone. The path is CP932
// and reaches the wide API through code page 932, as everywhere else.
#include "platform/account_lock.h"

#include <windows.h>

#include <system_error>
#include <utility>

namespace drwa::platform {
namespace {

[[noreturn]] void Throw(DWORD code, const std::string& what) {
    throw std::system_error(static_cast<int>(code), std::system_category(), what);
}

HANDLE OpenLockFile(const std::string& lock_path) {
    const int length = static_cast<int>(lock_path.size());
    const int n =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, lock_path.data(), length, nullptr, 0);
    if (n <= 0) Throw(ERROR_NO_UNICODE_TRANSLATION, "cannot open " + lock_path);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, lock_path.data(), length, wide.data(), n);
    // Shared for reading and writing: the lock, not the open, is what counts.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Throw(GetLastError(), "cannot open " + lock_path);
    return file;
}

// Locks the whole range of the file; false when another holder has it and
// `wait` is off. Closes the handle before throwing.
bool Lock(HANDLE file, bool wait, const std::string& lock_path) {
    OVERLAPPED at{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (LockFileEx(file, flags, 0, MAXDWORD, MAXDWORD, &at)) return true;
    const DWORD error = GetLastError();
    if (!wait && (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)) return false;
    CloseHandle(file);
    Throw(error, "cannot lock " + lock_path);
}

}  // namespace

std::string AccountLock::LockPathFor(const std::string& account_path) {
    return account_path + ".lock";
}

AccountLock AccountLock::Acquire(const std::string& account_path) {
    const std::string path = LockPathFor(account_path);
    HANDLE file = OpenLockFile(path);
    Lock(file, true, path);
    return AccountLock(file);
}

std::optional<AccountLock> AccountLock::TryAcquire(const std::string& account_path) {
    const std::string path = LockPathFor(account_path);
    HANDLE file = OpenLockFile(path);
    if (!Lock(file, false, path)) {
        CloseHandle(file);
        return std::nullopt;
    }
    return AccountLock(file);
}

AccountLock::AccountLock(AccountLock&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

AccountLock& AccountLock::operator=(AccountLock&& other) noexcept {
    if (this != &other) {
        if (handle_) CloseHandle(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

AccountLock::~AccountLock() {
    if (handle_) CloseHandle(handle_);
}

}  // namespace drwa::platform
