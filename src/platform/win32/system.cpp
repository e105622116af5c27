// Small system services on Windows: COM's GUIDs, the tick count, the local
// time with the zone's bias, and the module (the plugin DLL) holding this code.
#include "platform/system.h"

#include <windows.h>
// after <windows.h>, which it needs
#include <objbase.h>

#include <cstdio>

#include "platform/win32/wide_text.h"

namespace drwa::platform {

std::string NewGuid() {
    GUID id{};
    if (FAILED(CoCreateGuid(&id))) return {};
    char text[40];
    std::snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0],
                  id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                  id.Data4[7]);
    return std::string(text, 36);
}

std::uint64_t MonotonicMs() {
    return GetTickCount64();
}

void SleepMs(int ms) {
    Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms));
}

LocalTime LocalNow() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    TIME_ZONE_INFORMATION zone{};
    long bias = 0;  // minutes, UTC = local + bias
    switch (GetTimeZoneInformation(&zone)) {
        case TIME_ZONE_ID_DAYLIGHT:
            bias = zone.Bias + zone.DaylightBias;
            break;
        case TIME_ZONE_ID_STANDARD:
            bias = zone.Bias + zone.StandardBias;
            break;
        case TIME_ZONE_ID_UNKNOWN:
            bias = zone.Bias;
            break;
        default:
            break;
    }
    return LocalTime{t.wYear,   t.wMonth,  t.wDay,       t.wHour,
                     t.wMinute, t.wSecond, t.wDayOfWeek, -bias * 60};
}

namespace {

// Any function of ours: its address lies inside the module that holds us.
HMODULE ThisModule(DWORD extra_flags) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | extra_flags,
                            reinterpret_cast<LPCWSTR>(&ModuleHandle), &module))
        return nullptr;
    return module;
}

}  // namespace

// The module's HINSTANCE: the number the host's convention puts into the
// shared-memory name.
std::uintptr_t ModuleHandle() {
    return reinterpret_cast<std::uintptr_t>(
        ThisModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT));
}

std::string ModulePath() {
    HMODULE module = ThisModule(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT);
    if (!module) return {};
    // GetModuleFileNameW cuts a long path short without failing: grow until
    // the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
    // A path CP932 cannot hold names no file the library could open.
    return win32::TryWideToCp932(path).value_or(std::string());
}

void KeepModuleLoaded() {
    // Pinned: no FreeLibrary of the host unloads it before the process ends.
    ThisModule(GET_MODULE_HANDLE_EX_FLAG_PIN);
}

}  // namespace drwa::platform
