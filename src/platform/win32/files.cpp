// Files and folders on Windows: every CP932 path becomes UTF-16 through code
// page 932 and goes to the wide API, whatever the system's ANSI code page is;
// names read back from the system become CP932 again or are refused.
#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "common/error.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "text/sjis_bytes.h"

// <windows.h> names DeleteFile as a macro for DeleteFileW.
#undef DeleteFile

namespace drwa::platform {
namespace fs = std::filesystem;
using win32::UniqueHandle;
using win32::WidePath;

namespace {

bool IsWideDelimiter(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// A fresh hidden name beside `target`: the same folder, so that the final
// rename never crosses volumes.
std::wstring HiddenSibling(const std::wstring& target) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    std::size_t at = target.size();
    while (at > 0 && !IsWideDelimiter(target[at - 1])) --at;
    wchar_t suffix[24];
    std::swprintf(suffix, sizeof suffix / sizeof *suffix, L".%016llx.tmp",
                  static_cast<unsigned long long>(rng()));
    return target.substr(0, at) + L"." + target.substr(at) + suffix;
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

// Writes `bytes` into a new hidden file beside `target` and returns its name;
// the file is gone again when anything fails.
std::wstring WriteHiddenSibling(std::string_view path, const std::wstring& target,
                                std::string_view bytes, bool flush) {
    const std::wstring temp = HiddenSibling(target);
    UniqueHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file) win32::FailOnPath(path, GetLastError());
    bool done = win32::WriteAllTo(file.get(), bytes) && (!flush || FlushFileBuffers(file.get()));
    DWORD error = GetLastError();
    file.reset();
    if (!done) {
        DeleteFileW(temp.c_str());
        win32::FailOnPath(path, error);
    }
    return temp;
}

// The hidden attribute was the temporary file's, not the file's: it goes
// before the name does, or the new file would stay hidden from its readers.
void Unhide(std::string_view path, const std::wstring& temp, DWORD attributes) {
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileAttributesW(temp.c_str(), attributes)) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        win32::FailOnPath(path, error);
    }
}

std::string NameToCp932(const std::wstring& name) {
    if (auto s = win32::TryWideToCp932(name)) return *std::move(s);
    throw Error("ファイル名を Shift_JIS で表せません: " + win32::ShowableName(name));
}

// 100 ns units since 1601 -> ns since 1970.
std::int64_t UnixNs(FILETIME t) {
    const std::int64_t ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

std::optional<std::string> ReadWhole(const std::wstring& native) {
    UniqueHandle file(CreateFileW(native.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    std::string out;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size)) out.reserve(static_cast<std::size_t>(size.QuadPart));
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.get(), buf, sizeof buf, &n, nullptr)) return std::nullopt;
        if (n == 0) break;
        out.append(buf, n);
    }
    return out;
}

}  // namespace

bool IsRootFolder(std::string_view folder) {
    // "X:\" (or "X:/").
    if (folder.size() == 3 && folder[1] == ':' && IsPathDelimiter(folder[2])) {
        const char d = folder[0];
        return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
    }
    // "\\server\share\": two names after the leading pair, the last one closed
    // by a delimiter. CP932 trail bytes may be 0x5C, so the scan steps by
    // characters.
    if (folder.size() < 2 || !IsPathDelimiter(folder[0]) || !IsPathDelimiter(folder[1]))
        return false;
    int names = 0;
    std::size_t name_length = 0;
    for (std::size_t i = 2; i < folder.size(); i += text::SjisCharLength(folder, i)) {
        if (IsPathDelimiter(folder[i])) {
            if (name_length == 0) return false;
            ++names;
            name_length = 0;
        } else {
            ++name_length;
        }
    }
    return names == 2 && name_length == 0;
}

fs::path NativePath(std::string_view path) {
    return fs::path(WidePath(path));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    // The last byte of "表" is 0x5C: only a delimiter of its own counts.
    std::size_t last = std::string::npos;
    for (std::size_t i = 0; i < out.size(); i += text::SjisCharLength(out, i)) last = i;
    if (!out.empty() && !(last == out.size() - 1 && IsPathDelimiter(out.back())))
        out += kPathDelimiter;
    out += name;
    return out;
}

std::string AbsolutePath(std::string_view path) {
    const std::wstring native = WidePath(path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(native.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return std::string(path);
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    return win32::TryWideToCp932(full).value_or(std::string(path));
}

bool FileExists(std::string_view path) {
    const DWORD a = Attributes(WidePath(path));
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(std::string_view path) {
    const DWORD a = Attributes(WidePath(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadFile(std::string_view path) {
    return ReadWhole(WidePath(path));
}

void WriteFileAtomic(std::string_view path, std::string_view bytes) {
    const std::wstring target = WidePath(path);
    const DWORD old = Attributes(target);
    // Windows refuses to replace a read-only file, but not every file system
    // behind its API does (Wine's): the attribute is honoured here for all.
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
        win32::FailOnPath(path, ERROR_ACCESS_DENIED);
    const std::wstring temp = WriteHiddenSibling(path, target, bytes, true);
    // The file keeps what its user gave the one it replaces (hidden, archive).
    Unhide(path, temp, old == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_NORMAL : old);
    if (!MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        win32::FailOnPath(path, error);
    }
}

bool WriteNewFile(std::string_view path, std::string_view bytes) {
    const std::wstring target = WidePath(path);
    const std::wstring temp = WriteHiddenSibling(path, target, bytes, false);
    Unhide(path, temp, FILE_ATTRIBUTE_NORMAL);
    // Without MOVEFILE_REPLACE_EXISTING the move refuses an existing name.
    if (MoveFileExW(temp.c_str(), target.c_str(), 0)) return true;
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    win32::FailOnPath(path, error);
}

bool IsReadOnlyFile(std::string_view path) {
    const DWORD a = Attributes(WidePath(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

bool DeleteFile(std::string_view path) {
    return DeleteFileW(WidePath(path).c_str()) != 0;
}

bool RemoveEmptyFolder(std::string_view path) {
    return RemoveDirectoryW(WidePath(path).c_str()) != 0;
}

void RenameFile(std::string_view from, std::string_view to) {
    if (!MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING))
        win32::FailOnPath(from, GetLastError());
}

namespace {

// Creates `path` after its missing parents; the error code of the first
// folder that could not be made, 0 when all is there.
DWORD MakeFolders(std::wstring path) {
    while (path.size() > 1 && IsWideDelimiter(path.back())) path.pop_back();
    if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        // A drive root answers "access denied" to being made.
        const DWORD a = Attributes(path);
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return 0;
        return error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error;
    }
    if (error != ERROR_PATH_NOT_FOUND) return error;
    std::size_t at = path.size();
    while (at > 0 && !IsWideDelimiter(path[at - 1])) --at;
    if (at == 0) return error;
    if (DWORD parent = MakeFolders(path.substr(0, at))) return parent;
    if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
    error = GetLastError();
    const DWORD a = Attributes(path);
    if (error == ERROR_ALREADY_EXISTS && a != INVALID_FILE_ATTRIBUTES &&
        (a & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return error;
}

}  // namespace

void CreateFolders(std::string_view path) {
    if (DWORD error = MakeFolders(WidePath(path))) win32::FailOnPath(path, error);
}

std::vector<FolderEntry> ListFolder(std::string_view folder, NameFilter match) {
    std::vector<FolderEntry> out;
    std::wstring pattern = WidePath(folder);
    if (!pattern.empty() && !IsWideDelimiter(pattern.back())) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE raw = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                  nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (raw == INVALID_HANDLE_VALUE) return out;  // missing or unreadable: empty
    struct FindGuard {
        HANDLE handle;
        ~FindGuard() { FindClose(handle); }
    } guard{raw};
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        // Filters see the UTF-8 form, as on Linux; a name UTF-8 cannot hold
        // (a lone surrogate) is only ever matched by a filter that takes all.
        if (match) {
            auto utf8 = win32::TryWideToUtf8(name);
            if (!utf8 || !match(*utf8)) continue;
        }
        out.push_back(
            {NameToCp932(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(raw, &found));
    return out;
}

std::optional<FileStamp> StampOf(std::string_view path) {
    // Backup semantics: the only way to open a folder for its identity.
    UniqueHandle file(CreateFileW(WidePath(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return FileStamp{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow),
        UnixNs(info.ftLastWriteTime)};
}

std::string LastSystemErrorText() {
    return win32::SystemErrorText(GetLastError());
}

LineLog::LineLog(std::string_view path) {
    auto native = win32::TryCp932ToWide(path);
    if (!native) return;
    // Truncated first; then opened for appending only, so each line lands at
    // the end even when somebody else appends too.
    UniqueHandle truncate(CreateFileW(native->c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!truncate) return;
    truncate.reset();
    HANDLE file = CreateFileW(native->c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) handle_ = file;
}

LineLog::~LineLog() {
    if (handle_) CloseHandle(handle_);
}

void LineLog::Write(std::string_view line) {
    if (!handle_) return;
    std::string l(line);
    l += "\r\n";
    if (win32::WriteAllTo(handle_, l)) FlushFileBuffers(handle_);
}

}  // namespace drwa::platform
