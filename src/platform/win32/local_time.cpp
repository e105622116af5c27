// The local time of a given moment from the system's time-zone rules: the
// moment as a FILETIME (100 ns ticks since 1601), turned into local time by
// the zone's rules for that date, and the offset taken from the difference.
#include <windows.h>

#include "platform/system.h"

namespace drwa::platform {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

}  // namespace

std::optional<LocalTime> LocalTimeAt(std::int64_t unix_seconds) {
    if (unix_seconds < -kSecondsFrom1601To1970) return std::nullopt;
    const std::uint64_t ticks =
        static_cast<std::uint64_t>(unix_seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
    const FILETIME utc_time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    FILETIME local_time{};
    if (!FileTimeToSystemTime(&utc_time, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !SystemTimeToFileTime(&local, &local_time))
        return std::nullopt;
    if (local.wYear > 9999) return std::nullopt;
    const long offset =
        static_cast<long>((Ticks(local_time) - static_cast<std::int64_t>(ticks)) / kTicksPerSecond);
    return LocalTime{local.wYear,   local.wMonth,  local.wDay,       local.wHour,
                     local.wMinute, local.wSecond, local.wDayOfWeek, offset};
}

std::optional<long> UtcOffsetAtLocal(int year, int month, int day, int hour, int minute) {
    if (year < 1601 || year > 9999) return std::nullopt;
    const SYSTEMTIME local{
        static_cast<WORD>(year), static_cast<WORD>(month),  0, static_cast<WORD>(day),
        static_cast<WORD>(hour), static_cast<WORD>(minute), 0, 0};
    SYSTEMTIME utc{};
    FILETIME local_time{}, utc_time{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
        !SystemTimeToFileTime(&local, &local_time) || !SystemTimeToFileTime(&utc, &utc_time))
        return std::nullopt;
    return static_cast<long>((Ticks(local_time) - Ticks(utc_time)) / kTicksPerSecond);
}

}  // namespace drwa::platform
