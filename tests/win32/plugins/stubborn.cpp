// A plugin that ignores the console break and starts a child of itself that
// runs as long: "child <id>" on standard output tells its child's process id.
// Only a kill of everything the plugin started ends both.
#include <string>

#include "plugin_output.h"

namespace {

BOOL WINAPI IgnoreBreak(DWORD) {
    return TRUE;
}

}  // namespace

int main(int argc, char**) {
    SetConsoleCtrlHandler(IgnoreBreak, TRUE);
    if (argc > 1) {  // the child
        Sleep(60000);
        return 0;
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" child";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 2;
    WriteTo(STD_OUTPUT_HANDLE, "child " + std::to_string(pi.dwProcessId) + "\r\n");
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Sleep(60000);
    return 0;
}
