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

}  // namespace drwa::platform
