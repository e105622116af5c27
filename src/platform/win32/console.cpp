// The library's own console: plugins started without a console of their own
// share it, which is how the console break reaches them. It is allocated only
// when the process has none, and only that one is ever hidden or freed.
#include <windows.h>

#include "platform/console.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

ProcessConsole::ProcessConsole(std::string_view title) {
    if (::GetConsoleWindow() || !::AllocConsole()) return;  // the user's console, or none at all
    allocated_ = true;
    // Without a desktop (Wine without a display) the console has no window.
    window_ = ::GetConsoleWindow() != nullptr;
    if (auto wide = win32::TryCp932ToWide(title)) ::SetConsoleTitleW(wide->c_str());
}

ProcessConsole::~ProcessConsole() {
    if (allocated_) ::FreeConsole();
}

bool ProcessConsole::Hide() {
    if (!allocated_) return true;
    // A console without a window (no desktop, as under Wine without a
    // display) never gets one: there is nothing to keep hidden.
    HWND window = ::GetConsoleWindow();
    if (!window) return true;
    // ShowWindow answers whether the window was visible before.
    return !::ShowWindow(window, SW_HIDE);
}

namespace {
const char kInThisModule = 0;  // its address names the module holding this code
}  // namespace

ThreadModuleHold::ThreadModuleHold() {
    const auto here = reinterpret_cast<LPCWSTR>(&kInThisModule);
    HMODULE self = nullptr;
    // A program's code stays as long as its process: only a DLL is held.
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            here, &self) ||
        self == ::GetModuleHandleW(nullptr))
        return;
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, here, &self)) module_ = self;
}

void ThreadModuleHold::EndThread() {
    // Never returns: the last reference may unload the library on this very
    // thread, whose code must not be returned to afterwards.
    if (module_) ::FreeLibraryAndExitThread(static_cast<HMODULE>(module_), 0);
}

}  // namespace drwa::platform
