// The owner of one Windows kernel handle: closed when it goes, unless handed
// on. Both "no handle" values of the API (null and INVALID_HANDLE_VALUE) count
// as empty.
#pragma once

#include <windows.h>

#include <utility>

namespace drwa::platform::win32 {

class UniqueHandle {
  public:
    explicit UniqueHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    // Closing keeps the thread's last error: callers report the failure that
    // made them give the handle up, not the close.
    void reset(HANDLE handle = nullptr) {
        if (*this) {
            const DWORD error = GetLastError();
            CloseHandle(handle_);
            SetLastError(error);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_;
};

}  // namespace drwa::platform::win32
