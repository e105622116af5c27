// A host that loads the console test library and ends while the library's
// console thread still runs: with "free" it unloads the library first, else
// the process's end does. Either way the process must end at once.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
    HMODULE library = LoadLibraryW(L"process_console_library.dll");
    if (!library) return 2;
    Sleep(300);
    if (argc > 1 && std::strcmp(argv[1], "free") == 0 && !FreeLibrary(library)) return 3;
    return 0;
}
