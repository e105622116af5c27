// A plugin that says nothing and takes its time (the milliseconds given as its
// argument, 30 s without one).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    Sleep(argc > 1 ? static_cast<DWORD>(std::atol(argv[1])) : 30000);
    return 0;
}
