// Deleting a folder with its content on Windows through the shell, to the
// recycle bin or for good, without any window of the shell's own.
#include "platform/trash.h"

#include <windows.h>
// after <windows.h>, which it needs
#include <shellapi.h>

#include <string>

#include "common/error.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {
namespace {

[[noreturn]] void ThrowSystemError(DWORD code) {
    throw Error(win32::SystemErrorText(code));
}

void ShellDelete(std::string_view path, FILEOP_FLAGS mode) {
    const std::wstring native = win32::WidePath(path);
    // The shell resolves relative names against its own idea of the current
    // folder, and only a full path can go to the recycle bin.
    const DWORD n = GetFullPathNameW(native.c_str(), 0, nullptr, nullptr);
    if (n == 0) ThrowSystemError(GetLastError());
    std::wstring full(n, L'\0');
    const DWORD used = GetFullPathNameW(native.c_str(), n, full.data(), nullptr);
    if (used == 0 || used >= n) ThrowSystemError(GetLastError());
    full.resize(used);
    // A missing path is an error of its own, whatever the shell makes of it.
    if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES)
        ThrowSystemError(GetLastError());
    // The list of names ends with two NULs.
    full.push_back(L'\0');
    full.push_back(L'\0');

    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = full.c_str();
    op.fFlags = mode | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationW(&op);
    if (result != 0) ThrowSystemError(static_cast<DWORD>(result));
    if (op.fAnyOperationsAborted) ThrowSystemError(ERROR_CANCELLED);
    // A question the shell could not ask (no display) leaves the item where
    // it was with a result of success: what is still there was not deleted.
    full.resize(used);
    if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES)
        ThrowSystemError(ERROR_CANCELLED);
}

}  // namespace

void MoveToTrash(std::string_view path) {
    // Where the recycle bin cannot take an item (a network drive, an item too
    // large) the shell would remove it for good without a word; the nuke
    // warning makes it ask first, so an undoable deletion never loses data
    // behind the user's back.
    ShellDelete(path, FOF_ALLOWUNDO | FOF_WANTNUKEWARNING);
}

void DeleteForGood(std::string_view path) {
    ShellDelete(path, 0);
}

}  // namespace drwa::platform
