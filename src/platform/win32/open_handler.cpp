// The shell's "open" verb: the user's browser for a URL, Explorer for a folder,
// the registered program for a file.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/open_handler.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

bool OpenWithDefaultHandler(std::string_view target) {
    // A target that is not CP932 would be opened under another name: refused.
    auto wide = win32::TryCp932ToWide(target);
    if (!wide || wide->empty()) return false;
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", wide->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values up to 32 are the shell's error codes.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace drwa::platform
