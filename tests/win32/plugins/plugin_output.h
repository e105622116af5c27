// What the test plugins share: writing bytes straight to a standard handle,
// with no buffering of the C runtime between them and the pipe.
#pragma once

#include <windows.h>

#include <string_view>

inline void WriteTo(DWORD which, std::string_view bytes) {
    DWORD done = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}
