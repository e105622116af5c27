// Renaming a folder on Windows: MoveFileExW without the replace flag refuses
// any existing target, an empty folder included.
#include "platform/folder_move.h"

#include <windows.h>

#include <string>

#include "common/error.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

void MoveFolder(std::string_view from, std::string_view to) {
    const std::wstring source = win32::WidePath(from);
    const std::wstring target = win32::WidePath(to);
    if (!MoveFileExW(source.c_str(), target.c_str(), 0))
        throw Error(std::string(from) + ": " + win32::SystemErrorText(GetLastError()));
}

}  // namespace drwa::platform
