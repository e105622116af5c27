// A plugin that reports slowly and in pieces: its current folder (CP932) as
// the first line, then "288" split across two writes, "b", and a last line
// "c" with no line end; one line on standard error.
#include <string>

#include "plugin_output.h"

int main() {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
    std::string cp932(n * 2 + 1, '\0');
    const int size = WideCharToMultiByte(932, 0, folder, static_cast<int>(n), cp932.data(),
                                         static_cast<int>(cp932.size()), nullptr, nullptr);
    cp932.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    WriteTo(STD_OUTPUT_HANDLE, cp932 + "\r\n");
    WriteTo(STD_OUTPUT_HANDLE, "2");
    Sleep(150);
    WriteTo(STD_OUTPUT_HANDLE, "88\r");
    Sleep(150);
    WriteTo(STD_OUTPUT_HANDLE, "\nb\r\n");
    WriteTo(STD_ERROR_HANDLE, "warn\r\n");
    Sleep(150);
    WriteTo(STD_OUTPUT_HANDLE, "c");
    return 0;
}
