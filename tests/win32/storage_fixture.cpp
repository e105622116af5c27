#include "storage_fixture.h"

#include <filesystem>
#include <stdexcept>

#include "platform/win32/wide_text.h"

namespace drwa::testing {

WideTempFolder::WideTempFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("no temp folder");
    // "表" ends in the byte 0x5C in CP932: every path below crosses one.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wide_ = std::wstring(temp, n) + L"drwa-表-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(wide_.c_str(), nullptr)) {
            path_ = platform::win32::TryWideToCp932(wide_).value();
            return;
        }
    }
    throw std::runtime_error("cannot make a temp folder");
}

WideTempFolder::~WideTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(wide_), ec);
}

std::string WideTempFolder::operator/(std::string_view cp932) const {
    return path_ + "\\" + std::string(cp932);
}

std::wstring WideTempFolder::Wide(std::wstring_view relative) const {
    return wide_ + L"\\" + std::wstring(relative);
}

std::string ReadWide(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(file, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(file);
    return out;
}

void WriteWide(const std::wstring& path, std::string_view bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a test file");
    DWORD n = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(file);
}

DWORD AttributesOf(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

}  // namespace drwa::testing
