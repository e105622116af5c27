// The local time of a given moment, from the C library's zone rules (TZ or
// /etc/localtime), as the rest of the system's clock readings.
#include <ctime>

#include "platform/system.h"

namespace drwa::platform {

std::optional<LocalTime> LocalTimeAt(std::int64_t unix_seconds) {
    const std::time_t moment = static_cast<std::time_t>(unix_seconds);
    std::tm tm{};
    if (!localtime_r(&moment, &tm)) return std::nullopt;
    const int year = tm.tm_year + 1900;
    if (year < 1 || year > 9999) return std::nullopt;
    return LocalTime{year,      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                     tm.tm_min, tm.tm_sec,     tm.tm_wday, tm.tm_gmtoff};
}

std::optional<long> UtcOffsetAtLocal(int year, int month, int day, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;  // the zone's rules decide
    if (std::mktime(&tm) == static_cast<std::time_t>(-1)) return std::nullopt;
    return tm.tm_gmtoff;
}

}  // namespace drwa::platform
