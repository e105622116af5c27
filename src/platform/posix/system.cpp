#include "platform/system.h"

#include <dlfcn.h>
#include <uuid/uuid.h>

#include <cctype>
#include <cerrno>
#include <ctime>

#include "platform/charset_edge.h"

namespace drwa::platform {

std::string NewGuid() {
    uuid_t id;
    uuid_generate_random(id);
    char text[37];
    uuid_unparse_upper(id, text);
    return std::string(text, 36);
}

std::uint64_t MonotonicMs() {
    // Not <chrono>: its C++20 unit suffixes hold "µ", which has no CP932 form
    // and breaks every file compiled with CP932 literals that includes it.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
}

void SleepMs(int ms) {
    timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

LocalTime LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec,         tm.tm_wday,    tm.tm_gmtoff};
}

namespace {
const Dl_info& ThisModule() {
    static const Dl_info info = [] {
        Dl_info i{};
        if (dladdr(reinterpret_cast<void*>(&ModuleHandle), &i) == 0) i = Dl_info{};
        return i;
    }();
    return info;
}
}  // namespace

std::uintptr_t ModuleHandle() { return reinterpret_cast<std::uintptr_t>(ThisModule().dli_fbase); }

std::string ModulePath() {
    const char* name = ThisModule().dli_fname;
    if (!name) return {};
    return TryUtf8ToCp932(name).value_or(name);
}

void KeepModuleLoaded() {
    const char* name = ThisModule().dli_fname;
    if (!name) return;
    // One more reference that is never given back, and one that no unload
    // can drop: the module and the libraries it brought stay mapped.
    dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace drwa::platform
