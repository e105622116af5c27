// Small system services: identities, time and the library's own module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace drwa::platform {

// A new random GUID as 36 upper-case characters in groups 8-4-4-4-12, without
// braces; empty when none can be made.
std::string NewGuid();

// Milliseconds of a monotonic clock (unaffected by changes of the wall clock).
std::uint64_t MonotonicMs();

// Sleeps the calling thread.
void SleepMs(int ms);

// The local wall-clock time, with the offset of the local zone from UTC.
struct LocalTime {
    int year = 0, month = 0, day = 0;  // month 1..12
    int hour = 0, minute = 0, second = 0;
    int weekday = 0;                   // 0 = Sunday
    long utc_offset_seconds = 0;       // east of UTC is positive
};
LocalTime LocalNow();

// The local wall-clock time at a moment given in seconds since 1970-01-01 UTC;
// nothing when it falls outside the years 1 to 9999.
std::optional<LocalTime> LocalTimeAt(std::int64_t unix_seconds);

// The offset from UTC (seconds, east positive) that the local zone's rules
// give a wall-clock time, summer time included; nothing when the system
// cannot tell.
std::optional<long> UtcOffsetAtLocal(int year, int month, int day, int hour, int minute);

// The handle of the module that holds this code: its load address.
std::uintptr_t ModuleHandle();

// The full path of the module that holds this code (the plugin library when
// loaded by a host), CP932.
std::string ModulePath();

// Keeps the module that holds this code loaded until the process ends, even
// when its host unloads it: once it has made objects (an application object
// of a widget toolkit) that must outlive any unloading of the code behind
// them. Does nothing for code linked into a program.
void KeepModuleLoaded();

}  // namespace drwa::platform
