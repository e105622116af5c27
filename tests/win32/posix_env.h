// setenv and unsetenv for tests shared with the Linux build, on Windows, where
// the C runtime has _putenv_s instead. _putenv_s also changes the process's
// own environment, which is what the system's HTTP stack would read.
#pragma once

#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && getenv(name) != nullptr) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }
