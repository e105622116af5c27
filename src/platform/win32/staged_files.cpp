// Files written in steps, on Windows: hidden files beside the target renamed
// with MoveFileExW, appends through a handle kept open. Paths go to the wide
// API through code page 932.
#include "platform/staged_files.h"

#include <windows.h>
// <windows.h> names DeleteFile as a macro for DeleteFileW.
#undef DeleteFile

#include <algorithm>
#include <cstdio>
#include <random>

#include "common/error.h"
#include "platform/files.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {
namespace {

// A fresh hidden name beside `target` (native).
std::wstring HiddenSibling(const std::wstring& target) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::size_t at = target.size();
    while (at > 0 && target[at - 1] != L'\\' && target[at - 1] != L'/') --at;
    wchar_t suffix[24];
    std::swprintf(suffix, sizeof suffix / sizeof *suffix, L".%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFULL));
    return target.substr(0, at) + L"." + target.substr(at) + suffix;
}

bool SeekTo(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

ReplacingFile::ReplacingFile(std::string_view path) : path_(path), target_(win32::WidePath(path)) {}

ReplacingFile::~ReplacingFile() {
    Abandon();
}

void ReplacingFile::Abandon() noexcept {
    if (file_) {
        CloseHandle(file_);
        ::DeleteFileW(temp_.c_str());
    }
    file_ = nullptr;
}

bool ReplacingFile::Append(std::string_view bytes) {
    if (failed_) return false;
    if (bytes.empty()) return true;
    if (!file_) {
        temp_ = HiddenSibling(target_);
        HANDLE file = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) file_ = file;
    }
    if (!file_ || !win32::WriteAllTo(file_, bytes)) {
        failed_ = true;
        Abandon();
        return false;
    }
    return true;
}

void ReplacingFile::Commit() {
    if (!file_) return;
    bool done = FlushFileBuffers(file_) != 0;
    DWORD error = GetLastError();
    CloseHandle(file_);
    file_ = nullptr;
    if (done) {
        // The file keeps what its user gave the one it replaces, but not the
        // temporary file's hidden attribute.
        DWORD attributes = GetFileAttributesW(target_.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_NORMAL;
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            // Refused as Windows itself does (Wine's file system would not).
            done = false;
            error = ERROR_ACCESS_DENIED;
        } else {
            done = SetFileAttributesW(temp_.c_str(), attributes) &&
                   MoveFileExW(temp_.c_str(), target_.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            if (!done) error = GetLastError();
        }
    }
    if (!done) {
        ::DeleteFileW(temp_.c_str());
        win32::FailOnPath(path_, error);
    }
}

AppendOnlyFile::AppendOnlyFile(std::string_view path)
    : path_(path), native_(win32::WidePath(path)) {
    win32::UniqueHandle file(CreateFileW(native_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) win32::FailOnPath(path_, GetLastError());
    std::string all;
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), buf, sizeof buf, &n, nullptr))
            win32::FailOnPath(path_, GetLastError());
        if (n == 0) break;
        all.append(buf, n);
    }
    const std::size_t end = all.rfind("\r\n");
    all.resize(end == std::string::npos ? 0 : end + 2);
    // Cutting a file short needs no space, even on a full disk.
    if (!SeekTo(file.get(), all.size()) || !SetEndOfFile(file.get()))
        win32::FailOnPath(path_, GetLastError());
    size_ = all.size();
    earlier_ = std::move(all);
    file_ = file.release();
}

AppendOnlyFile::~AppendOnlyFile() {
    if (file_) CloseHandle(file_);
}

void AppendOnlyFile::Append(std::string_view bytes) {
    if (SeekTo(file_, size_) && win32::WriteAllTo(file_, bytes)) {
        size_ += bytes.size();
        return;
    }
    const DWORD error = GetLastError();
    // Half a line would join the next one: the file goes back to where it was
    // (if even that fails, the next open drops the cut line).
    if (SeekTo(file_, size_)) SetEndOfFile(file_);
    win32::FailOnPath(path_, error);
}

bool AppendOnlyFile::Remove() {
    if (file_) CloseHandle(file_);
    file_ = nullptr;
    return ::DeleteFileW(native_.c_str()) != 0;
}

OpenFolder::OpenFolder(std::string_view folder) : folder_(JoinPath(folder, "")) {
    const DWORD attributes = GetFileAttributesW(win32::WidePath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) win32::FailOnPath(folder, GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) win32::FailOnPath(folder, ERROR_DIRECTORY);
}

OpenFolder::~OpenFolder() = default;

void OpenFolder::Fail(std::string_view name, int err) const {
    platform::win32::FailOnPath(folder_ + std::string(name), static_cast<DWORD>(err));
}

bool OpenFolder::Exists(std::string_view name) const {
    return FileExists(folder_ + std::string(name));
}

bool OpenFolder::Delete(std::string_view name) const {
    return ::DeleteFileW(win32::WidePath(folder_ + std::string(name)).c_str()) != 0;
}

void OpenFolder::WriteStaging(std::string_view name, std::string_view bytes) const {
    const std::wstring native = win32::WidePath(folder_ + std::string(name));
    win32::UniqueHandle file(CreateFileW(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(name, static_cast<int>(GetLastError()));
    if (!win32::WriteAllTo(file.get(), bytes)) {
        const DWORD error = GetLastError();
        file.reset();
        ::DeleteFileW(native.c_str());
        Fail(name, static_cast<int>(error));
    }
}

bool OpenFolder::RenameNoReplace(std::string_view from, std::string_view to) const {
    const std::wstring source = win32::WidePath(folder_ + std::string(from));
    const std::wstring target = win32::WidePath(folder_ + std::string(to));
    // Without MOVEFILE_REPLACE_EXISTING the move refuses an existing name.
    if (MoveFileExW(source.c_str(), target.c_str(), 0)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    Fail(to, static_cast<int>(error));
}

}  // namespace drwa::platform
